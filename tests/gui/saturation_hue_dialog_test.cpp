// SPDX-License-Identifier: MIT
// The saturation/hue dialog on the offscreen platform.
#include "gui/dialogs/saturation_hue_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "shell/ops/saturation_hue_op.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using SaturationHueDialogTest = QtWindowTest;

TEST_F(SaturationHueDialogTest, ChangesShownAroundZeroThenOkRuns) {
  app_->slots[0] = MakeFlatImage(2, 1, 0);
  Image& img = app_->slots[0];
  img.r[0] = 1000, img.g[0] = 2000, img.b[0] = 30000;
  app_->slots.current = 0;
  bool shown = false;
  WhenModal<SaturationHueDialog>([&](SaturationHueDialog* d) {
    shown = true;
    EXPECT_EQ(d->value_field(kColorHue)->text(), "0");
    EXPECT_EQ(d->bar(kColorHue)->value(), 180);
    d->bar(kColorHue)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->value_field(kColorHue)->text(), "10");
    d->value_field(kColorHue)->selectAll();
    QTest::keyClicks(d->value_field(kColorHue), "120");
    EXPECT_EQ(d->bar(kColorHue)->value(), 300);
    SaveScreenshot(d, "saturation_hue_dialog");
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(314)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->settings.color.hue, 300);
  EXPECT_EQ(img.r[0], 30000);  // +120 degrees: R <- B
  EXPECT_EQ(img.g[0], 1000);
}

}  // namespace
}  // namespace tavo
