// SPDX-License-Identifier: MIT
// The level dialog on the offscreen platform, opened from its menu entry.
#include "gui/dialogs/level_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "gui/dialogs/dialog_widgets.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using LevelDialogTest = QtWindowTest;

// 4 x 3 at 16320 (a quarter of 65280) in every plane.
TEST_F(LevelDialogTest, BarsFieldsPreviewAndCancelKeepsTheEdits) {
  app_->slots[0] = MakeFlatImage(4, 3, 16320);
  app_->slots.current = 0;
  bool shown = false;
  WhenModal<LevelDialog>([&](LevelDialog* d) {
    shown = true;
    const LvlSettings& l = app_->settings.lvl;
    EXPECT_TRUE(d->table_button(0)->isChecked());
    EXPECT_EQ(d->bar(kLevelBrightness)->value(), 255);
    EXPECT_EQ(d->value_field(kLevelGamma)->text(), "1.00");
    EXPECT_TRUE(d->value_field(kLevelGamma)->isReadOnly());
    EXPECT_EQ(d->preview()->histogram().r[63], 12u);

    d->table_button(1)->click();
    EXPECT_EQ(l.table, 1);
    d->bar(kLevelGamma)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->value_field(kLevelGamma)->text(), "1.10");
    d->bar(kLevelGamma)->setSliderPosition(200);  // drag: 0.25 ^ 0.5
    EXPECT_EQ(l.rows[1][kLevelGamma], 200);
    EXPECT_EQ(d->preview()->histogram().r[127], 12u);
    EXPECT_EQ(d->preview()->histogram().g[63], 12u);
    d->bar(kLevelBrightness)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d->value_field(kLevelBrightness)->text(), "-1");
    d->bar(kLevelOutMin)->setSliderPosition(255);  // stops below the maximum
    EXPECT_EQ(d->value_field(kLevelOutMin)->text(), "254");
    SaveScreenshot(d, "level_dialog");
    d->reset_button()->click();
    EXPECT_EQ(d->value_field(kLevelOutMin)->text(), "0");
    d->bar(kLevelContrast)->setSliderPosition(150);
    d->reject();
  });
  window_->action(318)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->settings.lvl.table, 1);
  EXPECT_EQ(app_->settings.lvl.rows[1][kLevelContrast], 50);
  EXPECT_EQ(app_->slots[0].undo_available, 0);
  EXPECT_EQ(app_->slots[0].r[0], 16320);
}

}  // namespace
}  // namespace tavo
