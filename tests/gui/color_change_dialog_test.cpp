// SPDX-License-Identifier: MIT
// The two colour-change dialogs on the offscreen platform, opened from
// their menu entries with point A set.
#include "gui/dialogs/color_change_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "shell/ops/color_change_op.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using ColorChangeDialogTest = QtWindowTest;

// 2 x 1: pixel 0 (100, 150, 200) x 256, point A on it; pixel 1 black.
void PointAImage(AppState& app) {
  app.slots[0] = MakeFlatImage(2, 1, 0);
  Image& img = app.slots[0];
  img.r[0] = 25600, img.g[0] = 38400, img.b[0] = 51200;
  img.point_a_x = img.point_a_y = 0;
  app.slots.current = 0;
}

TEST_F(ColorChangeDialogTest, RgbStartsFromPointAThenOkRuns) {
  PointAImage(*app_);
  bool shown = false;
  WhenModal<ColorChangeDialog>([&](ColorChangeDialog* d) {
    shown = true;
    EXPECT_EQ(d->value_field(kColorSource1)->text(), "150");
    EXPECT_EQ(d->bar(kColorSource2)->value(), 200);
    d->bar(kColorTarget0)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->value_field(kColorTarget0)->text(), "16");
    d->value_field(kColorTarget1)->selectAll();
    QTest::keyClicks(d->value_field(kColorTarget1), "300");  // held at 255
    EXPECT_EQ(d->bar(kColorTarget1)->value(), 255);
    SaveScreenshot(d, "color_rgb_dialog");
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(331)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->slots[0].r[0], 16 * 256);
  EXPECT_EQ(app_->slots[0].g[0], 65280);
  EXPECT_EQ(app_->slots[0].g[1], 0);
}

TEST_F(ColorChangeDialogTest, HsvStartsFromPointAAndCancelKeepsTheEdits) {
  PointAImage(*app_);
  bool shown = false;
  WhenModal<ColorChangeDialog>([&](ColorChangeDialog* d) {
    shown = true;
    // RgbToHsv of the pixel: hue (12800 - 19200) * 8192 / 12800 + 32768 =
    // 28672, 28672 * 60 / 8192 = 210 degrees.
    EXPECT_EQ(d->value_field(kColorSource0)->text(), "210");
    EXPECT_EQ(d->bar(kColorSource0)->maximum(), 359);
    d->bar(kColorTolerance)->setSliderPosition(40);
    SaveScreenshot(d, "color_hsv_dialog");
    d->reject();
  });
  window_->action(332)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->settings.color_hsv.tolerance, 40);
  EXPECT_EQ(app_->slots[0].undo_available, 0);
}

}  // namespace
}  // namespace tavo
