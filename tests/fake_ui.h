// SPDX-License-Identifier: MIT
// tests/fake_ui.h - a scripted front end: answers and chosen files are
// queued by the test, everything shown is recorded.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "shell/ui_port.h"

namespace tavo {

struct ShownBox {
  int kind;
  std::string text;
};

struct ScriptedFile {
  bool chosen;          // false: the dialog is cancelled
  std::string path;
  int filter_index;     // 0: leave the request's index alone
};

class FakeUi : public UiPort {
 public:
  void ShowMessage(int box_kind, const std::string& text) override;
  int Ask(int box_kind, const std::string& text) override;
  bool EditSettings(int dialog_id) override;
  bool ChooseFile(FileDialogRequest& request, std::string* path) override;
  void SetWaitCursor(bool on) override;
  void Repaint() override {
    ++repaints;
    if (on_repaint) on_repaint();
  }
  bool OpenDocument(const std::string& path) override;
  int PrintImage(const PrintJob& job, std::string* detail) override;
  bool ShowProgress(double fraction, const std::string& text) override {
    progress.push_back(fraction);
    progress_texts.push_back(text);
    if (progress_answers.empty()) return true;
    const bool go_on = progress_answers.front();
    progress_answers.pop_front();
    return go_on;
  }
  void EndProgress() override { ++progress_ends; }
  void RunWork(const std::function<void(UiPort&)>& work) override {
    ++works;
    work(*this);
  }

  std::deque<int> answers;          // for Ask; empty: Cancel
  std::deque<bool> dialog_results;  // for EditSettings; empty: OK
  std::deque<ScriptedFile> files;   // for ChooseFile; empty: cancelled
  std::deque<bool> progress_answers;  // for ShowProgress; empty: go on
  // Runs inside EditSettings before it answers, as a dialog would: lets a
  // test change the state the dialog edits.
  std::function<void(int dialog_id)> on_dialog;
  std::function<void()> on_repaint;  // runs at every repaint
  bool document_result = true;      // what OpenDocument answers
  int print_result = kPrintDone;    // what PrintImage answers ("printer" fails)
  std::vector<std::string> printed; // document names of the print jobs

  std::vector<ShownBox> boxes;      // messages and questions, in order
  std::vector<int> dialogs;         // dialog ids run
  std::vector<FileDialogRequest> file_requests;
  std::vector<std::string> documents;
  int wait_depth = 0;
  int max_wait_depth = 0;
  int repaints = 0;
  std::vector<double> progress;     // fractions reported, in order
  std::vector<std::string> progress_texts;
  int progress_ends = 0;
  int works = 0;                    // runs through RunWork
};

}  // namespace tavo
