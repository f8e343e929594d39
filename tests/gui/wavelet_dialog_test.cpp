// SPDX-License-Identifier: MIT
// The wavelet dialog on the offscreen platform, opened from its menu entry.
#include "gui/dialogs/wavelet_dialog.h"

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

using WaveletDialogTest = QtWindowTest;

TEST_F(WaveletDialogTest, PresetTypedGainAndBarThenTheRun) {
  app_->slots[0] = MakeNoiseImage(20, 10, 1);
  app_->slots.current = 0;
  bool driven = false;
  WhenModal<WaveletDialog>([&](WaveletDialog* d) {
    const int* gains = app_->settings.wavelet.gains;
    EXPECT_EQ(d->gain_edit(0)->text(), "1.0");
    d->preset_button(3)->click();  // "強": 10, 15, 20, 30, 50, 90
    EXPECT_EQ(d->gain_edit(0)->text(), "1.5");  // "5(L)" is gain 1
    EXPECT_EQ(d->gain_edit(4)->text(), "9.0");  // "1(H)" is gain 5
    EXPECT_EQ(d->gain_bar(1)->value(), 20);
    d->gain_edit(2)->selectAll();
    QTest::keyClicks(d->gain_edit(2), "4.25");  // row "3": gain 3
    EXPECT_EQ(gains[3], 42);
    EXPECT_EQ(d->gain_bar(2)->value(), 42);
    d->gain_bar(2)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(gains[3], 52);
    EXPECT_EQ(d->gain_edit(2)->text(), "5.2");
    SaveScreenshot(d, "wavelet_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(kCmdWavelet)->trigger();
  ASSERT_TRUE(driven);
  const int want[6] = {10, 15, 20, 52, 50, 90};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(app_->settings.wavelet.gains[i], want[i]) << i;
  EXPECT_EQ(app_->slots[0].changed, 1);
}

}  // namespace
}  // namespace tavo
