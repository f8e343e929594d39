// SPDX-License-Identifier: MIT
// gui/main_window.h - the main window: menus from the command table, the
// toolbar row and the image window below it; keys, dropped files and the
// close box go to the shell.
#pragma once
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <map>
#include <string>
#include <vector>

#include "gui/gui_port.h"
#include "gui/histogram_window.h"
#include "shell/app_state.h"

class QAction;

namespace tavo {

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
  // The shell keeps the client size (toolbar row and image window).
  void StoreClientSize();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();

  AppState& app_;
  GuiPort port_;
  ToolbarRow* toolbar_row_ = nullptr;
  ImageView* image_view_ = nullptr;
  std::map<int, QAction*> actions_;
  QPointer<HistogramWindow> histogram_window_;  // deletes itself on close
};

}  // namespace tavo
