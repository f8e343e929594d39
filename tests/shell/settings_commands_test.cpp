// SPDX-License-Identifier: MIT
// Resetting, saving and loading all settings from the menu.
#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(ResetSettings, OnlyAfterOkAndImagesStay) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakeFlatImage(2, 2, 0));
  app->settings.gamma.kind = 0;
  ui.answers = {kAnswerCancel};
  RunCommand(*app, ui, 133);
  EXPECT_EQ(app->settings.gamma.kind, 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(ui.boxes[0].text, "全設定を初期化しますが、良いですか？");
  ui.answers = {kAnswerOk};
  RunCommand(*app, ui, 133);
  EXPECT_EQ(app->settings.gamma.kind, 1);
  EXPECT_EQ(app->slots[0].width, 2);
}

TEST(SaveSettings, AppendsTheExtensionAndReportsACancel) {
  const std::string dir = TempDir("settings_cmd");
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 134);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, kMsgSaveSettingsInfo);
  EXPECT_EQ(ui.boxes[1].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[1].text, "Error:設定を保存できませんでした！");
  EXPECT_EQ(ui.file_requests[0].initial_name, "tavo");
  app->settings.display.scale = 16;
  ui.files.push_back({true, dir + "/mine", 0});
  ui.files.push_back({true, dir + "/KEEP.TVP", 0});
  RunCommand(*app, ui, 134);
  RunCommand(*app, ui, 134);
  EXPECT_TRUE(PathExists(dir + "/mine.tvp"));
  EXPECT_TRUE(PathExists(dir + "/KEEP.TVP"));
  EXPECT_FALSE(PathExists(dir + "/KEEP.TVP.tvp"));

  app->settings.display.scale = 256;
  ui.files.push_back({true, dir + "/mine.tvp", 0});
  RunCommand(*app, ui, 135);
  EXPECT_EQ(app->settings.display.scale, 16);
  RunCommand(*app, ui, 135);
  EXPECT_EQ(ui.boxes.back().text, "Error:設定を読み込めませんでした！");
}

}  // namespace
}  // namespace tavo
