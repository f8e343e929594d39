// SPDX-License-Identifier: MIT
// The window as a new user handles it: help without a browser, toolbar
// tooltips, scroll bars, Ctrl+wheel, fit to window and a linear frame
// under the automatic stretch.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolTip>
#include <QWheelEvent>

#include "gui/help_viewer.h"
#include "gui/image_view.h"
#include "gui/toolbar_row.h"
#include "io/pnm.h"
#include "shell/command_ids.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using WindowBehaviourTest = QtWindowTest;

TEST_F(WindowBehaviourTest, HelpAndTooltipsNeedNoBrowser) {
  window_->RunMenuCommand(kCmdHelp);
  ASSERT_NE(window_->help_viewer(), nullptr);
  EXPECT_EQ(window_->help_viewer()->browser()->documentTitle(), QString::fromUtf8("TAVO ヘルプ"));
  SaveScreenshot(window_->help_viewer(), "help_viewer");
  QHelpEvent tip(QEvent::ToolTip, QPoint(24 + 5, 10), window_->toolbar_row()->mapToGlobal(QPoint(29, 10)));
  QCoreApplication::sendEvent(window_->toolbar_row(), &tip);
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("保存(BMP,JPG,TIF,PPM)"));
}

TEST_F(WindowBehaviourTest, ALinearFrameScrolledZoomedFittedAndStretched) {
  ASSERT_TRUE(WritePnm(dir_ + "/linear.ppm", MakeFlatImage(1000, 800, 1000), false));
  window_->Start({dir_ + "/linear.ppm"});
  QScrollBar* bars[2] = {window_->image_view()->horizontalScrollBar(), window_->image_view()->verticalScrollBar()};
  QWheelEvent wheel(QPointF(100, 100), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(window_->image_view()->viewport(), &wheel);
  EXPECT_EQ(app_->slots[0].zoom, 150);
  window_->action(kCmdZoomFit)->trigger();
  EXPECT_EQ(bars[0]->maximum() + bars[1]->maximum(), 0);  // the whole picture in view

  WhenModal<QDialog>([](QDialog* d) {
    d->findChild<QComboBox*>("stretch")->setCurrentIndex(kStretchAutoChannel);
    d->accept();
  });
  window_->action(kCmdDisplayMode)->trigger();
  window_->image_view()->repaint();
  EXPECT_EQ(window_->image_view()->frame().rgb[0], 64);  // the flat sky is the median: a quarter
  SaveScreenshot(window_.get(), "auto_stretch");
}

}  // namespace
}  // namespace tavo
