// SPDX-License-Identifier: MIT
// The tone correction dialog on the offscreen platform.
#include "gui/dialogs/tone_correction_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "gui/dialogs/dialog_widgets.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using ToneCorrectionDialogTest = QtWindowTest;

TEST_F(ToneCorrectionDialogTest, StrengthFieldBarPreviewThenOkRuns) {
  app_->slots[0] = MakeFlatImage(3, 2, 32768);
  app_->slots.current = 0;
  bool shown = false;
  WhenModal<ToneCorrectionDialog>([&](ToneCorrectionDialog* d) {
    shown = true;
    EXPECT_EQ(d->strength_field()->text(), "10");
    EXPECT_EQ(d->strength_bar()->value(), 10);
    d->strength_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(app_->settings.level.strength, 20);
    EXPECT_EQ(d->strength_field()->text(), "20");
    d->strength_field()->selectAll();
    QTest::keyClicks(d->strength_field(), "0");
    EXPECT_EQ(d->strength_bar()->value(), 0);
    // Strength 0: 32768 -> 32639 (tests/tone), bin 127 for all 6 pixels.
    EXPECT_EQ(d->preview()->histogram().g[127], 6u);
    SaveScreenshot(d, "tone_correction_dialog");
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(315)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->slots[0].r[5], 32639);
  EXPECT_EQ(app_->slots[0].undo_available, 1);
}

}  // namespace
}  // namespace tavo
