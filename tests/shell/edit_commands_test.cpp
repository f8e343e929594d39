// SPDX-License-Identifier: MIT
#include "tests/shell/shell_fixture.h"

#include "settings/settings_file.h"
#include "core/memory.h"
#include "shell/messages.h"

namespace tavo {
namespace {

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

}  // namespace
}  // namespace tavo
