// SPDX-License-Identifier: MIT
// The window as a new user handles it: help without a browser, scroll
// bars and zoom by wheel, fit to window, toolbar tooltips, and a linear
// frame under the automatic stretch.
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

class WindowBehaviourTest : public QtWindowTest {
 protected:
  // A dark linear frame, 1000 x 800: sky 1000 with one bright pixel row.
  void OpenLinearFrame() {
    Image img = MakeFlatImage(1000, 800, 1000);
    for (int x = 0; x < 1000; ++x) img.r[400 * 1000 + x] = img.g[400 * 1000 + x] = img.b[400 * 1000 + x] = 50000;
    ASSERT_TRUE(WritePnm(dir_ + "/linear.ppm", img, false));
    window_->Start({dir_ + "/linear.ppm"});
  }
  QScrollBar* Bar(bool horizontal) {
    return horizontal ? window_->image_view()->horizontalScrollBar() : window_->image_view()->verticalScrollBar();
  }
};

TEST_F(WindowBehaviourTest, HelpOpensInTheProgramsOwnViewer) {
  window_->RunMenuCommand(kCmdHelp);
  ASSERT_NE(window_->help_viewer(), nullptr);
  EXPECT_TRUE(window_->help_viewer()->isVisible());
  EXPECT_EQ(window_->help_viewer()->browser()->documentTitle(), QString::fromUtf8("TAVO ヘルプ"));
  SaveScreenshot(window_->help_viewer(), "help_viewer");
}

TEST_F(WindowBehaviourTest, ScrollBarsCountPixelsAndTheWheelZooms) {
  OpenLinearFrame();
  const QWidget* area = window_->image_view()->viewport();
  EXPECT_EQ(Bar(true)->maximum(), 1000 - area->width());
  EXPECT_EQ(Bar(true)->pageStep(), area->width());
  EXPECT_EQ(Bar(false)->maximum(), 800 - area->height());

  QWheelEvent wheel(QPointF(100, 100), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(window_->image_view()->viewport(), &wheel);
  EXPECT_EQ(app_->slots[0].zoom, 150);

  window_->action(kCmdZoomFit)->trigger();
  EXPECT_LT(app_->slots[0].zoom, 100);
  EXPECT_EQ(Bar(true)->maximum(), 0);  // the whole picture is in view
  EXPECT_EQ(Bar(false)->maximum(), 0);
}

TEST_F(WindowBehaviourTest, ToolbarTellsWhatEachButtonDoes) {
  QHelpEvent tip(QEvent::ToolTip, QPoint(24 + 5, 10), window_->toolbar_row()->mapToGlobal(QPoint(29, 10)));
  QCoreApplication::sendEvent(window_->toolbar_row(), &tip);
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("保存(BMP,JPG,TIF,PPM)"));
  SaveScreenshot(window_->toolbar_row(), "toolbar_without_image");
}

TEST_F(WindowBehaviourTest, AutoStretchShowsALinearFrameAndKeepsTheReadout) {
  OpenLinearFrame();
  window_->image_view()->repaint();
  const auto sky = [&] { return static_cast<int>(window_->image_view()->frame().rgb[0]); };
  EXPECT_EQ(sky(), 1000 >> 8);
  WhenModal<QDialog>([](QDialog* d) {
    d->findChild<QComboBox*>("stretch")->setCurrentIndex(1);
    d->accept();
  });
  window_->action(kCmdDisplayMode)->trigger();
  EXPECT_EQ(app_->settings.display.stretch, 1);
  window_->image_view()->repaint();
  EXPECT_EQ(sky(), 64);  // the sky is the median: a quarter of full scale
  EXPECT_EQ(app_->slots[0].r[0], 1000);
  SaveScreenshot(window_.get(), "auto_stretch");
}

}  // namespace
}  // namespace tavo
