// SPDX-License-Identifier: MIT
// gui/gui_port.h - the shell's interface to the screen, done with Qt:
// message boxes, questions, the operation dialogs, file dialogs, the wait
// cursor, repainting, the help viewer and the printer.
#pragma once
#include <vector>

#include "shell/app_state.h"
#include "shell/ui_port.h"

class QProgressBar;
class QPushButton;
class QWidget;

namespace tavo {

class MainWindow;

class GuiPort : public UiPort {
 public:
  GuiPort(MainWindow* window, AppState& app) : window_(window), app_(app) {}
  void ShowMessage(int box_kind, const std::string& text) override;
  int Ask(int box_kind, const std::string& text) override;
  bool EditSettings(int dialog_id) override;
  bool ChooseFile(FileDialogRequest& request, std::string* path) override;
  void SetWaitCursor(bool on) override;
  void Repaint() override;
  bool OpenDocument(const std::string& path) override;
  // The system's print dialog (a printer, or a PDF file when the user
  // chooses to print to a file).
  int PrintImage(const PrintJob& job, std::string* detail) override;
  // A bar with the text and a Cancel button in the status bar. The window
  // keeps painting and the button works (events are handled at every
  // report) while the rest of the window is disabled, so no other command
  // starts in the middle.
  bool ShowProgress(double fraction, const std::string& text) override;
  void EndProgress() override;

 private:
  // Boxes and dialogs sit on the topmost open dialog (a detail dialog
  // opened from the batch sequence sits on that one), else on the window.
  QWidget* DialogParent() const;

  MainWindow* window_;
  AppState& app_;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool active_ = false;       // between the first report and EndProgress
  bool cancel_asked_ = false;
  std::vector<QWidget*> disabled_;  // widgets this port disabled
};

}  // namespace tavo
