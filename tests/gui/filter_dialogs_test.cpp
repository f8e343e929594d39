// SPDX-License-Identifier: MIT
// The filter and geometry dialogs, each opened
// as a user would (toolbar button or menu entry), driven control by
// control, photographed, and confirmed or cancelled.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "gui/dialogs/crop_dialog.h"
#include "gui/dialogs/distortion_dialog.h"
#include "gui/dialogs/edge_dialog.h"
#include "gui/dialogs/resize_dialog.h"
#include "gui/dialogs/rotate_dialog.h"
#include "gui/dialogs/sharp_dialog.h"
#include "gui/toolbar_row.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

// Slot `slot` holds a w x h position image (R = x * 1000 + row) and is
// current.
void PutPositionImage(AppState& app, int slot, int w, int h) {
  app.slots[slot] = MakePositionImage(w, h);
  SetImageName(app.slots[slot], "pos.ppm");
  MarkLoaded(app.slots[slot]);
  app.slots.current = slot;
}

void Retype(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

void PressOk(QDialog* d) { d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

// Toolbar buttons are 24 pixels wide.
void ClickToolbarButton(MainWindow& window, int button) {
  QTest::mouseClick(window.toolbar_row(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(24 * button + 5, 10));
}

using FilterDialogTest = QtWindowTest;

// Toolbar button "SANDS": the edits, bars and boxes write the settings, OK
// filters the chosen planes.
TEST_F(FilterDialogTest, SharpEditsBarsAndBoxesThenOk) {
  PutPositionImage(*app_, 0, 6, 5);
  const SharpSettings& s = app_->settings.sharp;
  bool driven = false;
  WhenModal<SharpDialog>([&](SharpDialog* d) {
    EXPECT_EQ(d->edit(1)->text(), "10.00");  // 2560
    Retype(d->edit(0), "25");
    d->bar(0)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(d->edit(0)->text(), "6");  // held at 10, then a page of 4
    d->bar(1)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->edit(1)->text(), "15.00");  // a page is 1280
    Retype(d->edit(1), "20");
    EXPECT_EQ(d->bar(1)->value(), 20);
    Retype(d->edit(2), "7");
    d->bar(3)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    d->channel_box(1)->click();
    EXPECT_EQ(s.radius * 100000 + s.range, 605122);  // (20 + 0.01) x 256
    EXPECT_EQ(s.smooth * 100 + s.enhance + s.use_g, 720);
    SaveScreenshot(d, "sharp_dialog");
    driven = true;
    PressOk(d);
  });
  ClickToolbarButton(*window_, 7);
  ASSERT_TRUE(driven);
  const Image& img = app_->slots[0];
  EXPECT_NE(PlaneValues(img.r.get(), img), PlaneValues(img.undo_r.get(), img));
  EXPECT_EQ(PlaneValues(img.g.get(), img), PlaneValues(img.undo_g.get(), img));
}

// Menu entry 303: the edits and bars write the settings; Cancel keeps them
// and changes no image.
TEST_F(FilterDialogTest, EdgeEditsAndBarsThenCancel) {
  PutPositionImage(*app_, 0, 6, 5);
  const EdgeSettings& e = app_->settings.edge;
  bool driven = false;
  WhenModal<EdgeDialog>([&](EdgeDialog* d) {
    d->bar(0)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->bar(0)->value(), 20);  // a page is 2560
    d->bar(0)->setSliderPosition(3);
    EXPECT_EQ(d->edit(0)->text(), "3.00");  // a drag sets thumb x 256
    Retype(d->edit(1), "99");
    Retype(d->edit(2), "150");
    d->bar(2)->triggerAction(QAbstractSlider::SliderPageStepSub);
    Retype(d->edit(3), "4");
    d->channel_box(2)->click();
    SaveScreenshot(d, "edge_dialog");
    driven = true;
    d->reject();
  });
  window_->action(303)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(e.range, 768);
  EXPECT_EQ(e.strength * 10000 + e.threshold * 10 + e.smooth + e.use_b, 500904);  // 50, 100 - 10, 4, 0
  EXPECT_TRUE(SamePlanes(app_->slots[0], MakePositionImage(6, 5)));
}

// Toolbar button "SIZE": the from fields show the image's size, a typed to
// size keeps the aspect, OK resizes.
TEST_F(FilterDialogTest, ResizeKeepsAspectThenNearestOk) {
  PutPositionImage(*app_, 0, 4, 3);
  app_->settings.resize.x_to = 500;  // shown as the image's size again
  bool driven = false;
  WhenModal<ResizeDialog>([&](ResizeDialog* d) {
    EXPECT_TRUE(d->keep_aspect_box()->isChecked());
    EXPECT_EQ(d->from_edit(1)->text(), "3");
    EXPECT_EQ(d->to_edit(0)->text(), "4");
    Retype(d->to_edit(0), "8");
    EXPECT_EQ(d->to_edit(1)->text(), "6");  // (3 x 8 + 1) / 4
    d->method_button(0)->click();
    SaveScreenshot(d, "resize_dialog");
    driven = true;
    PressOk(d);
  });
  ClickToolbarButton(*window_, 9);
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->slots[0].width * 10 + app_->slots[0].height, 86);
  EXPECT_EQ(app_->settings.resize.method, 0);
}

// Menu entry 213: anchor, crop size and output size; OK makes the new image.
TEST_F(FilterDialogTest, CropAnchorSizesAndModeThenOk) {
  PutPositionImage(*app_, 0, 4, 3);
  const CutSettings& c = app_->settings.cut;
  bool driven = false;
  WhenModal<CropDialog>([&](CropDialog* d) {
    EXPECT_TRUE(d->anchor_button(4)->isChecked());
    EXPECT_EQ(d->edit(4)->text(), "100");
    d->anchor_button(2)->click();
    Retype(d->edit(0), "2");
    Retype(d->edit(1), "1");
    Retype(d->edit(2), "3");
    Retype(d->edit(3), "2");
    d->mode_button(0)->click();
    SaveScreenshot(d, "crop_dialog");
    driven = true;
    PressOk(d);
  });
  window_->action(213)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(c.anchor * 10 + c.scale_mode, 20);
  ASSERT_EQ(app_->slots.current, 1);
  EXPECT_EQ(app_->slots[1].width * 10 + app_->slots[1].height, 32);
}

// Toolbar button "ROUND": the angle field reads degrees with hundredths;
// OK with a quarter turn stores its angle and turns the image.
TEST_F(FilterDialogTest, RotateAngleFieldThenQuarterTurnOk) {
  PutPositionImage(*app_, 0, 3, 2);
  app_->settings.round.angle = -25;
  const RoundSettings& r = app_->settings.round;
  bool driven = false;
  WhenModal<RotateDialog>([&](RotateDialog* d) {
    EXPECT_TRUE(d->kind_button(3)->isChecked());
    EXPECT_EQ(d->angle_edit()->text(), "-0.25");
    Retype(d->angle_edit(), "12.5");
    EXPECT_EQ(r.angle, 1250);
    d->kind_button(0)->click();
    SaveScreenshot(d, "rotate_dialog");
    driven = true;
    PressOk(d);
  });
  ClickToolbarButton(*window_, 10);
  ASSERT_TRUE(driven);
  EXPECT_EQ(r.kind * 100000 + r.angle, 9000);
  EXPECT_EQ(app_->slots[0].width, 2);
}

// Menu entry 330: the corner shift as typed; OK corrects the image.
TEST_F(FilterDialogTest, DistortionSignedShiftThenOk) {
  PutPositionImage(*app_, 0, 5, 5);
  bool driven = false;
  WhenModal<DistortionDialog>([&](DistortionDialog* d) {
    EXPECT_EQ(d->corner_edit()->text(), "0");
    Retype(d->corner_edit(), "-1");
    SaveScreenshot(d, "distortion_dialog");
    driven = true;
    PressOk(d);
  });
  window_->action(330)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.waikyoku.corner, -1);
  EXPECT_EQ(app_->slots[0].undo_available, 1);
}

}  // namespace
}  // namespace tavo
