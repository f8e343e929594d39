// SPDX-License-Identifier: MIT
// Opening camera RAW files through the shell, the dark-file and RAW settings commands, and the same through tavo-cli.
#include <gtest/gtest.h>

#include <memory>

#include "cli/cli_run.h"
#include "raw/develop_raw.h"
#include "raw/fast_develop.h"
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/raw_ui.h"
#include "tests/fake_ui.h"
#include "tests/raw/dng_fixtures.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

using Strings = std::vector<std::string>;

std::unique_ptr<AppState> NewApp(UiPort& ui) {
  auto app = std::make_unique<AppState>();
  StartUp(*app, ui, {});
  return app;
}

std::string FlatRggb(const std::string& dir, const std::string& name, uint16_t value, int w = 24, int h = 22) {
  return WriteDngFile(dir, name, FlatDng("RGGB", w, h, value, value, value));
}

Image Expected(const std::string& path, const RawDevelopSettings& s, const DarkFrameSet* darks) {
  Image img;
  DevelopRawWithSettings(path, img, s, darks, nullptr);
  return img;
}

TEST(OpenRawFile, DevelopsWithTheCurrentSettingsAndReportsFailures) {
  const std::string dir = TempDir("raw_open");
  DngImage dng = FlatDng("GRBG", 30, 24, 3000, 9000, 5000);
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
  EXPECT_EQ(img.stats_refresh, 1);
  EXPECT_TRUE(SamePlanes(img, Expected(path, app->settings.raw, nullptr)));
  app->settings.raw.path = 0;
  EXPECT_FALSE(SamePlanes(img, Expected(path, app->settings.raw, nullptr)));
  EXPECT_EQ(ui.max_wait_depth, 1);
  // A failure names the file and keeps the slot free.
  WriteBytes(dir + "/junk.CR2", std::string(4000, 'j'));
  for (const std::string& bad : {dir + "/junk.CR2", dir + "/missing.NEF"}) {
    ui.boxes.clear();
    ui.files.push_back({true, bad, 0});
    CmdOpen(*app, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, kBoxError);
    EXPECT_NE(ui.boxes[0].text.find(bad), std::string::npos);
    EXPECT_EQ(Ints({app->slots[1].width, FindFreeSlot(app->slots)}), Ints({0, 1}));
  }
  // Start-up names go the same way: the good one still opens.
  ui.boxes.clear();
  OpenStartupFiles(*app, ui, {dir + "/junk.CR2", path});
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(app->slots[1].name, path);
  EXPECT_EQ(app->slots.current, 1);
}

// The stages report in order; a stop at any of them opens nothing: no box,
// the slot stays free and the current image stays.
TEST(OpenRawFile, StoppedAtAnyStageOpensNothing) {
  const std::string dir = TempDir("raw_stop");
  const std::string light = FlatRggb(dir, "light.dng", 3000);
  FakeUi ui;
  auto app = NewApp(ui);
  app->darks.paths[0] = FlatRggb(dir, "dark.dng", 1000);
  ASSERT_TRUE(RebuildDarkSet(*app));
  app->slots[0] = MakeFlatImage(2, 2, 7);
  app->slots.current = 0;
  const Strings fast = {kProgressRawDecode, kProgressRawDark, kProgressRawDevelop, kProgressRawDevelop,
                        kProgressRawDevelop, kProgressRawDevelop};
  const Strings library = {kProgressRawDecode, kProgressRawDark, kProgressRawDevelop, kProgressRawDevelop};
  for (int path : {0, 1}) {
    const Strings& stages = path == 0 ? fast : library;
    for (size_t stop = 0; stop < stages.size(); ++stop) {
      app->settings.raw.path = path;
      ui = FakeUi();
      ui.progress_answers.assign(stop, true);
      ui.progress_answers.push_back(false);
      DropFiles(*app, ui, {light});
      EXPECT_EQ(ui.progress_texts, Strings(stages.begin(), stages.begin() + static_cast<long>(stop) + 1));
      EXPECT_TRUE(ui.boxes.empty()) << stop;
      EXPECT_TRUE(app->slots[1].Empty()) << stop;
      EXPECT_EQ(app->slots.current, 0);
    }
    ui = FakeUi();
    DropFiles(*app, ui, {light});  // not stopped: every stage reports once
    EXPECT_EQ(ui.progress_texts, stages);
    EXPECT_EQ(app->slots.current, 1);
    ClearSlot(app->slots, 1);
    app->slots.current = 0;
  }
}

TEST(DarkFilesCommand, RebuildsTheMasterEveryTimeAndReportsAnotherSize) {
  const std::string dir = TempDir("raw_dark");
  const std::string light = FlatRggb(dir, "light.dng", 3000), dark = FlatRggb(dir, "dark.dng", 1000);
  FakeUi ui;
  auto app = NewApp(ui);
  ui.on_dialog = [&](int id) {
    EXPECT_EQ(id, 131);
    DarkListAdd(app->darks.paths, dark);
    app->settings.raw.dark_mode = kDarkZero;
  };
  RunCommand(*app, ui, 131);
  ASSERT_TRUE(app->darks.master.Loaded());
  EXPECT_EQ(Ints({app->darks.master.planes[0][0], ui.max_wait_depth, ui.wait_depth}), Ints({1000, 1, 0}));
  EXPECT_GE(ui.repaints, 1);
  // The file changes on disk; confirming the unchanged list reloads it.
  FlatRggb(dir, "dark.dng", 1500);
  ui.on_dialog = nullptr;
  RunCommand(*app, ui, 131);
  EXPECT_EQ(app->darks.master.planes[0][0], 1500);
  // Stopped while the files are read: no master and no frames, and the user is told.
  ui.progress_answers = {true, false};
  RunCommand(*app, ui, 131);
  EXPECT_FALSE(app->darks.master.Loaded() || app->darks.frames[0].Loaded());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kMsgDarkStopped);
  ASSERT_TRUE(RebuildDarkSet(*app));
  ui.files.push_back({true, light, 0});
  CmdOpen(*app, ui);
  EXPECT_TRUE(SamePlanes(app->slots[0], Expected(light, app->settings.raw, &app->darks)));
  EXPECT_FALSE(SamePlanes(app->slots[0], Expected(light, app->settings.raw, nullptr)));
  // A master of another size is reported once per development; the file opens all the same, uncorrected.
  app->darks.paths[0] = FlatRggb(dir, "wide.dng", 1000, 32, 22);
  ASSERT_TRUE(RebuildDarkSet(*app));
  ui.boxes.clear();
  DropFiles(*app, ui, {light});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, FormatText(kMsgDarkSizeMismatch, light));
  EXPECT_TRUE(SamePlanes(app->slots[1], Expected(light, app->settings.raw, nullptr)));
  // An emptied list removes the master and the frames; closing the dialog counts even without OK (there is no Cancel).
  ui.on_dialog = [&](int) { DarkListDelete(app->darks.paths, 0); };
  ui.dialog_results.push_back(false);
  RunCommand(*app, ui, 131);
  EXPECT_FALSE(app->darks.master.Loaded());
  EXPECT_FALSE(app->darks.frames[0].Loaded());
  app->darks.paths[0] = dark;
  ASSERT_TRUE(RebuildDarkSet(*app));
  StartUp(*app, ui, {});
  EXPECT_TRUE(app->darks.paths[0].empty());
  EXPECT_FALSE(app->darks.master.Loaded() || app->darks.frames[0].Loaded());
  EXPECT_EQ(app->settings.raw.dark_mode, 2);
}

TEST(DarkFilesCommand, AnUnreadableDarkFileIsNamed) {
  FakeUi ui;
  auto app = NewApp(ui);
  app->darks.paths[0] = "/no/such/dark.CR2";
  RunCommand(*app, ui, 131);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, FormatText(kMsgDarkUnreadable, "/no/such/dark.CR2", 0));
}

TEST(RawSettingsCommand, CancelKeepsOnlyThePathChoice) {
  FakeUi ui;
  auto app = NewApp(ui);
  RawDevelopSettings& raw = app->settings.raw;
  ui.on_dialog = [&](int id) {
    EXPECT_EQ(id, 132);
    raw.path = 1, raw.quality = 3, raw.gamma[0] = 3.0, raw.sharpness = 2;
    ResetRawDevelopSettings(raw);  // "初期設定" pressed on the way
    raw.saturation = 0;
  };
  ui.dialog_results.push_back(false);
  raw.sharpness = 4;
  RunCommand(*app, ui, 132);
  EXPECT_EQ(Ints({raw.path, raw.quality, raw.sharpness, raw.saturation}), Ints({1, 0, 4, 3}));
  EXPECT_EQ(raw.gamma[0], 2.2);
  ui.on_dialog = [&](int) { raw.path = 0, raw.sharpness = 7; };
  RunCommand(*app, ui, 132);
  EXPECT_EQ(Ints({raw.path, raw.sharpness}), Ints({0, 7}));
}

// The keyword, command 131 and development through tavo-cli are in the RAW cross-check; refused lists change nothing.
TEST(CliRaw, RefusedDarkFileListsChangeNothing) {
  const std::string dir = TempDir("raw_cli");
  const std::string d1 = FlatRggb(dir, "d 1.dng", 1000), d2 = FlatRggb(dir, "d2.dng", 1200);
  auto app = std::make_unique<AppState>();
  CliPort port;
  StartUp(*app, port, {});
  ASSERT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", "\"" + d1 + "\" " + d2, "--command", "131"}), 0);
  EXPECT_EQ(app->darks.master.planes[0][0], 1100);  // (1000 + 1200) >> 1
  EXPECT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", dir + "/flat.tif"}), 1);
  EXPECT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", "a.CR2 b.CR2 c.CR2 d.CR2 e.CR2"}), 1);
  EXPECT_EQ(app->darks.paths[0] + "|" + app->darks.paths[1], d1 + "|" + d2);
  EXPECT_EQ(RunCliSteps(*app, port, {"--set", "dark-files", "", "--command", "131"}), 0);
  EXPECT_TRUE(app->darks.paths[0].empty());
  EXPECT_FALSE(app->darks.master.Loaded());
  EXPECT_NE(CliHelpText().find("dark-files"), std::string::npos);
}

}  // namespace
}  // namespace tavo
