// SPDX-License-Identifier: MIT
// "サイズ変更" on the offscreen platform, from its toolbar button: the from
// fields show the image's size, a typed to size keeps the aspect, OK
// resizes.
#include "gui/dialogs/resize_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "tests/gui/filter_test_util.h"

namespace tavo {
namespace {

using ResizeDialogTest = QtWindowTest;

TEST_F(ResizeDialogTest, KeepAspectThenNearestOk) {
  PutPositionImage(*app_, 0, 4, 3);
  app_->settings.resize.x_to = 500;  // shown as the image's size again
  bool driven = false;
  WhenModal<ResizeDialog>([&](ResizeDialog* d) {
    EXPECT_TRUE(d->keep_aspect_box()->isChecked());
    EXPECT_TRUE(d->method_button(1)->isChecked());
    EXPECT_EQ(d->from_edit(0)->text(), "4");
    EXPECT_EQ(d->from_edit(1)->text(), "3");
    EXPECT_EQ(d->to_edit(0)->text(), "4");
    Retype(d->to_edit(0), "8");
    EXPECT_EQ(d->to_edit(1)->text(), "6");  // (3 x 8 + 1) / 4
    d->method_button(0)->click();
    SaveScreenshot(d, "resize_dialog");
    driven = true;
    PressOk(d);
  });
  ClickToolbarButton(*window_, 9);
  ASSERT_TRUE(driven);
  const Image& img = app_->slots[0];
  ASSERT_EQ(img.width, 8);
  ASSERT_EQ(img.height, 6);
  EXPECT_EQ(Sample(img.r.get(), img, 7, 5), 3002);  // nearest: (3, 2)
}

}  // namespace
}  // namespace tavo
