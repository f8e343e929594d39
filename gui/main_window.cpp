// SPDX-License-Identifier: MIT
#include "gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <thread>

#include "gui/help_viewer.h"
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
  // The worker may be reading the size; it is stored when the work ends.
  if (image_view_ == nullptr || working_) return;
  const QWidget* area = image_view_->viewport();
  ResizeImageArea(app_, area->width(), area->height());
}

bool MainWindow::ShowHelpPage(const std::string& path) {
  if (help_viewer_ == nullptr) help_viewer_ = new HelpViewer(this);
  return help_viewer_->ShowPage(QString::fromStdString(path));
}

void MainWindow::Start(const std::vector<std::string>& names) {
  StoreClientSize();
  // Camera RAW files among the names are developed with progress.
  RunWork([this, &names](UiPort& ui) { StartUp(app_, ui, names); });
  setAcceptDrops(true);
  Refresh();
}

void MainWindow::RunMenuCommand(int id) {
  if (working_) return;
  RunCommand(app_, port_, id);
  Refresh();
  if (app_.quit_requested) close();
}

void MainWindow::RunWork(const std::function<void(UiPort&)>& work) {
  if (working_) return;
  Freeze();
  working_ = true;
  port_.BeginWork();
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work(port_);
    done = true;
    QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  loop.exec();
  if (!done) {
    // The loop was left early: the application quits. A new loop would
    // return at once, so the worker's waiting calls are served here until
    // it has stopped.
    port_.Abandon();
    while (!done) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  worker.join();
  QCoreApplication::processEvents();  // what the worker posted last
  working_ = false;
  frozen_.clear();
  port_.EndWork();
  StoreClientSize();
  Refresh();
  if (close_pending_) {
    close_pending_ = false;
    close();
  }
}

void MainWindow::Freeze() {
  frozen_.clear();
  std::map<QWidget*, QPixmap> pictures;
  for (QWidget* w : {static_cast<QWidget*>(toolbar_row_), image_view_->viewport(),
                     static_cast<QWidget*>(histogram_window_.data())}) {
    if (w != nullptr) pictures[w] = w->grab();
  }
  frozen_ = std::move(pictures);
}

bool MainWindow::PaintFrozen(QWidget* widget) {
  auto it = frozen_.find(widget);
  if (it == frozen_.end()) return false;
  QPainter painter(widget);
  painter.fillRect(widget->rect(), Qt::white);
  painter.drawPixmap(0, 0, it->second);
  return true;
}

void MainWindow::Refresh() {
  setWindowTitle(QString::fromStdString(WindowTitle(app_)));
  toolbar_row_->update();
  image_view_->Refresh();
  if (app_.histogram_open && histogram_window_ == nullptr) {
    histogram_window_ = new HistogramWindow(this);
    histogram_window_->show();
  } else if (!app_.histogram_open && histogram_window_ != nullptr) {
    HistogramWindow* closing = histogram_window_;
    histogram_window_ = nullptr;
    closing->close();
  }
  RefreshHistogram();
  // Only while the worker waits in Repaint: the pictures show this state.
  if (working_) Freeze();
}

void MainWindow::RefreshStatus() {
  toolbar_row_->update();
  RefreshHistogram();
}

void MainWindow::RefreshHistogram() {
  if (histogram_window_ != nullptr) histogram_window_->update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (working_) {
    port_.RequestCancel();
    close_pending_ = true;
    event->ignore();
    return;
  }
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
  if (event->isAutoRepeat() || working_) return;
  const int key = ShellKey(event);
  if (key != 0 && HandleKey(app_, port_, key)) {
    Refresh();
    if (app_.quit_requested) close();
    return;
  }
  QMainWindow::keyReleaseEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!working_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
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
  if (paths.empty() || working_) return;
  activateWindow();
  // A batch run or a camera RAW file reports progress.
  RunWork([this, &paths](UiPort& ui) { DropFiles(app_, ui, paths); });
  Refresh();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  StoreClientSize();
}

}  // namespace tavo
