// SPDX-License-Identifier: MIT
// gui/main_window.h - the main window: menus from the command table, the
// toolbar row and the image window below it; keys, dropped files and the
// close box go to the shell.
#pragma once
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gui/gui_port.h"
#include "gui/histogram_window.h"
#include "shell/app_state.h"

class QAction;

namespace tavo {

class HelpViewer;
class ImageView;
class ToolbarRow;

class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(AppState& app);

  // Start-up of the shell (settings file, command-line names), then files
  // may be dropped.
  void Start(const std::vector<std::string>& names);

  // Runs command `id` as its menu entry does.
  void RunMenuCommand(int id);
  // Runs `work` on a worker thread and returns when it is done. Meanwhile
  // this thread keeps handling events in a loop of its own (as a modal
  // dialog does): the worker's port calls are served here, the status bar
  // shows its progress and Cancel - or the close box, which closes the
  // window once the work has stopped - asks it to stop. The rest of the
  // window is disabled.
  void RunWork(const std::function<void(UiPort&)>& work);
  bool working() const { return working_; }
  // While work runs, the widgets that draw from the AppState repaint the
  // picture taken of them when it began or at its last Repaint, while the
  // worker waited: in-place operations write the current planes row by row,
  // and even those that swap new planes in at the end change the slot
  // table and flags, so painting from the state itself would race with the
  // worker. True when `widget` was painted so.
  bool PaintFrozen(QWidget* widget);
  // Title, toolbar row, status text and image window brought up to date.
  void Refresh();
  // The status text changed (mouse move) without anything else changing.
  void RefreshStatus();
  // The histogram window follows the image window's repaints.
  void RefreshHistogram();

  UiPort& port() { return port_; }
  AppState& app() { return app_; }
  ImageView* image_view() { return image_view_; }
  ToolbarRow* toolbar_row() { return toolbar_row_; }
  // Null while the histogram window is closed.
  HistogramWindow* histogram_window() const { return histogram_window_; }
  QAction* action(int id) const;
  // Files dropped on the window, as URLs.
  void OpenDropped(const QList<QUrl>& urls);
  // The shell keeps the size of the area the picture is drawn in.
  void StoreClientSize();
  // The help viewer shows `path`; false when it cannot be read.
  bool ShowHelpPage(const std::string& path);
  HelpViewer* help_viewer() const { return help_viewer_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  // Takes the pictures PaintFrozen draws.
  void Freeze();

  AppState& app_;
  GuiPort port_;
  ToolbarRow* toolbar_row_ = nullptr;
  ImageView* image_view_ = nullptr;
  HelpViewer* help_viewer_ = nullptr;  // made on first use
  std::map<int, QAction*> actions_;
  QPointer<HistogramWindow> histogram_window_;  // deletes itself on close
  bool working_ = false;
  bool close_pending_ = false;  // the close box was used during the work
  std::map<QWidget*, QPixmap> frozen_;
};

}  // namespace tavo
