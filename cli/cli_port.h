// SPDX-License-Identifier: MIT
// cli/cli_port.h - the headless front end: boxes go to standard error and
// reports (kBoxReport) to standard output, dialogs count as confirmed, file
// dialogs take the path the command line queued for them, and printing
// writes the PDF file the command line named.
#pragma once
#include <string>

#include "shell/ui_port.h"

namespace tavo {

// Printing without the PDF module (printing/pdf_module.h): its file name
// and the two folders it was looked for in.
inline constexpr char kCliPdfModuleMissing[] = "tavo-cli: cannot print without %s, found neither in %s nor in %s\n";

class CliPort : public UiPort {
 public:
  void ShowMessage(int box_kind, const std::string& text) override;
  int Ask(int box_kind, const std::string& text) override;
  bool EditSettings(int dialog_id) override;
  bool ChooseFile(FileDialogRequest& request, std::string* path) override;
  void SetWaitCursor(bool) override {}
  void Repaint() override {}
  bool OpenDocument(const std::string& path) override;
  // No printer without a window: kPrintNoPrinter unless print_to names a
  // PDF file and the PDF module is found beside the program or in the
  // library folder of its installation.
  int PrintImage(const PrintJob& job, std::string* detail) override;
  // One line on standard error, rewritten in place, when that is a terminal
  // and `quiet` is not set; never asks to stop.
  bool ShowProgress(double fraction, const std::string& text) override;
  void EndProgress() override;

  // The next file dialog returns this path (and filter, when not 0).
  void QueueFile(const std::string& path, int filter_index);

  bool yes = false;            // answer questions with OK / Yes
  bool error_shown = false;    // an error box was shown since the last reset
  std::string print_to;        // PDF file that printing writes
  std::string program_dir;     // folder of the running program, if known
  bool quiet = false;          // --quiet: no progress line

 private:
  bool has_file_ = false;
  std::string file_;
  int filter_ = 0;
  bool progress_shown_ = false;
};

}  // namespace tavo
