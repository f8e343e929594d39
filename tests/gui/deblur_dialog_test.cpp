// SPDX-License-Identifier: MIT
// The deblur dialog on the offscreen platform, opened from its menu entry.
#include "gui/dialogs/deblur_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "shell/command_ids.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using DeblurDialogTest = QtWindowTest;

TEST_F(DeblurDialogTest, ListsEditsAndBarsAreStoredOnOk) {
  app_->slots[0] = MakeNoiseImage(20, 10, 2);
  app_->slots.current = 0;
  bool driven = false;
  WhenModal<DeblurDialog>([&](DeblurDialog* d) {
    EXPECT_EQ(d->iterations_list()->currentText(), "3");
    EXPECT_EQ(d->emphasis_list()->currentText(), "1");
    EXPECT_EQ(d->spread_edit()->text(), "1.0");
    EXPECT_EQ(d->dullness_edit()->text(), "2.0");
    d->iterations_list()->setCurrentIndex(4);
    d->emphasis_list()->setCurrentIndex(0);
    d->spread_edit()->selectAll();
    QTest::keyClicks(d->spread_edit(), "0.55");
    EXPECT_EQ(d->values().spread, 5);
    EXPECT_EQ(d->spread_bar()->value(), 5);
    d->dullness_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->dullness_edit()->text(), "3.0");
    EXPECT_EQ(app_->settings.restore.spread, 10);  // nothing stored before OK
    SaveScreenshot(d, "deblur_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(kCmdDeblur)->trigger();
  ASSERT_TRUE(driven);
  const RestoreSettings& r = app_->settings.restore;
  EXPECT_EQ(r.iterations, 5);
  EXPECT_EQ(r.emphasis, 0);
  EXPECT_EQ(r.spread, 5);
  EXPECT_EQ(r.dullness, 30);
  EXPECT_EQ(app_->slots[0].changed, 1);
}

}  // namespace
}  // namespace tavo
