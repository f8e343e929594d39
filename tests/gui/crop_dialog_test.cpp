// SPDX-License-Identifier: MIT
// "切り出しとサイズ変更" on the offscreen platform, from its menu entry:
// anchor, crop size and output size, OK makes the new image.
#include "gui/dialogs/crop_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QRadioButton>

#include "tests/gui/filter_test_util.h"

namespace tavo {
namespace {

using CropDialogTest = QtWindowTest;

TEST_F(CropDialogTest, AnchorSizesAndModeThenOk) {
  PutPositionImage(*app_, 0, 4, 3);
  const CutSettings& c = app_->settings.cut;
  bool driven = false;
  WhenModal<CropDialog>([&](CropDialog* d) {
    EXPECT_TRUE(d->anchor_button(4)->isChecked());
    EXPECT_TRUE(d->mode_button(1)->isChecked());
    EXPECT_EQ(d->edit(4)->text(), "100");
    d->anchor_button(2)->click();  // top right
    Retype(d->edit(0), "2");
    Retype(d->edit(1), "1");
    Retype(d->edit(2), "2");
    Retype(d->edit(3), "1");
    d->mode_button(0)->click();
    EXPECT_EQ(c.anchor, 2);
    EXPECT_EQ(c.scale_mode, 0);
    SaveScreenshot(d, "crop_dialog");
    driven = true;
    PressOk(d);
  });
  window_->action(213)->trigger();
  ASSERT_TRUE(driven);
  ASSERT_EQ(app_->slots.current, 1);
  const Image& made = app_->slots[1];
  EXPECT_EQ(PlaneValues(made.r.get(), made), (std::vector<int>{2002, 3002}));  // the top row's right end
}

}  // namespace
}  // namespace tavo
