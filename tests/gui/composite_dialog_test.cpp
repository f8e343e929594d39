// SPDX-License-Identifier: MIT
// The "Composite(Auto)" dialog on the offscreen platform: each control
// reaches its setting; rows, level and shifts wait for OK.
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
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

class CompositeDialogTest : public QtWindowTest {
 protected:
  // Images in slots 0, 2 and 5; the rows remember slots 2 and 7 (gone).
  void SetUp() override {
    QtWindowTest::SetUp();
    const int used[3] = {0, 2, 5};
    const char* names[3] = {"a.ppm", "b.ppm", "c.ppm"};
    for (int k = 0; k < 3; ++k) {
      app_->slots[used[k]] = MakeFlatImage(4, 3, 1000);
      SetImageName(app_->slots[used[k]], names[k]);
    }
    app_->settings.composite.inputs[0] = 2;
    app_->settings.composite.inputs[2] = 7;
  }
};

void Retype(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

TEST_F(CompositeDialogTest, EveryControlReachesItsSetting) {
  bool driven = false;
  WhenModal<CompositeDialog>([&](CompositeDialog* d) {
    const CompositeSettings& c = app_->settings.composite;
    // Lists: the empty entry, then the three images in slot order.
    ASSERT_EQ(d->image_list(0)->count(), 4);
    EXPECT_EQ(d->image_list(0)->currentText(), "02(b.ppm)");
    EXPECT_EQ(d->image_list(2)->currentIndex(), 0);  // slot 7 holds nothing now
    EXPECT_EQ(d->image_list(3)->itemText(3), "05(c.ppm)");
    d->image_list(1)->setCurrentIndex(3);
    d->image_list(3)->setCurrentIndex(1);
    // Weight bar and edit of each row move together.
    d->weight_bar(0)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(c.weights[0], 90);
    EXPECT_EQ(d->weight_edit(0)->text(), "90");
    d->weight_bar(0)->setSliderPosition(40);
    EXPECT_EQ(c.weights[0], 40);
    Retype(d->weight_edit(2), "7x");
    EXPECT_EQ(c.weights[2], 7);
    EXPECT_EQ(d->weight_bar(2)->value(), 7);
    EXPECT_EQ(d->weight_bar(3)->maximum(), 100);
    d->mode_button(4)->click();
    EXPECT_EQ(c.mode, 4);
    d->method_button(2)->click();
    EXPECT_EQ(c.method, 2);
    Retype(d->range_edit(), "35");
    EXPECT_EQ(c.range, 35);
    // One three-state setting behind the two boxes.
    d->move_box()->click();
    EXPECT_EQ(c.noise_option, 2);
    EXPECT_FALSE(d->noise_box()->isChecked());
    EXPECT_TRUE(d->move_box()->isChecked());
    d->move_box()->click();
    EXPECT_FALSE(d->move_box()->isChecked());
    d->noise_box()->click();
    EXPECT_EQ(c.noise_option, 1);
    d->normalise_box()->click();
    EXPECT_EQ(c.normalise, 0);
    EXPECT_EQ(d->noise_level_edit()->text(), "5");
    Retype(d->noise_level_edit(), "300");
    Retype(d->shift_x_edit(), "-3");
    Retype(d->shift_y_edit(), "4");
    EXPECT_EQ(c.noise_level, 5);
    EXPECT_EQ(c.shift_x, 0);
    SaveScreenshot(d, "composite_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(kCmdCompositeAuto, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  const CompositeSettings& c = app_->settings.composite;
  EXPECT_EQ(std::vector<int>(c.inputs, c.inputs + 4), (std::vector<int>{2, 5, -1, 0}));
  EXPECT_EQ(c.noise_level, 255);  // 300 held at the top
  EXPECT_EQ(c.shift_x, -3);
  EXPECT_EQ(c.shift_y, 4);
  EXPECT_EQ(c.weights[3], 100);
}

TEST_F(CompositeDialogTest, CancelFromTheMenuKeepsLiveEditsOnlyAndMakesNothing) {
  app_->slots.current = 0;
  WhenModal<CompositeDialog>([](CompositeDialog* d) {
    d->weight_bar(3)->triggerAction(QAbstractSlider::SliderPageStepSub);
    d->mode_button(2)->click();
    d->image_list(1)->setCurrentIndex(1);
    Retype(d->noise_level_edit(), "9");
    Retype(d->shift_x_edit(), "8");
    d->reject();
  });
  window_->action(kCmdCompositeAuto)->trigger();
  const CompositeSettings& c = app_->settings.composite;
  EXPECT_EQ(c.weights[3], 90);
  EXPECT_EQ(c.mode, 2);
  EXPECT_EQ(c.inputs[1], -1);  // rows, level and shifts belong to OK
  EXPECT_EQ(c.noise_level, 5);
  EXPECT_EQ(c.shift_x, 0);
  for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(app_->slots[s].Empty(), s != 0 && s != 2 && s != 5) << s;
  EXPECT_EQ(app_->slots.current, 0);
}

}  // namespace
}  // namespace tavo
