// SPDX-License-Identifier: MIT
// The "Composite(Auto)" dialog on the offscreen platform, opened through
// the dialog registry and through its menu entry and toolbar button.
#include "gui/dialogs/composite_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "gui/dialog_registry.h"
#include "gui/toolbar_row.h"
#include "io/pnm.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

class CompositeDialogTest : public QtWindowTest {
 protected:
  // Images in slots 0, 2 and 5; the rows remember slots 2 and 7 (gone).
  void PrepareSlots() {
    const int used[3] = {0, 2, 5};
    const char* names[3] = {"a.ppm", "b.ppm", "c.ppm"};
    for (int k = 0; k < 3; ++k) {
      app_->slots[used[k]] = MakeFlatImage(4, 3, 1000);
      SetImageName(app_->slots[used[k]], names[k]);
    }
    CompositeSettings& c = app_->settings.composite;
    c.inputs[0] = 2;
    c.inputs[2] = 7;
  }

  bool Run() { return RunDialog(302, window_.get(), *app_, window_->port()); }
};

void Retype(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

void PressOk(QDialog* d) { d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

TEST_F(CompositeDialogTest, EveryControlEditsTheSettings) {
  PrepareSlots();
  bool driven = false;
  WhenModal<CompositeDialog>([&](CompositeDialog* d) {
    const CompositeSettings& c = app_->settings.composite;
    // Lists: the empty entry, then the three images in slot order.
    ASSERT_EQ(d->image_list(0)->count(), 4);
    EXPECT_EQ(d->image_list(0)->currentText(), "02(b.ppm)");
    EXPECT_EQ(d->image_list(1)->currentIndex(), 0);
    EXPECT_EQ(d->image_list(2)->currentIndex(), 0);  // slot 7 holds nothing now
    EXPECT_EQ(d->image_list(3)->itemText(3), "05(c.ppm)");
    d->image_list(1)->setCurrentIndex(3);
    d->image_list(3)->setCurrentIndex(1);

    // Weight bar of row 1: page -10, line +1, then dragged to 40.
    QScrollBar* bar = d->weight_bar(0);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(c.weights[0], 90);
    EXPECT_EQ(d->weight_edit(0)->text(), "90");
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(c.weights[0], 91);
    EXPECT_EQ(bar->value(), 91);
    bar->setSliderPosition(40);
    EXPECT_EQ(c.weights[0], 40);
    EXPECT_EQ(d->weight_edit(0)->text(), "40");
    // A typed weight is kept as typed; the bar stops at 100 and its next
    // page step starts from there: 100 - 10.
    Retype(d->weight_edit(1), "150");
    EXPECT_EQ(c.weights[1], 150);
    EXPECT_EQ(d->weight_bar(1)->value(), 100);
    d->weight_bar(1)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(c.weights[1], 90);
    EXPECT_EQ(d->weight_edit(1)->text(), "90");
    Retype(d->weight_edit(2), "7x");
    EXPECT_EQ(c.weights[2], 7);
    EXPECT_EQ(d->weight_bar(2)->value(), 7);

    d->mode_button(4)->click();
    EXPECT_EQ(c.mode, 4);
    d->method_button(2)->click();
    EXPECT_EQ(c.method, 2);
    Retype(d->range_edit(), "0");
    EXPECT_EQ(c.range, 1);
    Retype(d->range_edit(), "35");
    EXPECT_EQ(c.range, 35);

    // One three-state setting behind the two boxes: 1 -> 2 -> 0 -> 1.
    EXPECT_TRUE(d->noise_box()->isChecked());
    EXPECT_FALSE(d->move_box()->isChecked());
    d->move_box()->click();
    EXPECT_EQ(c.noise_option, 2);
    EXPECT_FALSE(d->noise_box()->isChecked());
    EXPECT_TRUE(d->move_box()->isChecked());
    d->move_box()->click();
    EXPECT_EQ(c.noise_option, 0);
    EXPECT_FALSE(d->noise_box()->isChecked());
    EXPECT_FALSE(d->move_box()->isChecked());
    d->noise_box()->click();
    EXPECT_EQ(c.noise_option, 1);
    EXPECT_TRUE(d->noise_box()->isChecked());

    EXPECT_TRUE(d->normalise_box()->isChecked());
    d->normalise_box()->click();
    EXPECT_EQ(c.normalise, 0);

    // Level and shifts wait for OK.
    EXPECT_EQ(d->noise_level_edit()->text(), "5");
    Retype(d->noise_level_edit(), "300");
    Retype(d->shift_x_edit(), "-3");
    Retype(d->shift_y_edit(), "4");
    EXPECT_EQ(c.noise_level, 5);
    EXPECT_EQ(c.shift_x, 0);
    SaveScreenshot(d, "composite_dialog");
    driven = true;
    PressOk(d);
  });
  EXPECT_TRUE(Run());
  ASSERT_TRUE(driven);
  const CompositeSettings& c = app_->settings.composite;
  EXPECT_EQ(c.inputs[0], 2);
  EXPECT_EQ(c.inputs[1], 5);
  EXPECT_EQ(c.inputs[2], -1);
  EXPECT_EQ(c.inputs[3], 0);
  EXPECT_EQ(c.noise_level, 255);  // 300 held at the top
  EXPECT_EQ(c.shift_x, -3);
  EXPECT_EQ(c.shift_y, 4);
  EXPECT_EQ(c.weights[0], 40);
  EXPECT_EQ(c.weights[3], 100);
}

TEST_F(CompositeDialogTest, CancelKeepsLiveEditsOnlyAndMakesNothing) {
  PrepareSlots();
  WhenModal<CompositeDialog>([](CompositeDialog* d) {
    d->weight_bar(3)->triggerAction(QAbstractSlider::SliderPageStepSub);
    d->mode_button(2)->click();
    d->image_list(1)->setCurrentIndex(1);
    Retype(d->noise_level_edit(), "9");
    Retype(d->shift_x_edit(), "8");
    d->reject();
  });
  EXPECT_FALSE(Run());
  const CompositeSettings& c = app_->settings.composite;
  EXPECT_EQ(c.weights[3], 90);
  EXPECT_EQ(c.mode, 2);
  EXPECT_EQ(c.inputs[1], -1);  // rows, level and shifts belong to OK
  EXPECT_EQ(c.noise_level, 5);
  EXPECT_EQ(c.shift_x, 0);

  // Through the menu, Cancel makes no image.
  app_->slots.current = 0;
  bool shown = false;
  WhenModal<CompositeDialog>([&](CompositeDialog* d) {
    shown = true;
    d->reject();
  });
  window_->action(302)->trigger();
  ASSERT_TRUE(shown);
  for (int s = 0; s < kSlotCount; ++s) {
    if (s == 0 || s == 2 || s == 5) continue;
    EXPECT_TRUE(app_->slots[s].Empty()) << s;
  }
  EXPECT_EQ(app_->slots.current, 0);
}

// The toolbar's "COMP" button (the twelfth) opens the dialog; two copies
// of one image stacked by the average come out as that image, in the first
// free slot, which becomes current.
TEST_F(CompositeDialogTest, ToolbarButtonComposites) {
  const Image noise = MakeNoiseImage(40, 30, /*seed=*/11);
  const std::string a = dir_ + "/a.ppm", b = dir_ + "/b.ppm";
  ASSERT_TRUE(WritePnm(a, noise, false));
  ASSERT_TRUE(WritePnm(b, noise, false));
  window_->Start({a, b});
  ASSERT_EQ(app_->slots.current, 1);
  bool shown = false;
  WhenModal<CompositeDialog>([&](CompositeDialog* d) {
    shown = true;
    d->image_list(0)->setCurrentIndex(1);  // 00(a)
    d->image_list(1)->setCurrentIndex(2);  // 01(b)
    PressOk(d);
  });
  QTest::mouseClick(window_->toolbar_row(), Qt::LeftButton, Qt::NoModifier, QPoint(24 * 11 + 5, 10));
  ASSERT_TRUE(shown);
  EXPECT_EQ(app_->slots.current, 2);
  const Image& made = app_->slots[2];
  ASSERT_EQ(made.width, 40);
  ASSERT_EQ(made.height, 30);
  EXPECT_TRUE(SamePlanes(made, app_->slots[0]));
}

}  // namespace
}  // namespace tavo
