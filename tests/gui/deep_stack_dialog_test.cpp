// SPDX-License-Identifier: MIT
// "Composite(Stack)" edits the deep-stack settings; the progress window
// runs the work off the GUI thread and its Cancel reaches the work.
#include "gui/dialogs/deep_stack_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <chrono>
#include <thread>

#include "gui/dialog_registry.h"
#include "shell/command_ids.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

class DeepStackDialogTest : public QtWindowTest {};

TEST_F(DeepStackDialogTest, ControlsEditTheSettings) {
  bool driven = false;
  WhenModal<DeepStackDialog>([&](DeepStackDialog* d) {
    d->AddFiles(kListLights, {"a.fits", "b.fits", "c.fits"});
    d->list(kListLights)->item(1)->setSelected(true);
    d->RemoveSelected(kListLights);
    d->AddFiles(kListDarks, {"d1.fits"});
    d->AddFiles(kListBiases, {"b1.fits", "b2.fits"});
    d->Clear(kListBiases);
    d->reject_box()->setCurrentIndex(4);
    d->kappa_low_box()->setValue(2.5);
    d->reference_box()->setValue(0);
    EXPECT_EQ(d->reference_box()->text(), QString::fromUtf8("最良のフレーム"));
    d->memory_box()->setValue(4096);
    d->max_fwhm_box()->setValue(4.5);
    d->maps_box()->setChecked(true);
    d->report_edit()->setText("night.csv");
    SaveScreenshot(d, "deep_stack_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_TRUE(RunDialog(kCmdDeepStack, window_.get(), *app_, window_->port()));
  ASSERT_TRUE(driven);
  const DeepStackSettings& s = app_->settings.deep_stack;
  EXPECT_EQ(s.lights, (std::vector<std::string>{"a.fits", "c.fits"}));
  EXPECT_EQ(s.darks, (std::vector<std::string>{"d1.fits"}));
  EXPECT_TRUE(s.biases.empty());
  EXPECT_EQ(s.reject, 4);
  EXPECT_EQ(s.kappa_low, 2.5);
  EXPECT_EQ(s.reference, 0);
  EXPECT_EQ(s.memory_limit_mb, 4096);
  EXPECT_EQ(s.max_fwhm, 4.5);
  EXPECT_EQ(s.open_maps, 1);
  EXPECT_EQ(s.report, "night.csv");
}

TEST_F(DeepStackDialogTest, CancelInTheProgressWindowStopsTheWork) {
  WhenModal<QProgressDialog>([](QProgressDialog* p) { p->findChild<QPushButton*>()->click(); });
  bool stopped = false;
  std::thread::id worker;
  RunStackWithProgress([&](const StackProgress& progress) {
    worker = std::this_thread::get_id();
    for (int k = 0; k < 500 && !stopped; ++k) {
      stopped = !progress(k / 500.0, "work");
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  EXPECT_TRUE(stopped);
  EXPECT_NE(worker, std::this_thread::get_id());
}

}  // namespace
}  // namespace tavo
