// SPDX-License-Identifier: MIT
// gui/gui_port.h - the shell's interface to the screen, done with Qt:
// message boxes, questions, the operation dialogs, file dialogs, the wait
// cursor, repainting, the help viewer, the printer and the progress bar.
#pragma once
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <vector>

#include "shell/app_state.h"
#include "shell/ui_port.h"

class QProgressBar;
class QPushButton;
class QString;

namespace tavo {

class MainWindow;

// Every call may come from the worker thread of MainWindow::RunWork. Calls
// that show something or need an answer then run on the GUI thread while
// the worker waits (so they may read and change the AppState); progress
// reports and the wait cursor are posted and the worker goes on.
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
  // A bar with the text and a Cancel button in the status bar. A report made
  // on the GUI thread itself (not through RunWork) disables the rest of the
  // window until EndProgress and handles the pending events, so the window
  // keeps painting and the button works.
  bool ShowProgress(double fraction, const std::string& text) override;
  void EndProgress() override;
  // Through MainWindow::RunWork, unless already off the GUI thread.
  void RunWork(const std::function<void(UiPort&)>& work) override;

  // Work starts off the GUI thread: the rest of the window is disabled (no
  // second command can start) and an earlier Cancel no longer counts.
  void BeginWork();
  // The bar goes and the window is enabled again.
  void EndWork();
  // Every later report of the work answers "stop".
  void RequestCancel() { cancel_asked_ = true; }
  // The application quits under the work: besides stopping it, questions
  // from the worker are answered at once as cancelled, nothing is shown.
  void Abandon() {
    abandoned_ = true;
    cancel_asked_ = true;
  }

 private:
  // Boxes and dialogs sit on the topmost open dialog (a detail dialog
  // opened from the batch sequence sits on that one), else on the window.
  QWidget* DialogParent() const;
  QObject* Context() const;
  int PrintOnGuiThread(const PrintJob& job, std::string* detail);
  // Runs `call` on the GUI thread and returns its answer; from the worker,
  // once abandoned, `fallback` instead.
  template <typename Call, typename Answer>
  Answer OnGuiThread(Call call, Answer fallback);
  void ShowBar(double fraction, const QString& text);
  void HideBar();
  void Hold();     // disables the rest of the window
  void Release();  // enables what Hold disabled

  MainWindow* window_;
  AppState& app_;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool held_ = false;
  bool held_by_report_ = false;  // Hold came from a report on the GUI thread
  std::atomic<bool> cancel_asked_{false};
  std::atomic<bool> abandoned_{false};
  // Widgets this port disabled; a Repaint during the work may close one
  // (the histogram window deletes itself).
  std::vector<QPointer<QWidget>> disabled_;
};

}  // namespace tavo
