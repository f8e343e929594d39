// SPDX-License-Identifier: MIT
// The "Batch Sequence" dialog on the offscreen platform: the step lists,
// the detail buttons opening the save dialog, the gamma dialog and the
// composite dialog on top of it, OK refused without a save folder, Cancel.
#include "gui/dialogs/batch_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "gui/dialog_registry.h"
#include "gui/dialogs/composite_dialog.h"
#include "gui/dialogs/gamma_dialog.h"
#include "shell/messages.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

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
    EXPECT_EQ(d->step_list(0)->currentText(), QString::fromUtf8("ファイル開く(１枚)"));
    EXPECT_EQ(d->step_list(1)->count(), 13);
    EXPECT_EQ(d->step_list(1)->currentText(), " ");
    EXPECT_EQ(d->step_list(7)->count(), 1);
    EXPECT_EQ(d->step_list(7)->currentText(), QString::fromUtf8("ファイル保存"));
    Choose(d->step_list(2), 12);
    EXPECT_EQ(d->step_list(2)->currentText(), QString::fromUtf8("ガンマ補正"));
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

    // The gamma step's own copy: a straight curve there leaves the
    // interactive curved setting alone, and shows again next time.
    bool gamma_shown = false;
    WhenModal<GammaDialog>([&](GammaDialog* g) {
      gamma_shown = true;
      EXPECT_EQ(g->parentWidget(), d);
      EXPECT_TRUE(g->curved_button()->isChecked());
      g->straight_button()->click();
      DialogButton(g, QDialogButtonBox::Ok)->click();
    });
    d->details_button(2)->click();
    ASSERT_TRUE(gamma_shown);
    EXPECT_EQ(app_->settings.gamma.kind, 1);
    EXPECT_EQ(seq.stored_code[2], 12);
    gamma_shown = false;
    WhenModal<GammaDialog>([&](GammaDialog* g) {
      gamma_shown = true;
      EXPECT_TRUE(g->straight_button()->isChecked());
      g->reject();
    });
    d->details_button(2)->click();
    ASSERT_TRUE(gamma_shown);

    std::string note;
    AnswerMessage(&note);
    d->details_button(0)->click();
    EXPECT_EQ(note, kMsgBatchOpenOneInfo);
    d->details_button(1)->click();  // an empty step has nothing to set

    SaveScreenshot(d, "batch_dialog");
    driven = true;
    DialogButton(d, QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(801, window_.get(), *app_, window_->port()));
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
    // dialog over the batch dialog; its weights are the step's own.
    for (int pass = 0; pass < 2; ++pass) {
      std::string note;
      AnswerMessage(&note);
      bool shown = false;
      WhenModal<CompositeDialog>([&](CompositeDialog* c) {
        shown = true;
        EXPECT_EQ(c->parentWidget(), d);
        if (pass == 0) {
          c->weight_bar(1)->triggerAction(QAbstractSlider::SliderPageStepSub);
          DialogButton(c, QDialogButtonBox::Ok)->click();
        } else {
          EXPECT_EQ(c->weight_edit(1)->text(), "90");
          c->reject();
        }
      });
      d->details_button(0)->click();
      EXPECT_EQ(note, kMsgBatchCompositeInfo);
      ASSERT_TRUE(shown);
      EXPECT_EQ(app_->settings.composite.weights[1], 100);
    }
    Choose(d->step_list(3), 6);
    d->timing_box()->click();
    driven = true;
    d->reject();
  });
  EXPECT_FALSE(RunDialog(801, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  // Codes picked stay; the timing box and the detail blocks wait for OK.
  EXPECT_EQ(app_->batch.code[0], 2);
  EXPECT_EQ(app_->batch.code[3], 6);
  EXPECT_EQ(app_->batch.stored_code[3], 0);
  EXPECT_EQ(app_->batch.timing, 0);
}

}  // namespace
}  // namespace tavo
