// SPDX-License-Identifier: MIT
// "エッジ強調" on the offscreen platform, from its menu entry: the edits
// and bars write the settings; Cancel keeps them and changes no image.
#include "gui/dialogs/edge_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QScrollBar>

#include "tests/gui/filter_test_util.h"

namespace tavo {
namespace {

using EdgeDialogTest = QtWindowTest;

TEST_F(EdgeDialogTest, EditsAndBarsThenCancel) {
  PutPositionImage(*app_, 0, 6, 5);
  const EdgeSettings& e = app_->settings.edge;
  bool driven = false;
  WhenModal<EdgeDialog>([&](EdgeDialog* d) {
    d->bar(0)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(e.range, 5120);  // a page is 2560
    EXPECT_EQ(d->bar(0)->value(), 20);
    d->bar(0)->setSliderPosition(3);
    EXPECT_EQ(e.range, 768);   // a drag sets thumb x 256
    EXPECT_EQ(d->edit(0)->text(), "3.00");
    Retype(d->edit(1), "99");
    EXPECT_EQ(e.strength, 50);
    Retype(d->edit(2), "150");
    EXPECT_EQ(e.threshold, 100);
    d->bar(2)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(e.threshold, 90);
    Retype(d->edit(3), "4");
    EXPECT_EQ(e.smooth, 4);
    d->channel_box(2)->click();
    EXPECT_EQ(e.use_b, 0);
    SaveScreenshot(d, "edge_dialog");
    driven = true;
    d->reject();
  });
  window_->action(303)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(e.strength, 50);
  EXPECT_EQ(app_->slots[0].undo_available, 0);
  EXPECT_TRUE(SamePlanes(app_->slots[0], MakePositionImage(6, 5)));
}

}  // namespace
}  // namespace tavo
