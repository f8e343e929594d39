// SPDX-License-Identifier: MIT
// "回転" on the offscreen platform, from its toolbar button: the angle
// field reads degrees with hundredths; OK with a quarter turn stores its
// angle and turns the image exactly.
#include "gui/dialogs/rotate_dialog.h"

#include <gtest/gtest.h>

#include <QRadioButton>

#include "tests/gui/filter_test_util.h"

namespace tavo {
namespace {

using RotateDialogTest = QtWindowTest;

TEST_F(RotateDialogTest, AngleFieldThenQuarterTurnOk) {
  PutPositionImage(*app_, 0, 3, 2);
  app_->settings.round.angle = -25;
  const RoundSettings& r = app_->settings.round;
  bool driven = false;
  WhenModal<RotateDialog>([&](RotateDialog* d) {
    EXPECT_TRUE(d->kind_button(3)->isChecked());
    EXPECT_EQ(d->angle_edit()->text(), "-0.25");
    Retype(d->angle_edit(), "12.5");
    EXPECT_EQ(r.angle, 1250);
    d->kind_button(0)->click();
    SaveScreenshot(d, "rotate_dialog");
    driven = true;
    PressOk(d);
  });
  ClickToolbarButton(*window_, 10);
  ASSERT_TRUE(driven);
  EXPECT_EQ(r.kind, 0);
  EXPECT_EQ(r.angle, 9000);
  const Image& img = app_->slots[0];
  ASSERT_EQ(img.width, 2);
  EXPECT_EQ(PlaneValues(img.r.get(), img), (std::vector<int>{1, 0, 1001, 1000, 2001, 2000}));
}

}  // namespace
}  // namespace tavo
