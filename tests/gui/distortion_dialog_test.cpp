// SPDX-License-Identifier: MIT
// "歪曲収差補正" on the offscreen platform, from its menu entry: the corner
// shift as typed, OK corrects the image.
#include "gui/dialogs/distortion_dialog.h"

#include <gtest/gtest.h>

#include <QAction>

#include "tests/gui/filter_test_util.h"

namespace tavo {
namespace {

using DistortionDialogTest = QtWindowTest;

TEST_F(DistortionDialogTest, SignedShiftThenOk) {
  PutPositionImage(*app_, 0, 5, 5);
  bool driven = false;
  WhenModal<DistortionDialog>([&](DistortionDialog* d) {
    EXPECT_EQ(d->corner_edit()->text(), "0");
    Retype(d->corner_edit(), "-1");
    EXPECT_EQ(app_->settings.waikyoku.corner, -1);
    SaveScreenshot(d, "distortion_dialog");
    driven = true;
    PressOk(d);
  });
  window_->action(330)->trigger();
  ASSERT_TRUE(driven);
  const Image& img = app_->slots[0];
  EXPECT_EQ(Sample(img.r.get(), img, 0, 0), 0);  // inward: the corner falls outside
  EXPECT_EQ(Sample(img.r.get(), img, 2, 2), 2002);
  EXPECT_EQ(img.undo_available, 1);
}

}  // namespace
}  // namespace tavo
