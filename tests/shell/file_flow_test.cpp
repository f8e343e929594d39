// SPDX-License-Identifier: MIT
// Open, save, close, close all, exit, start-up and dropped files.
#include <gtest/gtest.h>

#include "io/pnm.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

std::string WriteSample(const std::string& dir, const std::string& name, int w, int h) {
  const std::string path = dir + "/" + name;
  EXPECT_TRUE(WritePnm(path, MakePositionImage(w, h), false));
  return path;
}

std::string SaveQuestion(int slot, const std::string& name) {
  return "Image No." + std::to_string(slot) + "(" + name + ") is changed !\nDo you save ?";
}

TEST(OpenCommand, LoadsIntoTheLowestFreeSlotAndSetsTheTitle) {
  const std::string dir = TempDir("open_cmd");
  const std::string path = WriteSample(dir, "a.ppm", 4, 3);
  auto app = NewApp();
  FakeUi ui;
  EXPECT_EQ(WindowTitle(*app), "TAVO");
  ui.files.push_back({true, path, 0});
  RunCommand(*app, ui, 101);
  ASSERT_EQ(app->slots.current, 0);
  const Image& img = app->slots[0];
  EXPECT_EQ(img.width, 4);
  EXPECT_EQ(img.name, path);
  EXPECT_EQ(img.stats_refresh, 1);
  EXPECT_EQ(img.changed, 0);
  EXPECT_EQ(WindowTitle(*app), "0(" + path + ") size:4x3 100%");
  app->slots[0].zoom = 25;
  EXPECT_EQ(WindowTitle(*app), "0(" + path + ") size:4x3 25%");
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].title, "LOAD");
  EXPECT_EQ(ui.file_requests[0].filter_index, 1);
  EXPECT_EQ(ui.wait_depth, 0);
  EXPECT_EQ(ui.max_wait_depth, 1);
}

TEST(OpenCommand, RefusalsLeaveEverythingAsItWas) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 101);  // cancelled dialog
  EXPECT_EQ(app->slots.current, -1);
  ui.files.push_back({true, "/x/photo.webp", 0});
  RunCommand(*app, ui, 101);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, "/x/photo.webp : TAVO not support this format !");
  EXPECT_TRUE(app->slots[0].Empty());
  EXPECT_EQ(app->slots.current, -1);

  ui.files.push_back({true, "/no/such/file.ppm", 0});
  RunCommand(*app, ui, 101);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, "/no/such/file.ppm : ファイルを開けません！");
  EXPECT_TRUE(app->slots[0].Empty());

  FillSlots(*app, 0);
  const size_t asked = ui.file_requests.size();
  RunCommand(*app, ui, 101);
  EXPECT_EQ(ui.boxes.back().text, kMsgNoSlotToOpen);
  EXPECT_EQ(ui.file_requests.size(), asked);  // no dialog without a slot
}

TEST(SaveCommand, ProposesTheNameWithoutExtensionAndAppendsTheFilters) {
  const std::string dir = TempDir("save_cmd");
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakePositionImage(3, 2), dir + "/v1.2/shot.ppm").changed = 1;
  ui.files.push_back({true, dir + "/out", 4});  // PPM(48bit,bin)
  RunCommand(*app, ui, 102);
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].title, "SAVE");
  EXPECT_EQ(ui.file_requests[0].initial_name, dir + "/v1.2/shot");
  EXPECT_EQ(ui.file_requests[0].filter_index, 4);  // the image's own format
  EXPECT_EQ(ReadBytes(dir + "/out.ppm").substr(0, 2), "P6");  // in the typed name's case
  EXPECT_EQ(app->slots[0].name, dir + "/out.ppm");
  EXPECT_EQ(app->slots[0].changed, 0);
  EXPECT_EQ(app->default_extension, ".PPM");
  EXPECT_EQ(app->save_filter_index, 4);

  // A typed .ppm name with the ASCII filter writes P3.
  ui.files.push_back({true, dir + "/text.ppm", 5});
  RunCommand(*app, ui, 102);
  EXPECT_EQ(ReadBytes(dir + "/text.ppm").substr(0, 2), "P3");
  // The dialog opens on the image's format again.
  EXPECT_EQ(ui.file_requests[1].filter_index, 4);
  EXPECT_EQ(ui.file_requests[1].initial_name, dir + "/out");
  // A dot in a folder name is not an extension.
  app->slots[0].name = dir + "/v1.2/noext";
  RunCommand(*app, ui, 102);  // cancelled
  EXPECT_EQ(ui.file_requests[2].initial_name, dir + "/v1.2/noext");
}

TEST(SaveCommand, OverwriteQuestionAndNamesWithoutAWriter) {
  const std::string dir = TempDir("save_overwrite");
  const std::string existing = WriteSample(dir, "old.ppm", 1, 1);
  const std::string before = ReadBytes(existing);
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakePositionImage(3, 2), "x").changed = 1;
  ui.files.push_back({true, existing, 4});
  ui.answers.push_back(kAnswerCancel);
  RunCommand(*app, ui, 102);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(ui.boxes[0].text, "\"" + existing + "\" already exist.\n Do you overwrite file ?");
  EXPECT_EQ(ReadBytes(existing), before);
  EXPECT_EQ(app->slots[0].changed, 1);
  ui.files.push_back({true, existing, 4});
  ui.answers.push_back(kAnswerOk);
  RunCommand(*app, ui, 102);
  EXPECT_NE(ReadBytes(existing), before);
  EXPECT_EQ(app->slots[0].changed, 0);

  app->slots[0].changed = 1;
  ui.files.push_back({true, dir + "/sky.fts", 1});
  RunCommand(*app, ui, 102);
  EXPECT_EQ(ui.boxes.back().kind, kBoxError);
  EXPECT_FALSE(PathExists(dir + "/sky.fts"));
  EXPECT_EQ(app->slots[0].changed, 1);  // nothing was saved
  EXPECT_EQ(app->slots[0].name, existing);
}

// Slots 0..4 open; those in `changed` are marked changed.
std::unique_ptr<AppState> FiveImages(std::initializer_list<int> changed) {
  auto app = NewApp();
  for (int i = 0; i < 5; ++i) PutImage(*app, i, MakeFlatImage(2, 2, 0), "img" + std::to_string(i));
  for (int i : changed) app->slots[i].changed = 1;
  return app;
}

TEST(CloseCommand, SaveQuestionAnswers) {
  const std::string dir = TempDir("close_cmd");
  {  // unchanged: no question
    auto app = FiveImages({});
    FakeUi ui;
    RunCommand(*app, ui, 104);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(app->slots[4].Empty());
    EXPECT_EQ(app->slots.current, 3);  // the highest open slot
  }
  {  // No: thrown away
    auto app = FiveImages({4});
    FakeUi ui;
    ui.answers.push_back(kAnswerNo);
    RunCommand(*app, ui, 104);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, kBoxSaveOrNot);
    EXPECT_EQ(ui.boxes[0].text, SaveQuestion(4, "img4"));
    EXPECT_TRUE(app->slots[4].Empty());
  }
  {  // Cancel: kept
    auto app = FiveImages({4});
    FakeUi ui;
    ui.answers.push_back(kAnswerCancel);
    RunCommand(*app, ui, 104);
    EXPECT_FALSE(app->slots[4].Empty());
    EXPECT_EQ(app->slots.current, 4);
  }
  {  // Yes: saved under the chosen name (the dialog starts from the full
     // name, extension kept), then closed
    auto app = FiveImages({4});
    app->slots[4].name = dir + "/keep.ppm";
    FakeUi ui;
    ui.answers.push_back(kAnswerYes);
    ui.files.push_back({true, dir + "/keep.ppm", 4});
    RunCommand(*app, ui, 104);
    EXPECT_EQ(ui.file_requests[0].initial_name, dir + "/keep.ppm");
    EXPECT_TRUE(PathExists(dir + "/keep.ppm"));
    EXPECT_TRUE(app->slots[4].Empty());
  }
}

TEST(CloseCommand, AbandonedSaveKeepsTheImage) {
  const std::string dir = TempDir("close_abandon");
  const std::string existing = WriteSample(dir, "there.ppm", 1, 1);
  {  // Yes, then the save dialog is cancelled
    auto app = FiveImages({4});
    FakeUi ui;
    ui.answers.push_back(kAnswerYes);
    RunCommand(*app, ui, 104);
    EXPECT_FALSE(app->slots[4].Empty());
    EXPECT_EQ(app->slots[4].changed, 1);
  }
  {  // Yes, then the overwrite is refused
    auto app = FiveImages({4});
    FakeUi ui;
    ui.answers = {kAnswerYes, kAnswerCancel};
    ui.files.push_back({true, existing, 4});
    RunCommand(*app, ui, 104);
    EXPECT_FALSE(app->slots[4].Empty());
  }
}

TEST(CloseCommand, LastImageLeavesSlotZeroEmpty) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 6, MakeFlatImage(2, 2, 0));
  RunCommand(*app, ui, 104);
  EXPECT_EQ(app->slots.current, 0);
  EXPECT_TRUE(app->slots[0].Empty());
  EXPECT_TRUE(app->slots[6].Empty());
  RunCommand(*app, ui, 104);  // nothing to close: nothing happens
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(CloseAll, CancelOnTheThirdChangedImageStopsThere) {
  auto app = FiveImages({1, 2, 3});
  FakeUi ui;
  ui.answers = {kAnswerNo, kAnswerNo, kAnswerCancel};
  RunCommand(*app, ui, 105);
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[2].text, SaveQuestion(3, "img3"));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(app->slots[i].Empty()) << i;
  EXPECT_FALSE(app->slots[3].Empty());
  EXPECT_FALSE(app->slots[4].Empty());
  EXPECT_EQ(app->slots.current, 3);
}

TEST(CloseAll, CompletedWalkEmptiesEverySlot) {
  auto app = FiveImages({2});
  FakeUi ui;
  ui.answers = {kAnswerNo};
  RunCommand(*app, ui, 105);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(app->slots[i].Empty()) << i;
  EXPECT_EQ(app->slots.current, 0);
}

TEST(Exit, AsksAboutEveryChangedImageAndCancelKeepsRunning) {
  auto app = FiveImages({2, 4});
  FakeUi ui;
  ui.answers = {kAnswerNo, kAnswerCancel};
  RunCommand(*app, ui, 121);
  EXPECT_FALSE(app->quit_requested);
  EXPECT_EQ(app->slots.current, 4);
  EXPECT_FALSE(app->slots[2].Empty());  // exit empties nothing
  ui.answers = {kAnswerNo, kAnswerNo};
  RunCommand(*app, ui, 121);
  EXPECT_TRUE(app->quit_requested);
  EXPECT_EQ(ui.boxes.size(), 4u);
}

TEST(StartUp, CommandLineNamesOpenInOrder) {
  const std::string dir = TempDir("startup");
  const std::string a = WriteSample(dir, "a.ppm", 2, 2);
  const std::string b = WriteSample(dir, "b c.ppm", 3, 3);
  auto app = std::make_unique<AppState>();
  FakeUi ui;
  StartUp(*app, ui, {a, dir + "/bad.webp", b});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, dir + "/bad.webp : TAVO not support this format !");
  EXPECT_EQ(app->slots[0].name, a);
  EXPECT_EQ(app->slots[1].name, b);
  EXPECT_EQ(app->slots.current, 1);
}

TEST(StartUp, RunningOutOfSlotsEndsTheList) {
  const std::string dir = TempDir("startup_full");
  const std::string a = WriteSample(dir, "a.ppm", 2, 2);
  auto app = NewApp();
  FakeUi ui;
  FillSlots(*app, 1);
  OpenStartupFiles(*app, ui, {a, a, a});
  EXPECT_EQ(app->slots[0].name, a);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kMsgNoSlotToOpen);
}

TEST(DropFiles, UnsupportedFileStopsTheRest) {
  const std::string dir = TempDir("drop");
  const std::string a = WriteSample(dir, "a.ppm", 2, 2);
  const std::string c = WriteSample(dir, "c.ppm", 2, 2);
  auto app = NewApp();
  FakeUi ui;
  DropFiles(*app, ui, {a, dir + "/b.txt", c});
  EXPECT_EQ(app->slots[0].name, a);
  EXPECT_TRUE(app->slots[1].Empty());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, dir + "/b.txt : TAVO not support this format !");
  EXPECT_EQ(app->slots.current, 0);
  DropFiles(*app, ui, {c, a});
  EXPECT_EQ(app->slots[2].name, a);
  EXPECT_EQ(app->slots.current, 2);
}

}  // namespace
}  // namespace tavo
