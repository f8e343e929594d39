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
    // The curve 1.00..3.00 on a bar of 0..200, pages of 0.20.
    QScrollBar* bar = d->curve_bar();
    EXPECT_EQ(std::vector<int>({bar->minimum(), bar->maximum(), bar->pageStep(), bar->value()}),
              std::vector<int>({0, 200, 20, 100}));
    EXPECT_EQ(d->curve_edit()->text(), "2.00");
    d->mode_button(1)->click();
    EXPECT_EQ(b.mode, 1);
    const char* typed[6] = {"300", "100", "100", "100", "7", "255"};
    for (int i = 0; i < 6; ++i) Retype(d->level_edit(i), typed[i]);
    EXPECT_EQ(b.levels[0], 255);  // held at the top as typed
    EXPECT_EQ(b.levels[2], 100);  // the OK rule waits for OK
    Retype(d->curve_edit(), "3.5");
    EXPECT_EQ(b.curve, 300);
    EXPECT_EQ(bar->value(), 200);
    Q_EMIT d->curve_edit()->editingFinished();
    EXPECT_EQ(d->curve_edit()->text(), "3.00");
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(b.curve, 280);
    EXPECT_EQ(d->curve_edit()->text(), "2.80");
    bar->setSliderPosition(50);
    EXPECT_EQ(b.curve, 150);
    Retype(d->shift_edit(), "30");
    EXPECT_EQ(b.shift, 30);
    SaveScreenshot(d, "background_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(kCmdBackgroundQuad, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  const Back2Settings& b = app_->settings.back2;
  const int expected[6] = {255, 100, 101, 100, 255, 254};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.levels[i], expected[i]) << i;
  EXPECT_EQ(b.curve, 150);
  EXPECT_EQ(b.shift, 30);
}

TEST_F(BackgroundDialogTest, CancelKeepsEditsAndRunsNothing) {
  app_->slots[0] = MakeFlatImage(6, 4, 20000);
  app_->slots.current = 0;
  Back2Settings& b = app_->settings.back2;
  b.levels[1] = b.levels[3] = b.levels[5] = 40;  // something to correct
  b.levels[0] = b.levels[2] = b.levels[4] = 50;
  WhenModal<BackgroundDialog>([&](BackgroundDialog* d) {
    EXPECT_EQ(d->level_edit(5)->text(), "40");
    d->mode_button(1)->click();
    Retype(d->level_edit(0), "40");
    d->reject();
  });
  window_->action(kCmdBackgroundQuad)->trigger();
  EXPECT_EQ(b.mode, 1);
  EXPECT_EQ(b.levels[0], 40);  // kept as typed, no OK rule
  EXPECT_EQ(app_->slots[0].changed, 0);
  EXPECT_EQ(app_->slots[0].r[0], 20000);
}

}  // namespace
}  // namespace tavo
