// SPDX-License-Identifier: MIT
// "シャープ/スムーズ" on the offscreen platform, opened by its toolbar
// button: every edit, bar and box writes the settings, OK filters.
#include "gui/dialogs/sharp_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScrollBar>

#include "tests/gui/filter_test_util.h"

namespace tavo {
namespace {

using SharpDialogTest = QtWindowTest;

TEST_F(SharpDialogTest, EditsBarsAndBoxesThenOk) {
  PutPositionImage(*app_, 0, 6, 5);
  const SharpSettings& s = app_->settings.sharp;
  bool driven = false;
  WhenModal<SharpDialog>([&](SharpDialog* d) {
    EXPECT_EQ(d->edit(1)->text(), "10.00");  // 2560
    Retype(d->edit(0), "25");
    EXPECT_EQ(s.radius, 10);
    EXPECT_EQ(d->bar(0)->value(), 10);
    d->bar(0)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(s.radius, 6);
    EXPECT_EQ(d->edit(0)->text(), "6");
    d->bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(s.range, 2586);
    EXPECT_EQ(d->edit(1)->text(), "10.10");
    d->bar(1)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.range, 3866);  // a page is 1280
    Retype(d->edit(1), "20");
    EXPECT_EQ(s.range, 5122);  // (20 + 0.01) x 256
    EXPECT_EQ(d->bar(1)->value(), 20);
    Retype(d->edit(2), "7");
    d->bar(3)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.smooth, 7);
    EXPECT_EQ(s.enhance, 20);
    d->channel_box(1)->click();
    EXPECT_EQ(s.use_g, 0);
    SaveScreenshot(d, "sharp_dialog");
    driven = true;
    PressOk(d);
  });
  ClickToolbarButton(*window_, 7);
  ASSERT_TRUE(driven);
  const Image& img = app_->slots[0];
  EXPECT_EQ(img.undo_available, 1);
  EXPECT_NE(PlaneValues(img.r.get(), img), PlaneValues(img.undo_r.get(), img));
  EXPECT_EQ(PlaneValues(img.g.get(), img), PlaneValues(img.undo_g.get(), img));
}

}  // namespace
}  // namespace tavo
