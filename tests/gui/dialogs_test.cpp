// SPDX-License-Identifier: MIT
// The operation dialogs on the offscreen platform, one wiring test each
// (and its Cancel path): every control reaches its setting, the slider
// ranges, what waits for OK. The rules behind them are the shell's.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "gui/dialog_registry.h"
#include "gui/dialogs/background_dialog.h"
#include "gui/dialogs/batch_dialog.h"
#include "gui/dialogs/composite_dialog.h"
#include "gui/dialogs/dark_dialog.h"
#include "gui/dialogs/gamma_dialog.h"
#include "gui/dialogs/raw_dialog.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
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

using BackgroundDialogTest = QtWindowTest;

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

using BatchDialogTest = QtWindowTest;

void Choose(QComboBox* list, int code) { list->setCurrentIndex(list->findData(code)); }

QPushButton* DialogButton(QDialog* d, QDialogButtonBox::StandardButton which) {
  return d->findChild<QDialogButtonBox*>()->button(which);
}

// Clicks OK on the next message box and keeps its text.
void AnswerMessage(std::string* text) {
  WhenModal<QMessageBox>([text](QMessageBox* box) {
    *text = box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
  });
}

TEST_F(BatchDialogTest, ListsDetailsAndOk) {
  bool driven = false;
  WhenModal<BatchDialog>([&](BatchDialog* d) {
    const BatchSequence& seq = app_->batch;
    // Row 1 offers the two opening steps, rows 2..7 none and codes 4..15,
    // row 8 the save step only.
    EXPECT_EQ(d->step_list(0)->count(), 2);
    EXPECT_EQ(d->step_list(0)->currentText(), QString::fromUtf8(BatchStepText(kStepOpenOne)));
    EXPECT_EQ(d->step_list(1)->count(), 13);
    EXPECT_EQ(d->step_list(1)->currentText(), " ");
    EXPECT_EQ(d->step_list(7)->count(), 1);
    EXPECT_EQ(d->step_list(7)->currentText(), QString::fromUtf8(BatchStepText(kStepSave)));
    Choose(d->step_list(2), kStepGamma);
    EXPECT_EQ(d->step_list(2)->currentText(), QString::fromUtf8(BatchStepText(kStepGamma)));
    EXPECT_EQ(seq.code[2], 12);
    EXPECT_EQ(seq.stored_code[2], 0);
    d->timing_box()->click();

    // No save folder yet: OK is refused and the dialog stays.
    std::string refusal;
    AnswerMessage(&refusal);
    DialogButton(d, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(refusal, kMsgBatchSaveMissing);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(seq.stored_code[2], 0);

    // The save row asks for a file name; its folder and the chosen format
    // (third filter, TIFF) are what the row keeps.
    bool saved = false;
    WhenModal<QFileDialog>([&](QFileDialog* f) {
      saved = true;
      EXPECT_EQ(f->acceptMode(), QFileDialog::AcceptSave);
      f->selectNameFilter(f->nameFilters()[2]);
      f->selectFile(QString::fromStdString(dir_ + "/anything.tif"));
      static_cast<QDialog*>(f)->accept();  // public in QDialog, runs the file dialog's own
    });
    d->details_button(7)->click();
    ASSERT_TRUE(saved);
    EXPECT_EQ(seq.folder[7], dir_);
    EXPECT_EQ(seq.extension[7], ".TIF");
    EXPECT_EQ(seq.save_configured, 1);

    // The gamma step's details: the gamma dialog over this one.
    bool gamma_shown = false;
    WhenModal<GammaDialog>([&](GammaDialog* g) {
      gamma_shown = true;
      EXPECT_EQ(g->parentWidget(), d);
      g->straight_button()->click();
      DialogButton(g, QDialogButtonBox::Ok)->click();
    });
    d->details_button(2)->click();
    ASSERT_TRUE(gamma_shown);
    EXPECT_EQ(seq.detail[2][0], 0);

    SaveScreenshot(d, "batch_dialog");
    driven = true;
    DialogButton(d, QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(kCmdBatchSettings, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->batch.timing, 1);
  for (int step = 0; step < kBatchSteps; ++step) EXPECT_EQ(app_->batch.stored_code[step], app_->batch.code[step]);
}

TEST_F(BatchDialogTest, CompositeDetailsThenCancel) {
  bool driven = false;
  WhenModal<BatchDialog>([&](BatchDialog* d) {
    Choose(d->step_list(0), 2);
    EXPECT_EQ(app_->batch.code[0], 2);
    // The composite step explains itself first, then shows the composite
    // dialog over the batch dialog.
    std::string note;
    AnswerMessage(&note);
    bool shown = false;
    WhenModal<CompositeDialog>([&](CompositeDialog* c) {
      shown = true;
      EXPECT_EQ(c->parentWidget(), d);
      c->weight_bar(1)->triggerAction(QAbstractSlider::SliderPageStepSub);
      DialogButton(c, QDialogButtonBox::Ok)->click();
    });
    d->details_button(0)->click();
    EXPECT_EQ(note, kMsgBatchCompositeInfo);
    ASSERT_TRUE(shown);
    EXPECT_EQ(app_->batch.detail[0][8], 90);
    Choose(d->step_list(3), 6);
    d->timing_box()->click();
    driven = true;
    d->reject();
  });
  EXPECT_FALSE(RunDialog(kCmdBatchSettings, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  // Codes picked stay; the timing box and the detail blocks wait for OK.
  EXPECT_EQ(app_->batch.code[0], 2);
  EXPECT_EQ(app_->batch.code[3], 6);
  EXPECT_EQ(app_->batch.stored_code[3], 0);
  EXPECT_EQ(app_->batch.timing, 0);
}

using DarkDialogTest = QtWindowTest;

QStringList Lines(QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// Files come from a scripted port here, so that refusals can be counted.
TEST_F(DarkDialogTest, ListModeAndThreshold) {
  app_->darks.paths[0] = "/d/one.CR2";
  app_->settings.raw.dark_mode = 2;
  app_->settings.raw.defect_threshold = 1000;
  FakeUi ui;
  for (const char* path : {"/d/two.NEF", "/d/x.tif", "/d/three.dng", "/d/four.ARW", "/d/five.CR2"}) {
    ui.files.push_back({true, path, 0});
  }
  bool driven = false;
  WhenModal<DarkDialog>([&](DarkDialog* d) {
    const RawDevelopSettings& raw = app_->settings.raw;
    EXPECT_EQ(d->windowTitle(), "Dark file Select");
    EXPECT_EQ(d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel), nullptr);
    EXPECT_EQ(Lines(d->file_list()), QStringList({"1 /d/one.CR2"}));
    EXPECT_TRUE(d->mode_button(2)->isChecked());
    // The bar shows sixteenths, the number the value itself.
    EXPECT_EQ(d->threshold_bar()->value(), 62);
    EXPECT_EQ(d->threshold_number()->text(), "1000");
    d->threshold_bar()->setSliderPosition(10);
    EXPECT_EQ(raw.defect_threshold, 160);
    EXPECT_EQ(d->threshold_number()->text(), "160");
    d->mode_button(0)->click();
    EXPECT_EQ(raw.dark_mode, 0);

    for (int i = 0; i < 5; ++i) d->add_button()->click();  // x.tif and a fifth file are refused
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(d->file_list()->count(), 4);
    SaveScreenshot(d, "dark_dialog");

    // Deleting the second moves the later ones up; without a selection
    // nothing more goes.
    d->file_list()->setCurrentRow(1);
    d->delete_button()->click();
    EXPECT_EQ(Lines(d->file_list()), QStringList({"1 /d/one.CR2", "2 /d/three.dng", "3 /d/four.ARW"}));
    d->delete_button()->click();
    EXPECT_EQ(d->file_list()->count(), 3);
    driven = true;
    d->reject();  // Escape or the close box end it as OK does
  });
  EXPECT_TRUE(RunDialog(kCmdDarkFiles, window_.get(), *app_, ui));
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->darks.paths[1], "/d/three.dng");
  EXPECT_EQ(app_->darks.paths[3], "");
}

// From the menu, "追加" shows the real open dialog; OK then rebuilds the
// dark set (an empty file loads no frame, so no master dark results).
TEST_F(DarkDialogTest, AddThroughTheFileDialog) {
  const std::string path = dir_ + "/dark.CR2";
  WriteBytes(path, "");
  bool picked = false, driven = false;
  WhenModal<DarkDialog>([&](DarkDialog* d) {
    WhenModal<QFileDialog>([&](QFileDialog* f) {
      picked = true;
      EXPECT_EQ(f->acceptMode(), QFileDialog::AcceptOpen);
      f->selectFile(QString::fromStdString(path));
      static_cast<QDialog*>(f)->accept();  // public in QDialog, runs the file dialog's own
    });
    d->add_button()->click();
    EXPECT_EQ(Lines(d->file_list()), QStringList({QString::fromStdString("1 " + path)}));
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(kCmdDarkFiles)->trigger();
  ASSERT_TRUE(picked);
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->darks.paths[0], path);
  EXPECT_EQ(app_->last_dialog_path, path);
}

using RawDialogTest = QtWindowTest;

TEST_F(RawDialogTest, BarsValuesRadiusAndDefaults) {
  bool driven = false;
  WhenModal<RawDialog>([&](RawDialog* d) {
    const RawDevelopSettings& raw = app_->settings.raw;
    // {control, minimum, maximum}: every bar steps one position a page.
    const int ranges[][3] = {{kRawGammaR, 10, 40},   {kRawGammaB, 10, 40},    {kRawBlackG, 0, 32},
                             {kRawWhiteR, 0, 127},   {kRawWhiteB, 0, 127},    {kRawSharpness, 0, 8},
                             {kRawFalseColour, 0, 4}, {kRawSaturation, 0, 4}, {kRawHue, 0, 36},
                             {kRawQuality, 0, 3}};
    for (const auto& r : ranges) {
      EXPECT_EQ(std::vector<int>({d->bar(r[0])->minimum(), d->bar(r[0])->maximum(), d->bar(r[0])->pageStep()}),
                std::vector<int>({r[1], r[2], 1}))
          << r[0];
    }
    EXPECT_TRUE(d->path_button(0)->isChecked());
    EXPECT_TRUE(d->radius_button(0)->isChecked());
    // Defaults as shown: gamma 2.2 at 22, white R 180 at 52.
    EXPECT_EQ(d->bar(kRawGammaR)->value(), 22);
    EXPECT_EQ(d->value(kRawGammaR)->text(), "2.2");
    EXPECT_EQ(d->bar(kRawWhiteR)->value(), 52);
    EXPECT_TRUE(d->value(kRawHue)->isReadOnly());

    d->path_button(1)->click();
    EXPECT_EQ(raw.path, 1);
    d->bar(kRawGammaB)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_DOUBLE_EQ(raw.gamma[2], 2.3);
    EXPECT_EQ(d->value(kRawGammaB)->text(), "2.3");
    d->bar(kRawBlackG)->triggerAction(QAbstractSlider::SliderPageStepAdd);  // a page is one step too
    EXPECT_EQ(raw.black_g, 4);
    d->bar(kRawHue)->setSliderPosition(36);
    EXPECT_EQ(raw.hue, 36);
    EXPECT_EQ(d->value(kRawHue)->text(), "+36");
    d->bar(kRawWhiteB)->setSliderPosition(127);
    EXPECT_EQ(raw.white_b, 255);
    d->radius_button(1)->click();
    EXPECT_EQ(raw.radius, 1);
    d->bar(kRawQuality)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(raw.quality, 1);
    SaveScreenshot(d, "raw_dialog");

    // Back to the defaults, except the path; the controls follow.
    d->defaults_button()->click();
    EXPECT_DOUBLE_EQ(raw.gamma[2], 2.2);
    EXPECT_EQ(std::vector<int>({raw.hue, raw.radius, raw.quality, raw.path}), std::vector<int>({18, 0, 0, 1}));
    EXPECT_EQ(d->bar(kRawHue)->value(), 18);
    EXPECT_EQ(d->value(kRawHue)->text(), "0");
    EXPECT_TRUE(d->radius_button(0)->isChecked());
    EXPECT_TRUE(d->path_button(1)->isChecked());

    d->bar(kRawSaturation)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(kCmdRawSettings, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.raw.saturation, 2);
  EXPECT_EQ(app_->settings.raw.path, 1);
}

TEST_F(RawDialogTest, CancelFromTheMenuKeepsOnlyThePath) {
  app_->settings.raw.sharpness = 4;
  bool driven = false;
  WhenModal<RawDialog>([&](RawDialog* d) {
    d->path_button(1)->click();
    d->bar(kRawGammaR)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    d->bar(kRawSharpness)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(app_->settings.raw.sharpness, 3);
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  });
  window_->action(kCmdRawSettings)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.raw.path, 1);
  EXPECT_DOUBLE_EQ(app_->settings.raw.gamma[0], 2.2);
  EXPECT_EQ(app_->settings.raw.sharpness, 4);
}

}  // namespace
}  // namespace tavo
