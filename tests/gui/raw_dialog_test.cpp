// SPDX-License-Identifier: MIT
// The "RAW現像設定" dialog on the offscreen platform: paths, bars with their
// values, the radius, "初期設定", OK and Cancel through the menu.
#include "gui/dialogs/raw_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "gui/dialog_registry.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using RawDialogTest = QtWindowTest;

TEST_F(RawDialogTest, BarsValuesRadiusAndDefaults) {
  bool driven = false;
  WhenModal<RawDialog>([&](RawDialog* d) {
    const RawDevelopSettings& raw = app_->settings.raw;
    EXPECT_TRUE(d->path_button(0)->isChecked());
    EXPECT_TRUE(d->radius_button(0)->isChecked());
    // Defaults as shown: gamma 2.2 at 22, black R 5 half steps = 2.5,
    // white R 180 at 52, hue position 18 = no shift.
    EXPECT_EQ(d->bar(kRawGammaR)->value(), 22);
    EXPECT_EQ(d->value(kRawGammaR)->text(), "2.2");
    EXPECT_EQ(d->value(kRawBlackR)->text(), "2.5");
    EXPECT_EQ(d->bar(kRawWhiteR)->value(), 52);
    EXPECT_EQ(d->value(kRawWhiteR)->text(), "180");
    EXPECT_EQ(d->value(kRawHue)->text(), "0");
    EXPECT_TRUE(d->value(kRawHue)->isReadOnly());

    d->path_button(1)->click();
    EXPECT_EQ(raw.path, 1);
    d->bar(kRawGammaB)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_DOUBLE_EQ(raw.gamma[2], 2.3);
    EXPECT_EQ(d->value(kRawGammaB)->text(), "2.3");
    d->bar(kRawBlackG)->triggerAction(QAbstractSlider::SliderPageStepAdd);  // a page is one step too
    EXPECT_EQ(raw.black_g, 4);
    EXPECT_EQ(d->value(kRawBlackG)->text(), "2.0");
    d->bar(kRawHue)->setSliderPosition(36);
    EXPECT_EQ(raw.hue, 36);
    EXPECT_EQ(d->value(kRawHue)->text(), "+36");
    d->bar(kRawWhiteB)->setSliderPosition(127);
    EXPECT_EQ(raw.white_b, 255);
    d->radius_button(1)->click();
    EXPECT_EQ(raw.radius, 1);
    d->bar(kRawQuality)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(raw.quality, 1);
    SaveScreenshot(d, "raw_dialog");

    // Back to the defaults, except the path; the controls follow.
    d->defaults_button()->click();
    EXPECT_DOUBLE_EQ(raw.gamma[2], 2.2);
    EXPECT_EQ(raw.hue, 18);
    EXPECT_EQ(raw.radius, 0);
    EXPECT_EQ(raw.quality, 0);
    EXPECT_EQ(raw.path, 1);
    EXPECT_EQ(d->bar(kRawHue)->value(), 18);
    EXPECT_EQ(d->value(kRawHue)->text(), "0");
    EXPECT_EQ(d->value(kRawWhiteB)->text(), "130");
    EXPECT_TRUE(d->radius_button(0)->isChecked());
    EXPECT_TRUE(d->path_button(1)->isChecked());

    d->bar(kRawSaturation)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(132, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.raw.saturation, 2);
  EXPECT_EQ(app_->settings.raw.path, 1);
}

TEST_F(RawDialogTest, CancelFromTheMenuKeepsOnlyThePath) {
  app_->settings.raw.sharpness = 4;
  bool driven = false;
  WhenModal<RawDialog>([&](RawDialog* d) {
    d->path_button(1)->click();
    d->bar(kRawGammaR)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    d->bar(kRawSharpness)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(app_->settings.raw.sharpness, 3);
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  });
  window_->action(132)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.raw.path, 1);
  EXPECT_DOUBLE_EQ(app_->settings.raw.gamma[0], 2.2);
  EXPECT_EQ(app_->settings.raw.sharpness, 4);
}

}  // namespace
}  // namespace tavo
