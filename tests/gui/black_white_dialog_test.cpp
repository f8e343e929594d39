// SPDX-License-Identifier: MIT
// The black-and-white dialog on the offscreen platform, opened from its
// toolbar button's command.
#include "gui/dialogs/black_white_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using BlackWhiteDialogTest = QtWindowTest;

TEST_F(BlackWhiteDialogTest, ManualWeightsThenOkMakesAMonochromeImage) {
  app_->slots[0] = MakeFlatImage(2, 2, 0);
  app_->slots[0].g[0] = 1600;
  app_->slots.current = 0;
  bool shown = false;
  WhenModal<BlackWhiteDialog>([&](BlackWhiteDialog* d) {
    shown = true;
    EXPECT_TRUE(d->mode_button(2)->isChecked());
    EXPECT_EQ(d->weight_field(1)->text(), "587");
    d->mode_button(3)->click();
    for (int c = 0; c < 3; ++c) {
      d->weight_field(c)->selectAll();
      QTest::keyClicks(d->weight_field(c), c == 1 ? "5" : "0");
    }
    EXPECT_EQ(app_->settings.gray.weight_g, 5);
    SaveScreenshot(d, "black_white_dialog");
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(312)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->slots[0].monochrome, 1);
  EXPECT_EQ(app_->slots[0].b[0], 1600);  // G alone
}

}  // namespace
}  // namespace tavo
