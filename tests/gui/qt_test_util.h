// SPDX-License-Identifier: MIT
// tests/gui/qt_test_util.h - what the Qt tests share: one QApplication on
// the offscreen platform, a main window over a fresh AppState, acting on a
// modal dialog from inside its own event loop, and screenshots.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "gui/main_window.h"
#include "shell/command_ids.h"
#include "tests/test_images.h"

namespace tavo {

// Runs `act` on the first modal widget of type T once it shows up (a modal
// dialog runs its own event loop, so the test cannot act after exec()).
template <typename T>
void WhenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (T* widget = dynamic_cast<T*>(modal)) {
      timer->stop();
      timer->deleteLater();
      act(widget);
    } else if (++*tries > 500) {  // five seconds: give up rather than hang
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal widget of the expected kind";
      if (modal != nullptr) modal->close();
    }
  });
  timer->start();
}

// Saves `widget` as build/tests/tavo_<name>.png for a person to look at.
inline void SaveScreenshot(QWidget* widget, const std::string& name) {
  widget->grab().save(QString::fromStdString("tavo_" + name + ".png"));
}

// A shown main window over an empty AppState, closed without questions.
class QtWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "gui_test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) qt_ = new QApplication(argc, argv);
  }

  void SetUp() override {
    dir_ = TempDir("gui");
    app_ = std::make_unique<AppState>();
    window_ = std::make_unique<MainWindow>(*app_);
    window_->show();
    QCoreApplication::processEvents();
  }

  void TearDown() override {
    app_->quit_requested = true;
    window_.reset();
    QCoreApplication::processEvents();
  }

  inline static QApplication* qt_ = nullptr;
  std::string dir_;
  std::unique_ptr<AppState> app_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tavo
