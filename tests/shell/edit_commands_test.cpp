// SPDX-License-Identifier: MIT
#include "tests/shell/shell_fixture.h"

#include "batch/settings_file.h"
#include "core/memory.h"
#include "shell/messages.h"

namespace tavo {
namespace {

TEST_F(ShellTest, GammaRunsTheProtocolAndUndoRedoSwapStates) {
  Open(MakePpm("a.ppm", 2, 1, 16384));
  app_->settings.gamma.kind = 0;
  int* all = app_->settings.gamma.rows[0];
  all[2] = 128;
  all[3] = 255;  // (0, 0) (128, 255) (255, 255): 16384 -> 32639
  RunCommand(*app_, ui_, 311);
  ASSERT_EQ(ui_.dialogs.size(), 1u);
  EXPECT_EQ(ui_.dialogs[0], 311);
  EXPECT_EQ(Slot(0).r[0], 32639);
  EXPECT_EQ(Slot(0).changed, 1);
  EXPECT_EQ(Slot(0).undo_available, 1);
  RunCommand(*app_, ui_, 201);
  EXPECT_EQ(Slot(0).r[0], 16384);
  EXPECT_EQ(Slot(0).changed, 0);
  EXPECT_EQ(Slot(0).redo_available, 1);
  RunCommand(*app_, ui_, 202);
  EXPECT_EQ(Slot(0).r[0], 32639);
  EXPECT_EQ(Slot(0).changed, 1);
  RunCommand(*app_, ui_, 202);  // nothing more to redo
  EXPECT_EQ(Slot(0).r[0], 32639);
  RunCommand(*app_, ui_, 201);
  EXPECT_EQ(Slot(0).r[0], 16384);
  EXPECT_EQ(Slot(0).changed, 0);
}

TEST_F(ShellTest, CancelledDialogChangesNothing) {
  Open(MakePpm("a.ppm", 2, 1, 16384));
  app_->settings.gamma.rows[0][3] = 255;
  ui_.dialog_results.push_back(false);
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(Slot(0).r[0], 16384);
  EXPECT_EQ(Slot(0).undo_available, 0);
  EXPECT_EQ(Slot(0).changed, 0);
}

TEST_F(ShellTest, OperationWithoutMemoryIsRefused) {
  Open(MakePpm("a.ppm", 20, 10, 16384));
  SetAvailableMemoryForTest(100);
  RunCommand(*app_, ui_, 311);
  SetAvailableMemoryForTest(-1);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoMemory);
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_EQ(Slot(0).changed, 0);
}

TEST_F(ShellTest, OperationOnSavedImageMarksItChangedAndUndoUnmarks) {
  Open(MakePpm("a.ppm"));
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(Slot(0).changed, 1);
  ui_.files.push_back({true, Path("s.ppm"), 4});
  RunCommand(*app_, ui_, 102);
  EXPECT_EQ(Slot(0).changed, 0);
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(Slot(0).changed, 1);
  RunCommand(*app_, ui_, 201);
  EXPECT_EQ(Slot(0).changed, 0);
}

TEST_F(ShellTest, PerChannelGammaClearsMonochrome) {
  Open(MakePpm("a.ppm", 1, 1, 16384));
  Slot(0).monochrome = 1;
  app_->settings.gamma.table = 1;
  app_->settings.gamma.kind = 0;
  app_->settings.gamma.rows[3][3] = 0;  // B: (128 -> 0)
  RunCommand(*app_, ui_, 311);
  EXPECT_EQ(Slot(0).monochrome, 0);
  EXPECT_EQ(Slot(0).b[0], 0);
  EXPECT_EQ(Slot(0).r[0], 16383);
}

TEST_F(ShellTest, CommandsWithoutAnImageDoNothing) {
  for (int id : {102, 104, 201, 202, 211, 311}) RunCommand(*app_, ui_, id);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_EQ(RunCommand(*app_, ui_, 4), kCommandUnknown);
  EXPECT_EQ(RunCommand(*app_, ui_, 101), kCommandRan);
}

TEST_F(ShellTest, CopyMakesANewCurrentSlotWithNoFlags) {
  Open(MakePpm("a.ppm", 3, 2, 700));
  Slot(0).changed = 1;
  Slot(0).monochrome = 1;
  RunCommand(*app_, ui_, 211);
  EXPECT_EQ(app_->slots.current, 1);
  EXPECT_EQ(Slot(1).r[5], 700);
  EXPECT_EQ(Slot(1).name, "");
  EXPECT_EQ(Slot(1).changed, 0);
  EXPECT_EQ(Slot(1).monochrome, 1);
  EXPECT_EQ(Slot(1).stats_refresh, 0);
  EXPECT_EQ(Slot(1).hist_samples, 6);
  for (int i = 2; i < kSlotCount; ++i) Slot(i) = MakeFlatImage(1, 1, 0);
  RunCommand(*app_, ui_, 211);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoSlotToMake);
}

TEST_F(ShellTest, NextAndPreviousImage) {
  Slot(3) = MakeFlatImage(1, 1, 0);
  Slot(7) = MakeFlatImage(1, 1, 0);
  app_->slots.current = 7;
  SelectNextImage(*app_, ui_);
  EXPECT_EQ(app_->slots.current, 3);
  SelectPreviousImage(*app_, ui_);
  EXPECT_EQ(app_->slots.current, 7);
}

TEST_F(ShellTest, SettingsCommands) {
  app_->settings.level.strength = 42;
  ui_.answers.push_back(kAnswerCancel);
  RunCommand(*app_, ui_, 133);
  EXPECT_EQ(app_->settings.level.strength, 42);
  ui_.answers.push_back(kAnswerOk);
  RunCommand(*app_, ui_, 133);
  EXPECT_EQ(app_->settings.level.strength, 10);
  EXPECT_EQ(ui_.boxes.back().text, kMsgResetSettings);

  app_->settings.level.strength = 33;
  ui_.files.push_back({true, Path("mine"), 0});
  RunCommand(*app_, ui_, 134);
  EXPECT_EQ(ui_.file_requests.back().initial_name, "tavo");
  EXPECT_EQ(ui_.file_requests.back().filters, kSettingsFilters);
  ASSERT_TRUE(PathExists(Path("mine.tvp")));
  ui_.files.push_back({true, Path("UPPER.TVP"), 0});
  RunCommand(*app_, ui_, 134);
  EXPECT_TRUE(PathExists(Path("UPPER.TVP")));
  EXPECT_FALSE(PathExists(Path("UPPER.TVP.tvp")));
  ui_.files.push_back({false, "", 0});
  RunCommand(*app_, ui_, 134);
  EXPECT_EQ(ui_.boxes.back().text, kMsgSettingsNotSaved);
  EXPECT_EQ(ui_.boxes.back().kind, kBoxMessage);

  app_->settings.level.strength = 1;
  ui_.files.push_back({true, Path("mine.tvp"), 0});
  RunCommand(*app_, ui_, 135);
  EXPECT_EQ(app_->settings.level.strength, 33);
  ui_.files.push_back({false, "", 0});
  RunCommand(*app_, ui_, 135);
  EXPECT_EQ(ui_.boxes.back().text, kMsgSettingsNotLoaded);
}

TEST_F(ShellTest, ResetLeavesImagesAlone) {
  Open(MakePpm("a.ppm"));
  ui_.answers.push_back(kAnswerOk);
  RunCommand(*app_, ui_, 133);
  EXPECT_FALSE(Slot(0).Empty());
}

TEST_F(ShellTest, VersionBox) {
  RunCommand(*app_, ui_, 502);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxAbout);
  EXPECT_EQ(ui_.boxes[0].text, "TAVO Ver.4.14");
  EXPECT_STREQ(BoxCaption(kBoxAbout), "About TAVO !");
}

}  // namespace
}  // namespace tavo
