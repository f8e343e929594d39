// SPDX-License-Identifier: MIT
// The operation dialogs on the offscreen platform, one wiring test each
// with its Cancel path: every control reaches its setting, the slider
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

void Retype(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}
void Press(QDialog* d, QDialogButtonBox::StandardButton which) {
  d->findChild<QDialogButtonBox*>()->button(which)->click();
}
std::vector<int> Range(QScrollBar* bar) { return {bar->minimum(), bar->maximum(), bar->pageStep()}; }
// Types `path` into a file dialog's name field and accepts, as a user
// would (selectFile() leaves a focused field alone).
void TypeAndAccept(QFileDialog* f, const std::string& path) {
  f->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
  static_cast<QDialog*>(f)->accept();  // public in QDialog, runs the file dialog's own
}

class DialogTest : public QtWindowTest {
 protected:
  // Dialog `id` through the registry, driven by `act`; false when cancelled.
  template <typename T>
  bool Show(int id, const std::function<void(T*)>& act, UiPort* ui = nullptr) {
    bool driven = false;
    WhenModal<T>([&](T* d) {
      driven = true;
      act(d);
    });
    const bool ok = RunDialog(id, window_.get(), *app_, ui != nullptr ? *ui : window_->port());
    EXPECT_TRUE(driven);
    return ok;
  }
  // The same through the menu command.
  template <typename T>
  void FromMenu(int id, const std::function<void(T*)>& act) {
    bool driven = false;
    WhenModal<T>([&](T* d) {
      driven = true;
      act(d);
    });
    window_->action(id)->trigger();
    EXPECT_TRUE(driven);
  }
  void PutImages() {  // slots 0, 2 and 5
    for (int k : {0, 2, 5}) {
      app_->slots[k] = MakeFlatImage(4, 3, 1000);
      SetImageName(app_->slots[k], std::string(1, static_cast<char>('a' + k)) + ".ppm");
    }
    app_->slots.current = 0;
  }
};

// The rows remember slots 2 and 7 (gone): lists show the empty entry, then
// the images in slot order.
TEST_F(DialogTest, CompositeControlsReachTheirSettings) {
  PutImages();
  CompositeSettings& c = app_->settings.composite;
  c.inputs[0] = 2;
  c.inputs[2] = 7;
  EXPECT_TRUE(Show<CompositeDialog>(kCmdCompositeAuto, [&](CompositeDialog* d) {
    ASSERT_EQ(d->image_list(0)->count(), 4);
    EXPECT_EQ(d->image_list(0)->currentText(), "02(c.ppm)");
    EXPECT_EQ(d->image_list(2)->currentIndex(), 0);
    d->image_list(1)->setCurrentIndex(3);
    d->image_list(3)->setCurrentIndex(1);
    EXPECT_EQ(Range(d->weight_bar(3)), std::vector<int>({0, 100, 10}));
    d->weight_bar(0)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(c.weights[0], 90);
    EXPECT_EQ(d->weight_edit(0)->text(), "90");
    Retype(d->weight_edit(2), "7");
    EXPECT_EQ(c.weights[2], 7);
    EXPECT_EQ(d->weight_bar(2)->value(), 7);
    d->mode_button(4)->click();
    d->method_button(2)->click();
    Retype(d->range_edit(), "35");
    EXPECT_TRUE(d->noise_box()->isChecked());  // option 1 as the dialog opens
    d->move_box()->click();
    EXPECT_FALSE(d->noise_box()->isChecked());
    d->normalise_box()->click();
    EXPECT_EQ(std::vector<int>({c.mode, c.method, c.range, c.noise_option, c.normalise}),
              std::vector<int>({4, 2, 35, 2, 0}));
    Retype(d->noise_level_edit(), "300");
    Retype(d->shift_x_edit(), "-3");
    Retype(d->shift_y_edit(), "4");
    EXPECT_EQ(std::vector<int>({c.noise_level, c.shift_x, c.inputs[1]}), std::vector<int>({5, 0, -1}));
    SaveScreenshot(d, "composite_dialog");
    Press(d, QDialogButtonBox::Ok);
  }));
  EXPECT_EQ(std::vector<int>(c.inputs, c.inputs + 4), (std::vector<int>{2, 5, -1, 0}));
  EXPECT_EQ(std::vector<int>({c.noise_level, c.shift_x, c.shift_y}), std::vector<int>({255, -3, 4}));
  // From the menu, Cancel keeps the live edits only and makes no image.
  FromMenu<CompositeDialog>(kCmdCompositeAuto, [&](CompositeDialog* d) {
    d->mode_button(2)->click();
    d->image_list(1)->setCurrentIndex(1);
    Retype(d->shift_x_edit(), "8");
    d->reject();
  });
  EXPECT_EQ(std::vector<int>({c.mode, c.inputs[1], c.shift_x}), std::vector<int>({2, 5, -3}));
  for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(app_->slots[s].Empty(), s != 0 && s != 2 && s != 5) << s;
}

TEST_F(DialogTest, BackgroundControlsThenOkRule) {
  Back2Settings& b = app_->settings.back2;
  EXPECT_TRUE(Show<BackgroundDialog>(kCmdBackgroundQuad, [&](BackgroundDialog* d) {
    // The curve 1.00..3.00 on a bar of 0..200, pages of 0.20.
    QScrollBar* bar = d->curve_bar();
    EXPECT_EQ(Range(bar), std::vector<int>({0, 200, 20}));
    EXPECT_EQ(bar->value(), 100);
    d->mode_button(1)->click();
    const char* typed[6] = {"300", "100", "100", "100", "7", "255"};
    for (int i = 0; i < 6; ++i) Retype(d->level_edit(i), typed[i]);
    EXPECT_EQ(b.levels[2], 100);  // the OK rule waits for OK
    Retype(d->curve_edit(), "3.5");
    EXPECT_EQ(bar->value(), 200);
    Q_EMIT d->curve_edit()->editingFinished();
    EXPECT_EQ(d->curve_edit()->text(), "3.00");
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(d->curve_edit()->text(), "2.80");
    bar->setSliderPosition(50);
    Retype(d->shift_edit(), "30");
    SaveScreenshot(d, "background_dialog");
    Press(d, QDialogButtonBox::Ok);
  }));
  EXPECT_EQ(std::vector<int>(b.levels, b.levels + 6), std::vector<int>({255, 100, 101, 100, 255, 254}));
  EXPECT_EQ(std::vector<int>({b.mode, b.curve, b.shift}), std::vector<int>({1, 150, 30}));
  // From the menu, Cancel keeps the edits as typed and corrects nothing.
  PutImages();
  FromMenu<BackgroundDialog>(kCmdBackgroundQuad, [&](BackgroundDialog* d) {
    EXPECT_EQ(d->level_edit(5)->text(), "254");
    Retype(d->level_edit(0), "40");
    d->reject();
  });
  EXPECT_EQ(b.levels[0], 40);
  EXPECT_EQ(app_->slots[0].changed, 0);
}

void Choose(QComboBox* list, int code) { list->setCurrentIndex(list->findData(code)); }

// Clicks OK on the next message box and keeps its text.
void AnswerMessage(std::string* text) {
  WhenModal<QMessageBox>([text](QMessageBox* box) {
    *text = box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
  });
}

TEST_F(DialogTest, BatchListsDetailsOkAndCancel) {
  const BatchSequence& seq = app_->batch;
  EXPECT_TRUE(Show<BatchDialog>(kCmdBatchSettings, [&](BatchDialog* d) {
    EXPECT_EQ(d->step_list(0)->count(), 2);
    EXPECT_EQ(d->step_list(0)->currentText(), QString::fromUtf8(BatchStepText(kStepOpenOne)));
    EXPECT_EQ(d->step_list(1)->count(), 13);
    EXPECT_EQ(d->step_list(7)->currentText(), QString::fromUtf8(BatchStepText(kStepSave)));
    Choose(d->step_list(2), kStepGamma);
    EXPECT_EQ(seq.code[2], kStepGamma);
    d->timing_box()->click();
    // No save folder yet: OK is refused and the dialog stays.
    std::string refusal;
    AnswerMessage(&refusal);
    Press(d, QDialogButtonBox::Ok);
    EXPECT_EQ(refusal, kMsgBatchSaveMissing);
    EXPECT_TRUE(d->isVisible());
    // The save row asks for a file name: its folder and the chosen format
    // (third filter, TIFF) are what the row keeps.
    WhenModal<QFileDialog>([&](QFileDialog* f) {
      EXPECT_EQ(f->acceptMode(), QFileDialog::AcceptSave);
      f->selectNameFilter(f->nameFilters()[2]);
      TypeAndAccept(f, dir_ + "/anything.tif");
    });
    d->details_button(7)->click();
    EXPECT_EQ(seq.folder[7], dir_);
    EXPECT_EQ(seq.extension[7], ".TIF");
    // The gamma step's details: the gamma dialog over this one.
    WhenModal<GammaDialog>([&](GammaDialog* g) {
      EXPECT_EQ(g->parentWidget(), d);
      g->straight_button()->click();
      Press(g, QDialogButtonBox::Ok);
    });
    d->details_button(2)->click();
    EXPECT_EQ(seq.detail[2][0], 0);
    SaveScreenshot(d, "batch_dialog");
    Press(d, QDialogButtonBox::Ok);
  }));
  EXPECT_EQ(seq.timing, 1);
  for (int step = 0; step < kBatchSteps; ++step) EXPECT_EQ(seq.stored_code[step], seq.code[step]);
  // The composite step explains itself, then its dialog over this one;
  // Cancel keeps the codes picked, the timing box waits for OK.
  EXPECT_FALSE(Show<BatchDialog>(kCmdBatchSettings, [&](BatchDialog* d) {
    Choose(d->step_list(0), kStepOpenComposite);
    std::string note;
    AnswerMessage(&note);
    WhenModal<CompositeDialog>([&](CompositeDialog* c) {
      EXPECT_EQ(c->parentWidget(), d);
      c->weight_bar(1)->triggerAction(QAbstractSlider::SliderPageStepSub);
      Press(c, QDialogButtonBox::Ok);
    });
    d->details_button(0)->click();
    EXPECT_EQ(note, kMsgBatchCompositeInfo);
    EXPECT_EQ(seq.detail[0][8], 90);
    Choose(d->step_list(3), kStepSharp);
    d->timing_box()->click();
    d->reject();
  }));
  EXPECT_EQ(std::vector<int>({seq.code[3], seq.stored_code[3], seq.timing}), std::vector<int>({kStepSharp, 0, 1}));
}

QStringList Lines(QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// Files come from a scripted port first, so that refusals can be counted.
TEST_F(DialogTest, DarkFilesModeAndThreshold) {
  app_->darks.paths[0] = "/d/one.CR2";
  app_->settings.raw.dark_mode = 2;
  app_->settings.raw.defect_threshold = 1000;
  FakeUi ui;
  for (const char* path : {"/d/two.NEF", "/d/x.tif", "/d/three.dng", "/d/four.ARW", "/d/five.CR2"}) {
    ui.files.push_back({true, path, 0});
  }
  const RawDevelopSettings& raw = app_->settings.raw;
  EXPECT_TRUE(Show<DarkDialog>(kCmdDarkFiles, [&](DarkDialog* d) {
    EXPECT_EQ(d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel), nullptr);
    EXPECT_TRUE(d->mode_button(2)->isChecked());
    d->mode_button(0)->click();
    // The bar shows sixteenths, the number the value itself.
    EXPECT_EQ(d->threshold_bar()->value(), 62);
    d->threshold_bar()->setSliderPosition(10);
    EXPECT_EQ(d->threshold_number()->text(), "160");
    for (int i = 0; i < 5; ++i) d->add_button()->click();  // x.tif and a fifth file are refused
    EXPECT_EQ(ui.boxes.size(), 2u);
    // Deleting the second moves the later ones up; without a selection
    // nothing more goes.
    d->file_list()->setCurrentRow(1);
    d->delete_button()->click();
    EXPECT_EQ(Lines(d->file_list()), QStringList({"1 /d/one.CR2", "2 /d/three.dng", "3 /d/four.ARW"}));
    d->delete_button()->click();
    EXPECT_EQ(d->file_list()->count(), 3);
    SaveScreenshot(d, "dark_dialog");
    d->reject();  // Escape or the close box end it as OK does
  }, &ui));
  EXPECT_EQ(std::vector<int>({raw.dark_mode, raw.defect_threshold}), std::vector<int>({0, 160}));
  EXPECT_EQ(app_->darks.paths[1], "/d/three.dng");
  EXPECT_EQ(app_->darks.paths[3], "");
  // From the menu "追加" shows the real open dialog.
  for (std::string& p : app_->darks.paths) p.clear();
  const std::string path = dir_ + "/dark.CR2";
  WriteBytes(path, "");  // loads no frame, so no master dark results
  FromMenu<DarkDialog>(kCmdDarkFiles, [&](DarkDialog* d) {
    WhenModal<QFileDialog>([&](QFileDialog* f) {
      EXPECT_EQ(f->acceptMode(), QFileDialog::AcceptOpen);
      TypeAndAccept(f, path);
    });
    d->add_button()->click();
    Press(d, QDialogButtonBox::Ok);
  });
  EXPECT_EQ(app_->darks.paths[0], path);
  EXPECT_EQ(app_->last_dialog_path, path);
}

TEST_F(DialogTest, RawBarsRadiusDefaultsAndCancel) {
  const RawDevelopSettings& raw = app_->settings.raw;
  EXPECT_TRUE(Show<RawDialog>(kCmdRawSettings, [&](RawDialog* d) {
    // {control, minimum, maximum}: every bar steps one position a page.
    const int ranges[][3] = {{kRawGammaR, 10, 40},   {kRawGammaB, 10, 40},    {kRawBlackG, 0, 32},
                             {kRawWhiteR, 0, 127},   {kRawWhiteB, 0, 127},    {kRawSharpness, 0, 8},
                             {kRawFalseColour, 0, 4}, {kRawSaturation, 0, 4}, {kRawHue, 0, 36},
                             {kRawQuality, 0, 3}};
    for (const auto& r : ranges) EXPECT_EQ(Range(d->bar(r[0])), std::vector<int>({r[1], r[2], 1})) << r[0];
    EXPECT_EQ(d->bar(kRawGammaR)->value(), 22);  // 2.2
    EXPECT_EQ(d->value(kRawGammaR)->text(), "2.2");
    EXPECT_TRUE(d->value(kRawHue)->isReadOnly());
    d->path_button(1)->click();
    d->bar(kRawGammaB)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_DOUBLE_EQ(raw.gamma[2], 2.3);
    EXPECT_EQ(d->value(kRawGammaB)->text(), "2.3");
    d->bar(kRawBlackG)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    d->bar(kRawHue)->setSliderPosition(36);
    EXPECT_EQ(d->value(kRawHue)->text(), "+36");
    d->bar(kRawWhiteB)->setSliderPosition(127);
    d->radius_button(1)->click();
    d->bar(kRawQuality)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(std::vector<int>({raw.path, raw.black_g, raw.hue, raw.white_b, raw.radius, raw.quality}),
              std::vector<int>({1, 4, 36, 255, 1, 1}));
    SaveScreenshot(d, "raw_dialog");
    // Back to the defaults, except the path; the controls follow.
    d->defaults_button()->click();
    EXPECT_EQ(std::vector<int>({raw.hue, raw.radius, raw.path}), std::vector<int>({18, 0, 1}));
    EXPECT_EQ(d->bar(kRawHue)->value(), 18);
    EXPECT_TRUE(d->radius_button(0)->isChecked());
    d->bar(kRawSaturation)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    Press(d, QDialogButtonBox::Ok);
  }));
  EXPECT_EQ(raw.saturation, 2);
  // From the menu, Cancel keeps only the path.
  const int sharpness = raw.sharpness;
  FromMenu<RawDialog>(kCmdRawSettings, [&](RawDialog* d) {
    d->path_button(0)->click();
    d->bar(kRawSharpness)->triggerAction(QAbstractSlider::SliderPageStepSub);
    d->bar(kRawGammaR)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Press(d, QDialogButtonBox::Cancel);
  });
  EXPECT_EQ(std::vector<int>({raw.path, raw.sharpness, raw.saturation}), std::vector<int>({0, sharpness, 2}));
  EXPECT_DOUBLE_EQ(raw.gamma[0], 2.2);
}

}  // namespace
}  // namespace tavo
