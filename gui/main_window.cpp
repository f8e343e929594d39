// SPDX-License-Identifier: MIT
#include "gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/histogram_window.h"
#include "gui/image_view.h"
#include "gui/tool_icons.h"
#include "gui/toolbar_row.h"
#include "shell/commands.h"
#include "shell/main_window.h"

namespace tavo {
namespace {

int ShellKey(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Insert: return kKeyInsert;
    default: break;
  }
  const int key = event->key();
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
  return 0;
}

}  // namespace

MainWindow::MainWindow(AppState& app) : app_(app), port_(this, app) {
  setWindowTitle("TAVO");
  setWindowIcon(AppIcon());
  setFocusPolicy(Qt::StrongFocus);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  toolbar_row_ = new ToolbarRow(this);
  image_view_ = new ImageView(this);
  layout->addWidget(toolbar_row_);
  layout->addWidget(image_view_, 1);
  setCentralWidget(central);
  central->setAutoFillBackground(true);
  central->setStyleSheet("background: white;");
  BuildMenus();
  resize(800, 512);
}

void MainWindow::BuildMenus() {
  std::vector<QMenu*> menus;
  for (const char* title : MenuTitles()) menus.push_back(menuBar()->addMenu(QString::fromUtf8(title)));
  QMenu* submenu = nullptr;
  const char* submenu_title = nullptr;
  for (const Operation& info : Operations()) {
    if (info.menu < 0 || info.menu >= static_cast<int>(menus.size())) continue;
    QMenu* menu = menus[static_cast<size_t>(info.menu)];
    const char* sub = info.submenu;
    if (sub == nullptr) {
      submenu_title = nullptr;
    } else if (submenu_title == nullptr || std::string(sub) != submenu_title) {
      if (info.separator_before) menu->addSeparator();
      submenu = menu->addMenu(QString::fromUtf8(sub));
      submenu_title = sub;
    }
    QMenu* target = sub != nullptr ? submenu : menu;
    if (info.separator_before && sub == nullptr) target->addSeparator();
    QAction* act = target->addAction(QString::fromUtf8(info.text));
    act->setEnabled(OperationBuilt(info));
    const int id = info.id;
    connect(act, &QAction::triggered, this, [this, id] { RunMenuCommand(id); });
    actions_[id] = act;
  }
}

QAction* MainWindow::action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::StoreClientSize() {
  QWidget* central = centralWidget();
  if (central != nullptr) ResizeClient(app_, central->width(), central->height());
}

void MainWindow::Start(const std::vector<std::string>& names) {
  StoreClientSize();
  StartUp(app_, port_, names);
  setAcceptDrops(true);
  Refresh();
}

void MainWindow::RunMenuCommand(int id) {
  RunCommand(app_, port_, id);
  Refresh();
  if (app_.quit_requested) close();
}

void MainWindow::Refresh() {
  setWindowTitle(QString::fromStdString(WindowTitle(app_)));
  toolbar_row_->update();
  image_view_->Refresh();
  if (app_.histogram_open && histogram_window_ == nullptr) {
    histogram_window_ = new HistogramWindow(this);
    histogram_window_->show();
  } else if (!app_.histogram_open && histogram_window_ != nullptr) {
    histogram_window_->close();
  }
  RefreshHistogram();
}

void MainWindow::RefreshStatus() {
  toolbar_row_->update();
  RefreshHistogram();
}

void MainWindow::RefreshHistogram() {
  if (histogram_window_ != nullptr) histogram_window_->update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!app_.quit_requested && !ConfirmExit(app_, port_)) {
    event->ignore();
    Refresh();
    return;
  }
  app_.quit_requested = true;
  event->accept();
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
  // Held keys repeat releases; one press acts once.
  if (event->isAutoRepeat()) return;
  const int key = ShellKey(event);
  if (key != 0 && HandleKey(app_, port_, key)) {
    Refresh();
    if (app_.quit_requested) close();
    return;
  }
  QMainWindow::keyReleaseEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  OpenDropped(event->mimeData()->urls());
}

void MainWindow::OpenDropped(const QList<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  if (paths.empty()) return;
  activateWindow();
  DropFiles(app_, port_, paths);
  Refresh();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  StoreClientSize();
}

}  // namespace tavo
