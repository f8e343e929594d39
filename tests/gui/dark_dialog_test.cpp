// SPDX-License-Identifier: MIT
// The "Dark file Select" dialog on the offscreen platform: the file list
// with add and delete, the handling mode, the threshold bar, OK only.
#include "gui/dialogs/dark_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "gui/dialog_registry.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

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
    // 1000 / 16 = 62 (truncated); the number shows the value itself.
    EXPECT_EQ(d->threshold_bar()->value(), 62);
    EXPECT_EQ(d->threshold_number()->text(), "1000");
    d->threshold_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(raw.defect_threshold, 1024);  // 1000 + 64 held at the top
    EXPECT_EQ(d->threshold_bar()->value(), 64);
    d->threshold_bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(raw.defect_threshold, 1008);
    EXPECT_EQ(d->threshold_number()->text(), "1008");
    d->threshold_bar()->setSliderPosition(10);
    EXPECT_EQ(raw.defect_threshold, 160);
    d->mode_button(0)->click();
    EXPECT_EQ(raw.dark_mode, 0);

    d->add_button()->click();  // two.NEF
    d->add_button()->click();  // x.tif: refused
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kMsgDarkNotRaw);
    d->add_button()->click();
    d->add_button()->click();
    d->add_button()->click();  // a fifth: refused
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, kMsgDarkListFull);
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
  EXPECT_TRUE(RunDialog(131, window_.get(), *app_, ui));
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->darks.paths[1], "/d/three.dng");
  EXPECT_EQ(app_->darks.paths[3], "");
  EXPECT_EQ(app_->settings.raw.defect_threshold, 160);
}

// From the menu, "追加" shows the real open dialog; OK then rebuilds the
// dark set (an empty file loads no frame, so no master dark results).
TEST_F(DarkDialogTest, AddThroughTheFileDialog) {
  const std::string path = dir_ + "/dark.CR2";
  WriteBytes(path, "");
  bool picked = false, driven = false, told = false;
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
    // The empty file holds no dark frame, and the user is told so.
    WhenModal<QMessageBox>([&](QMessageBox* box) {
      told = box->text().contains("dark.CR2");
      box->accept();
    });
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(131)->trigger();
  ASSERT_TRUE(picked);
  ASSERT_TRUE(driven);
  EXPECT_TRUE(told);
  EXPECT_EQ(app_->darks.paths[0], path);
  EXPECT_EQ(app_->last_dialog_path, path);
}

}  // namespace
}  // namespace tavo
