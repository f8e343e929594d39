// SPDX-License-Identifier: MIT
// Undo, redo, copy, moving between images, the operation protocol and the
// version box.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(NextPreviousImage, WrapAroundAndStayWhenAlone) {
  auto app = NewApp();
  FakeUi ui;
  SelectNextImage(*app, ui);
  EXPECT_EQ(app->slots.current, -1);  // nothing open
  PutImage(*app, 3, MakeFlatImage(1, 1, 0));
  SelectNextImage(*app, ui);
  EXPECT_EQ(app->slots.current, 3);
  SelectPreviousImage(*app, ui);
  EXPECT_EQ(app->slots.current, 3);
  PutImage(*app, 7, MakeFlatImage(1, 1, 0));
  SelectNextImage(*app, ui);
  EXPECT_EQ(app->slots.current, 3);  // from 7 past 99 to 3
  SelectNextImage(*app, ui);
  EXPECT_EQ(app->slots.current, 7);
  SelectPreviousImage(*app, ui);
  EXPECT_EQ(app->slots.current, 3);
  SelectPreviousImage(*app, ui);
  EXPECT_EQ(app->slots.current, 7);  // from 3 below 0 to 7
}

// Straight default curve: 5120 -> (5120 - 1) * 32768 / 32767 = 5119.16 ->
// 5119, so the gamma command visibly changes a flat 5120 image.
class GammaRun : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = NewApp();
    app_->settings.gamma.kind = 0;
    PutImage(*app_, 0, MakeFlatImage(3, 2, 5120), "flat.ppm");
  }
  Image& img() { return app_->slots[0]; }
  std::unique_ptr<AppState> app_;
  FakeUi ui_;
};

TEST_F(GammaRun, ProtocolMarksTheSlotAndBalancesTheWaitCursor) {
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(ui_.dialogs, std::vector<int>{311});
  EXPECT_EQ(img().r[0], 5119);
  EXPECT_EQ(img().changed, 1);
  EXPECT_EQ(img().undo_changed, 0);
  EXPECT_EQ(img().undo_available, 1);
  EXPECT_EQ(img().redo_available, 0);
  EXPECT_EQ(img().stats_refresh, 1);
  EXPECT_EQ(ui_.wait_depth, 0);
  EXPECT_EQ(ui_.max_wait_depth, 1);
  EXPECT_EQ(ui_.repaints, 1);
}

TEST_F(GammaRun, CancelledDialogChangesNothing) {
  ui_.dialog_results = {false};
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(img().undo_available, 0);
  EXPECT_EQ(img().changed, 0);
  EXPECT_EQ(ui_.max_wait_depth, 0);
}

TEST_F(GammaRun, UndoRedoUndoEqualsOneUndo) {
  img().changed = 0;
  RunCommand(*app_, ui_, 311);
  RunCommand(*app_, ui_, 201);
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(img().changed, 0);
  EXPECT_EQ(img().undo_available, 0);
  EXPECT_EQ(img().redo_available, 1);
  RunCommand(*app_, ui_, 202);
  EXPECT_EQ(img().r[0], 5119);
  EXPECT_EQ(img().changed, 1);
  EXPECT_EQ(img().undo_changed, 0);
  EXPECT_EQ(img().undo_available, 1);
  RunCommand(*app_, ui_, 201);
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(img().changed, 0);
  RunCommand(*app_, ui_, 201);  // nothing left to undo
  EXPECT_EQ(img().r[0], 5120);
}

TEST_F(GammaRun, ChangeAfterSaveIsUndoneToSaved) {
  img().changed = 0;  // as right after a save
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(img().changed, 1);
  RunCommand(*app_, ui_, 201);
  EXPECT_EQ(img().changed, 0);
}

TEST_F(GammaRun, ShortMemoryStopsBeforeTheDialog) {
  // Headroom needs 4 x 6 bytes per pixel: 144 for 3 x 2.
  SetAvailableMemoryForTest(100);
  RunCommand(*app_, ui_, 311);
  SetAvailableMemoryForTest(-1);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoMemory);
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_EQ(img().r[0], 5120);
}

TEST_F(GammaRun, FailedUndoCopyReportsAfterTheWaitCursor) {
  // Each undo plane needs 12 bytes; with 10 there is none.
  SetAvailableMemoryForTest(10);
  const bool ran = RunInPlaceConfirmed(*app_, ui_, [](AppState&, Image& image) {
    image.r[0] = 1;
    return kOpMade;
  });
  SetAvailableMemoryForTest(-1);
  EXPECT_FALSE(ran);
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(img().undo_available, 0);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoMemory);
  EXPECT_EQ(ui_.wait_depth, 0);
}

TEST(CopyCommand, NewSlotWithAllFlagsClear) {
  auto app = NewApp();
  FakeUi ui;
  Image& src = PutImage(*app, 1, MakePositionImage(4, 3), "src.ppm");
  src.changed = 1;
  src.undo_available = 1;
  src.monochrome = 1;
  RunCommand(*app, ui, 211);
  ASSERT_EQ(app->slots.current, 0);
  const Image& copy = app->slots[0];
  EXPECT_TRUE(SamePlanes(copy, app->slots[1]));
  EXPECT_EQ(copy.name, "");
  EXPECT_EQ(copy.changed, 0);
  EXPECT_EQ(copy.undo_available, 0);
  EXPECT_EQ(copy.stats_refresh, 0);
  EXPECT_EQ(copy.monochrome, 1);
  EXPECT_EQ(copy.hist_samples, 12);
  FillSlots(*app, 2);
  RunCommand(*app, ui, 211);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, kMsgNoSlotToMake);
}

TEST(VersionCommand, AboutBox) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 502);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxAbout);
  EXPECT_EQ(ui.boxes[0].text, "TAVO Ver.4.14");
  EXPECT_STREQ(BoxCaption(kBoxAbout), "About TAVO !");
  EXPECT_STREQ(BoxCaption(kBoxError), "Error !");
  EXPECT_STREQ(BoxCaption(kBoxCaution), "Caution !");
  EXPECT_STREQ(BoxCaption(kBoxMessage), "Message !");
  EXPECT_STREQ(BoxCaption(kBoxSaveOrNot), "Save or not !");
}

TEST(RunCommand, UnknownAndUnbuiltCommands) {
  auto app = NewApp();
  FakeUi ui;
  EXPECT_EQ(RunCommand(*app, ui, 9999), kCommandUnknown);
  EXPECT_EQ(RunCommand(*app, ui, 360), kCommandNotBuilt);
  EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace tavo
