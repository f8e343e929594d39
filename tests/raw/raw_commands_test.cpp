// SPDX-License-Identifier: MIT
// Opening camera RAW files through the shell, the dark-file and RAW
// settings commands, and the same through tavo-cli.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "cli/cli_run.h"
#include "raw/develop_raw.h"
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/raw_ui.h"
#include "tests/fake_ui.h"
#include "tests/raw/dng_fixtures.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// A front end whose dialogs run a scripted edit of the settings.
class DialogUi : public FakeUi {
 public:
  std::function<bool(int)> dialog;
  bool EditSettings(int dialog_id) override {
    FakeUi::EditSettings(dialog_id);
    return dialog ? dialog(dialog_id) : true;
  }
};

std::unique_ptr<AppState> NewApp(UiPort& ui) {
  auto app = std::make_unique<AppState>();
  StartUp(*app, ui, {});
  return app;
}

std::string FlatRggb(const std::string& dir, const std::string& name, uint16_t value, int w = 24, int h = 22) {
  return WriteDngFile(dir, name, FlatDng(kDngMosaic2x2, "RGGB", w, h, value, value, value));
}

Image Expected(const std::string& path, const RawDevelopSettings& s, const DarkFrameSet* darks) {
  Image img;
  DevelopRawWithSettings(path, img, s, darks, nullptr);
  return img;
}

TEST(OpenRawFile, DevelopsWithTheCurrentSettings) {
  const std::string dir = TempDir("shell_open_raw");
  DngImage dng = FlatDng(kDngMosaic2x2, "GRBG", 30, 24, 3000, 9000, 5000);
  dng.samples[100] = 20000;
  const std::string path = WriteDngFile(dir, "shot.DNG", dng);
  FakeUi ui;
  auto app = NewApp(ui);
  app->settings.raw.path = 1;
  app->settings.raw.quality = 2;
  ui.files.push_back({true, path, 0});
  CmdOpen(*app, ui);
  ASSERT_TRUE(ui.boxes.empty());
  ASSERT_EQ(app->slots.current, 0);
  const Image& img = app->slots[0];
  EXPECT_EQ(img.name, path);
  EXPECT_EQ(img.width, 30);
  EXPECT_EQ(img.stats_refresh, 1);
  EXPECT_TRUE(SamePlanes(img, Expected(path, app->settings.raw, nullptr)));
  app->settings.raw.path = 0;
  EXPECT_FALSE(SamePlanes(img, Expected(path, app->settings.raw, nullptr)));
  EXPECT_EQ(ui.max_wait_depth, 1);
}

TEST(OpenRawFile, FailureNamesTheFileAndKeepsTheSlotFree) {
  const std::string dir = TempDir("shell_open_bad");
  WriteBytes(dir + "/junk.CR2", std::string(4000, 'j'));
  FakeUi ui;
  auto app = NewApp(ui);
  for (const std::string& path : {dir + "/junk.CR2", dir + "/missing.NEF"}) {
    ui.boxes.clear();
    ui.files.push_back({true, path, 0});
    CmdOpen(*app, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, kBoxError);
    EXPECT_NE(ui.boxes[0].text.find(path), std::string::npos);
    EXPECT_EQ(app->slots[0].width, 0);
    EXPECT_EQ(app->slots[0].height, 0);
    EXPECT_EQ(FindFreeSlot(app->slots), 0);
  }
  // Start-up names go the same way: the good one still opens.
  const std::string good = FlatRggb(dir, "good.dng", 2000);
  ui.boxes.clear();
  OpenStartupFiles(*app, ui, {dir + "/junk.CR2", good});
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(app->slots[0].name, good);
  EXPECT_EQ(app->slots.current, 0);
}

TEST(OpenRawFile, MasterOfAnotherSizeIsReportedOncePerDevelopment) {
  const std::string dir = TempDir("shell_dark_size");
  const std::string light = FlatRggb(dir, "light.dng", 3000);
  FakeUi ui;
  auto app = NewApp(ui);
  app->darks.paths[0] = FlatRggb(dir, "dark.dng", 1000, 32, 22);
  ASSERT_TRUE(RebuildDarkSet(*app));
  ASSERT_TRUE(app->darks.master.Loaded());
  ui.files.push_back({true, light, 0});
  CmdOpen(*app, ui);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, FormatText(kMsgDarkSizeMismatch, light));
  EXPECT_EQ(app->slots[0].width, 24);  // opened all the same, uncorrected
  EXPECT_TRUE(SamePlanes(app->slots[0], Expected(light, app->settings.raw, nullptr)));
  DropFiles(*app, ui, {light});
  EXPECT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(app->slots.current, 1);
}

TEST(DarkFilesCommand, RebuildsTheMasterEveryTimeItIsConfirmed) {
  const std::string dir = TempDir("shell_dark_cmd");
  const std::string light = FlatRggb(dir, "light.dng", 3000);
  const std::string dark = FlatRggb(dir, "dark.dng", 1000);
  DialogUi ui;
  auto app = NewApp(ui);
  ui.dialog = [&](int id) {
    EXPECT_EQ(id, 131);
    DarkListAdd(app->darks.paths, dark);
    app->settings.raw.dark_mode = kDarkZero;
    return true;
  };
  RunCommand(*app, ui, 131);
  ASSERT_TRUE(app->darks.master.Loaded());
  EXPECT_EQ(app->darks.master.planes[0][0], 1000);
  EXPECT_EQ(ui.max_wait_depth, 1);
  EXPECT_EQ(ui.wait_depth, 0);
  EXPECT_GE(ui.repaints, 1);

  // The file changes on disk; confirming the unchanged list reloads it.
  FlatRggb(dir, "dark.dng", 1500);
  ui.dialog = nullptr;
  RunCommand(*app, ui, 131);
  EXPECT_EQ(app->darks.master.planes[0][0], 1500);

  // Developments use the master with the dialog's mode.
  ui.files.push_back({true, light, 0});
  CmdOpen(*app, ui);
  EXPECT_TRUE(SamePlanes(app->slots[0], Expected(light, app->settings.raw, &app->darks)));
  EXPECT_FALSE(SamePlanes(app->slots[0], Expected(light, app->settings.raw, nullptr)));

  // An emptied list removes the master and the frames.
  ui.dialog = [&](int) {
    DarkListDelete(app->darks.paths, 0);
    return false;  // there is no Cancel: closing the dialog still counts
  };
  RunCommand(*app, ui, 131);
  EXPECT_FALSE(app->darks.master.Loaded());
  EXPECT_FALSE(app->darks.frames[0].Loaded());
}

TEST(RawSettingsCommand, CancelKeepsOnlyThePathChoice) {
  DialogUi ui;
  auto app = NewApp(ui);
  auto edit = [&](int id) {
    EXPECT_EQ(id, 132);
    app->settings.raw.path = 1;
    app->settings.raw.quality = 3;
    app->settings.raw.gamma[0] = 3.0;
    app->settings.raw.sharpness = 2;
    ResetRawDevelopSettings(app->settings.raw);  // "初期設定" pressed on the way
    app->settings.raw.saturation = 0;
    return false;
  };
  ui.dialog = edit;
  app->settings.raw.sharpness = 4;
  RunCommand(*app, ui, 132);
  EXPECT_EQ(app->settings.raw.path, 1);
  EXPECT_EQ(app->settings.raw.quality, 0);
  EXPECT_EQ(app->settings.raw.gamma[0], 2.2);
  EXPECT_EQ(app->settings.raw.sharpness, 4);
  EXPECT_EQ(app->settings.raw.saturation, 3);

  ui.dialog = [&](int) {
    app->settings.raw.path = 0;
    app->settings.raw.sharpness = 7;
    return true;
  };
  RunCommand(*app, ui, 132);
  EXPECT_EQ(app->settings.raw.path, 0);
  EXPECT_EQ(app->settings.raw.sharpness, 7);
}

TEST(StartUpRaw, EmptiesTheDarkSet) {
  const std::string dir = TempDir("shell_startup_dark");
  FakeUi ui;
  auto app = NewApp(ui);
  app->darks.paths[0] = FlatRggb(dir, "dark.dng", 1000);
  ASSERT_TRUE(RebuildDarkSet(*app));
  ASSERT_TRUE(app->darks.master.Loaded());
  StartUp(*app, ui, {});
  EXPECT_TRUE(app->darks.paths[0].empty());
  EXPECT_FALSE(app->darks.master.Loaded());
  EXPECT_FALSE(app->darks.frames[0].Loaded());
  EXPECT_EQ(app->settings.raw.dark_mode, 2);
}

TEST(CliRaw, DarkFilesKeywordCommand131AndOpen) {
  const std::string dir = TempDir("cli_raw");
  const std::string light = FlatRggb(dir, "light.dng", 3000);
  const std::string d1 = FlatRggb(dir, "d 1.dng", 1000);
  const std::string d2 = FlatRggb(dir, "d2.dng", 1200);
  auto app = std::make_unique<AppState>();
  CliPort port;
  StartUp(*app, port, {});
  const int status = RunCliSteps(*app, port,
                                 {"--set", "dark", "1 2 1 0", "--set", "dark-files", "\"" + d1 + "\" " + d2,
                                  "--command", "131", "--open", light});
  ASSERT_EQ(status, 0);
  EXPECT_EQ(app->darks.paths[0], d1);
  EXPECT_EQ(app->darks.paths[1], d2);
  ASSERT_TRUE(app->darks.master.Loaded());
  EXPECT_EQ(app->darks.master.planes[0][0], 1100);  // (1000 + 1200) >> 1
  EXPECT_EQ(app->settings.raw.path, 1);
  EXPECT_EQ(app->settings.raw.quality, 2);
  EXPECT_TRUE(SamePlanes(app->slots[0], Expected(light, app->settings.raw, &app->darks)));

  EXPECT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", dir + "/flat.tif"}), 1);
  EXPECT_EQ(app->darks.paths[0], d1);  // refused lists change nothing
  EXPECT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", "a.CR2 b.CR2 c.CR2 d.CR2 e.CR2"}), 1);
  EXPECT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", "", "--command", "131"}), 0);
  EXPECT_TRUE(app->darks.paths[0].empty());
  EXPECT_FALSE(app->darks.master.Loaded());
  EXPECT_NE(CliHelpText().find("dark-files"), std::string::npos);
}

}  // namespace
}  // namespace tavo
