// SPDX-License-Identifier: MIT
#include "tests/fake_ui.h"

namespace tavo {

void FakeUi::ShowMessage(int box_kind, const std::string& text) { boxes.push_back({box_kind, text}); }

int FakeUi::Ask(int box_kind, const std::string& text) {
  boxes.push_back({box_kind, text});
  if (answers.empty()) return kAnswerCancel;
  const int a = answers.front();
  answers.pop_front();
  return a;
}

bool FakeUi::EditSettings(int dialog_id) {
  dialogs.push_back(dialog_id);
  if (on_dialog) on_dialog(dialog_id);
  if (dialog_results.empty()) return true;
  const bool r = dialog_results.front();
  dialog_results.pop_front();
  return r;
}

bool FakeUi::ChooseFile(FileDialogRequest& request, std::string* path) {
  file_requests.push_back(request);
  if (files.empty()) return false;
  const ScriptedFile f = files.front();
  files.pop_front();
  if (f.filter_index > 0) request.filter_index = f.filter_index;
  if (!f.chosen) return false;
  *path = f.path;
  return true;
}

void FakeUi::SetWaitCursor(bool on) {
  wait_depth += on ? 1 : -1;
  if (wait_depth > max_wait_depth) max_wait_depth = wait_depth;
}

bool FakeUi::OpenDocument(const std::string& path) {
  documents.push_back(path);
  return document_result;
}

int FakeUi::PrintImage(const PrintJob& job, std::string* detail) {
  printed.push_back(job.document_name);
  if (print_result == kPrintFailed) *detail = "printer";
  return print_result;
}

}  // namespace tavo
