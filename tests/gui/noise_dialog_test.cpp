// SPDX-License-Identifier: MIT
// The noise reduction dialog on the offscreen platform, opened from its
// menu entry.
#include "gui/dialogs/noise_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "shell/command_ids.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using NoiseDialogTest = QtWindowTest;

TEST_F(NoiseDialogTest, AreaBarStrengthEditAndTheThresholdOnOk) {
  app_->slots[0] = MakeNoiseImage(20, 10, 3);
  app_->slots.current = 0;
  app_->settings.noise.threshold = 4;
  bool driven = false;
  WhenModal<NoiseDialog>([&](NoiseDialog* d) {
    EXPECT_EQ(d->area_edit()->text(), "5");
    EXPECT_EQ(d->area_bar()->value(), 1);
    d->area_bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d->area_edit()->text(), "3");
    d->strength_edit()->selectAll();
    QTest::keyClicks(d->strength_edit(), "9");
    EXPECT_EQ(d->strength_bar()->value(), 5);
    EXPECT_EQ(app_->settings.noise.area, 5);  // nothing stored before OK
    SaveScreenshot(d, "noise_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(kCmdNoise)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.noise.area, 3);
  EXPECT_EQ(app_->settings.noise.strength, 5);
  EXPECT_EQ(app_->settings.noise.threshold, 10);
  EXPECT_EQ(app_->slots[0].changed, 1);
}

}  // namespace
}  // namespace tavo
