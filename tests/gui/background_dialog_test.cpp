// SPDX-License-Identifier: MIT
// The quadratic background dialog on the offscreen platform, opened through
// the dialog registry and through its menu entry.
#include "gui/dialogs/background_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "gui/dialog_registry.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using BackgroundDialogTest = QtWindowTest;

void Retype(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

TEST_F(BackgroundDialogTest, LevelsCurveAndShiftThenOkRule) {
  bool driven = false;
  WhenModal<BackgroundDialog>([&](BackgroundDialog* d) {
    const Back2Settings& b = app_->settings.back2;
    EXPECT_TRUE(d->mode_button(0)->isChecked());
    EXPECT_EQ(d->curve_edit()->text(), "2.00");
    EXPECT_EQ(d->curve_bar()->value(), 100);  // 200 - 100
    d->mode_button(1)->click();
    EXPECT_EQ(b.mode, 1);

    Retype(d->level_edit(0), "300");  // R centre, held at 255
    Retype(d->level_edit(1), "100");  // R periphery
    Retype(d->level_edit(2), "100");  // G centre = periphery
    Retype(d->level_edit(3), "100");
    Retype(d->level_edit(4), "7");    // B centre below a periphery of 255
    Retype(d->level_edit(5), "255");
    EXPECT_EQ(b.levels[0], 255);
    EXPECT_EQ(b.levels[2], 100);  // the OK rule waits for OK

    // Curve: 3.5 is held at 3.00 and shows so once typing is done; the bar
    // then steps from position 200.
    Retype(d->curve_edit(), "3.5");
    EXPECT_EQ(b.curve, 300);
    EXPECT_EQ(d->curve_bar()->value(), 200);
    Q_EMIT d->curve_edit()->editingFinished();
    EXPECT_EQ(d->curve_edit()->text(), "3.00");
    d->curve_bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(b.curve, 299);
    EXPECT_EQ(d->curve_edit()->text(), "2.99");
    d->curve_bar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(b.curve, 279);  // a page is 20 hundredths
    d->curve_bar()->setSliderPosition(50);
    EXPECT_EQ(b.curve, 150);
    EXPECT_EQ(d->curve_edit()->text(), "1.50");
    Retype(d->curve_edit(), "2.5");
    EXPECT_EQ(b.curve, 250);
    EXPECT_EQ(d->curve_bar()->value(), 150);

    Retype(d->shift_edit(), "30");
    EXPECT_EQ(b.shift, 30);
    SaveScreenshot(d, "background_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(306, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  const Back2Settings& b = app_->settings.back2;
  // G: centre 100 not above periphery 100 -> 101. B: periphery 255 steps
  // down to 254 so that centre = 255 still fits.
  const int expected[6] = {255, 100, 101, 100, 255, 254};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.levels[i], expected[i]) << i;
  EXPECT_EQ(b.curve, 250);
  EXPECT_EQ(b.shift, 30);
  EXPECT_EQ(b.mode, 1);
}

TEST_F(BackgroundDialogTest, CancelKeepsEditsAndRunsNothing) {
  app_->slots[0] = MakeFlatImage(6, 4, 20000);
  SetImageName(app_->slots[0], "flat.ppm");
  app_->slots.current = 0;
  Back2Settings& b = app_->settings.back2;
  b.levels[1] = b.levels[3] = b.levels[5] = 40;  // something to correct
  b.levels[0] = b.levels[2] = b.levels[4] = 50;
  bool shown = false;
  WhenModal<BackgroundDialog>([&](BackgroundDialog* d) {
    shown = true;
    EXPECT_EQ(d->level_edit(5)->text(), "40");
    d->mode_button(1)->click();
    Retype(d->level_edit(0), "40");
    d->reject();
  });
  window_->action(306)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(b.mode, 1);
  EXPECT_EQ(b.levels[0], 40);  // kept as typed, no OK rule
  EXPECT_EQ(app_->slots[0].changed, 0);
  EXPECT_EQ(app_->slots[0].undo_available, 0);
  EXPECT_EQ(app_->slots[0].r[0], 20000);
}

}  // namespace
}  // namespace tavo
