// SPDX-License-Identifier: MIT
// Open, save, close, close all, exit, start-up and dropped files; the
// file dialogs' filter lists.
#include <filesystem>

#include "io/file_type.h"
#include "io/image_file.h"
#include "shell/file_filters.h"
#include "shell/main_window.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST_F(ShellTest, OpenFillsTheLowestFreeSlotAndSetsTheTitle) {
  EXPECT_EQ(WindowTitle(*app_), "TAVO");
  Open(MakePpm("a.ppm", 4, 3));
  Open(MakePpm("b.ppm"));
  Open(MakePpm("c.ppm"));
  EXPECT_EQ(app_->slots.current, 2);
  EXPECT_EQ(Slot(0).width, 4);
  EXPECT_EQ(Slot(1).name, Path("b.ppm"));
  EXPECT_EQ(Flags(Slot(1)), (std::vector<int>{0, 0, 0, 1, 0}));
  app_->slots.current = 0;
  Slot(0).zoom = 25;
  EXPECT_EQ(WindowTitle(*app_), "0(" + Path("a.ppm") + ") size:4x3 25%");
  ASSERT_EQ(ui_.file_requests.size(), 3u);
  EXPECT_EQ(ui_.file_requests[0].title, "LOAD");
  EXPECT_EQ(ui_.file_requests[0].filters, kOpenImageFilters);
  EXPECT_EQ(ui_.file_requests[0].filter_index, 1);
  EXPECT_EQ(ui_.max_wait_depth, 1);
  EXPECT_EQ(ui_.wait_depth, 0);
  app_->slots.current = 1;
  Run(kCmdClose);  // unchanged: closed without a question
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(app_->slots.current, 2);  // the highest open slot
  Open(MakePpm("d.ppm"));
  EXPECT_EQ(app_->slots.current, 1);
}

TEST_F(ShellTest, OpenRefusalsLeaveTheSlotsAsTheyWere) {
  Run(kCmdOpen);  // cancelled dialog
  EXPECT_EQ(app_->slots.current, -1);
  Open(Path("photo.webp"));
  WriteBytes(Path("broken.ppm"), "P9 nonsense");
  Open(Path("broken.ppm"));
  Open(Path("missing.ppm"));
  EXPECT_EQ(Texts(ui_), (Strings{Msg(kMsgUnsupported, Path("photo.webp")), Msg(kMsgBadFile, Path("broken.ppm")),
                                 Msg(kMsgCannotOpenFile, Path("missing.ppm"))}));
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
  EXPECT_TRUE(Slot(0).Empty());
  EXPECT_EQ(app_->slots.current, -1);
  FillSlots(*app_, 0);
  Open(MakePpm("a.ppm"));
  EXPECT_EQ(LastBox().text, kMsgNoSlotToOpen);
  EXPECT_EQ(ui_.file_requests.size(), 4u);  // no dialog without a slot
}

TEST_F(ShellTest, SaveProposesTheNameAndWritesByFilter) {
  PutImage(*app_, 0, MakePositionImage(3, 2), Path("v1.2/shot.ppm")).changed = 1;
  ui_.files.push_back({true, Path("out"), 4});  // PPM(48bit,bin), no extension typed
  Run(kCmdSave);
  EXPECT_EQ(ui_.file_requests[0].title, "SAVE");
  EXPECT_EQ(ui_.file_requests[0].filters, kSaveImageFilters);
  EXPECT_EQ(ui_.file_requests[0].initial_name, Path("v1.2/shot"));
  EXPECT_EQ(ui_.file_requests[0].filter_index, kSaveFilterPpmBinary);  // the image's own format
  EXPECT_EQ(ReadBytes(Path("out.ppm")).substr(0, 2), "P6");  // in the typed name's case
  EXPECT_EQ(Slot(0).name, Path("out.ppm"));
  EXPECT_EQ(Slot(0).changed, 0);
  EXPECT_EQ(app_->default_extension, ".PPM");
  EXPECT_EQ(app_->save_filter_index, 4);
  // A typed .ppm name writes PPM whatever the filter; ASCII unless the
  // binary filter was chosen.
  ui_.files.push_back({true, Path("text.ppm"), 1});
  Run(kCmdSave);
  EXPECT_EQ(ReadBytes(Path("text.ppm")).substr(0, 2), "P3");
  EXPECT_EQ(ui_.file_requests[1].filter_index, kSaveFilterPpmBinary);
  EXPECT_EQ(ui_.file_requests[1].initial_name, Path("out"));
  EXPECT_EQ(app_->default_extension, ".BMP");
  // A RAW name has no writer: the default extension goes after it.
  ui_.files.push_back({true, Path("SHOT.CR2"), 5});
  Run(kCmdSave);
  EXPECT_TRUE(PathExists(Path("SHOT.CR2.PPM")));
  // A dot in a folder name is not an extension; a cancelled dialog still
  // takes its filter.
  Slot(0).name = Path("v1.2/noext");
  ui_.files.push_back({false, "", 2});
  Run(kCmdSave);
  EXPECT_EQ(ui_.file_requests[3].initial_name, Path("v1.2/noext"));
  EXPECT_EQ(app_->default_extension, ".JPG");
  EXPECT_EQ(app_->save_filter_index, 2);
  // The float FITS filter: its extension, and a monochrome file opens as such.
  ui_.files.push_back({true, Path("m31"), kSaveFilterFits32});
  Run(kCmdSave);
  EXPECT_EQ(app_->default_extension, ".FIT");
  Slot(0).monochrome = 1;
  ui_.files.push_back({true, Path("mono.fts"), kSaveFilterFits16});
  Run(kCmdSave);
  Open(Path("mono.fts"));
  EXPECT_EQ(Flags(Slot(1)), (std::vector<int>{0, 0, 0, 1, 1}));
  Open(Path("m31.FIT"));
  EXPECT_EQ(Slot(2).monochrome, 0);
}

TEST_F(ShellTest, SaveExpandsAMonochromeImageFirst) {
  PutImage(*app_, 0, MakeFlatImage(1, 1, 0)).r[0] = 500;
  Slot(0).monochrome = 1;
  ui_.files.push_back({true, Path("m.ppm"), 5});
  Run(kCmdSave);
  EXPECT_EQ(ReadBytes(Path("m.ppm")), "P3\n1 1\n65535\n500 500 500 ");
}

TEST_F(ShellTest, OverwriteNeedsOk) {
  PutImage(*app_, 0, MakeFlatImage(3, 2, 1000), "x").changed = 1;
  WriteBytes(Path("exists.ppm"), "keep me");
  ui_.files.push_back({true, Path("exists.ppm"), 4});
  ui_.answers.push_back(kAnswerCancel);
  Run(kCmdSave);
  EXPECT_EQ(Texts(ui_), Strings{Msg(kMsgOverwrite, Path("exists.ppm"))});
  EXPECT_EQ(ui_.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(ReadBytes(Path("exists.ppm")), "keep me");
  EXPECT_EQ(Slot(0).changed, 1);
  ui_.files.push_back({true, Path("exists.ppm"), 4});
  ui_.answers.push_back(kAnswerOk);
  Run(kCmdSave);
  EXPECT_EQ(ReadBytes(Path("exists.ppm")).substr(0, 2), "P6");
  EXPECT_EQ(Slot(0).changed, 0);
}

TEST_F(ShellTest, FailedOrImpossibleSavesKeepTheImageUnsaved) {
  PutImage(*app_, 0, MakeFlatImage(3, 2, 1000), Path("a.ppm")).changed = 1;
  ui_.files.push_back({true, Path("no/such/folder/x.ppm"), 4});
  Run(kCmdSave);
  EXPECT_EQ(Texts(ui_), (Strings{Msg(kMsgSaveFailed, Path("no/such/folder/x.ppm"))}));
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
  EXPECT_EQ(Slot(0).changed, 1);
  EXPECT_EQ(Slot(0).name, Path("a.ppm"));
}

// Slots 0..4 open; those in `changed` are marked changed.
void FiveImages(AppState& app, std::initializer_list<int> changed) {
  for (int i = 0; i < 5; ++i) PutImage(app, i, MakeFlatImage(2, 2, 0), "img" + std::to_string(i));
  for (int i : changed) app.slots[i].changed = 1;
}

// The save question on close: what each answer (and what follows a Yes)
// leaves in slot 4.
TEST_F(ShellTest, CloseQuestionAnswers) {
  WriteBytes(Path("there.ppm"), "old");
  struct Case {
    std::vector<int> answers;
    ScriptedFile file;  // for a Yes; chosen = false: dialog cancelled
    bool closed;
  } cases[] = {
      {{kAnswerNo}, {false, "", 0}, true},
      {{kAnswerCancel}, {false, "", 0}, false},
      {{kAnswerYes}, {true, Path("keep.ppm"), 4}, true},
      {{kAnswerYes}, {false, "", 0}, false},                       // the save dialog cancelled
      {{kAnswerYes, kAnswerCancel}, {true, Path("there.ppm"), 4}, false},  // overwrite refused
      {{kAnswerYes}, {true, Path("missing/dir/x.ppm"), 4}, false},  // the write failed
  };
  for (const Case& c : cases) {
    auto app = NewApp();
    FiveImages(*app, {4});
    app->slots[4].name = Path("img4.ppm");
    FakeUi ui;
    ui.answers.assign(c.answers.begin(), c.answers.end());
    ui.files.push_back(c.file);
    RunCommand(*app, ui, kCmdClose);
    const std::string what = std::to_string(c.answers.size()) + c.file.path;
    EXPECT_EQ(app->slots[4].Empty(), c.closed) << what;
    EXPECT_EQ(app->slots.current, c.closed ? 3 : 4) << what;
    EXPECT_EQ(ui.boxes[0].kind, kBoxSaveOrNot);
    EXPECT_EQ(ui.boxes[0].text, Msg(kMsgSaveOrNot, 4, Path("img4.ppm")));
    if (c.answers[0] == kAnswerYes) {
      EXPECT_EQ(ui.file_requests[0].initial_name, Path("img4.ppm"));  // full name
    }
  }
  EXPECT_TRUE(PathExists(Path("keep.ppm")));
  EXPECT_EQ(ReadBytes(Path("there.ppm")), "old");
}

TEST_F(ShellTest, ClosingTheLastImageLeavesSlotZeroCurrent) {
  PutImage(*app_, 6, MakeFlatImage(2, 2, 0));
  Run(kCmdClose);
  EXPECT_EQ(app_->slots.current, 0);
  EXPECT_TRUE(Slot(6).Empty());
  Run(kCmdClose);  // nothing to close: nothing happens
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellTest, CloseAllStopsAtCancelLeavingTheRest) {
  FiveImages(*app_, {1, 2, 3});
  ui_.answers = {kAnswerNo, kAnswerNo, kAnswerCancel};
  Run(kCmdCloseAll);
  ASSERT_EQ(ui_.boxes.size(), 3u);
  EXPECT_EQ(ui_.boxes[2].text, Msg(kMsgSaveOrNot, 3, std::string("img3")));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Slot(i).Empty(), i < 3) << i;
  EXPECT_EQ(app_->slots.current, 3);
  ui_.answers = {kAnswerNo};
  Run(kCmdCloseAll);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Slot(i).Empty()) << i;
  EXPECT_EQ(app_->slots.current, 0);
}

TEST_F(ShellTest, ExitAsksAboutEveryChangedImageAndEmptiesNothing) {
  FiveImages(*app_, {2, 4});
  ui_.answers = {kAnswerNo, kAnswerCancel};
  EXPECT_FALSE(ConfirmExit(*app_, ui_));
  EXPECT_EQ(app_->slots.current, 4);
  EXPECT_FALSE(Slot(2).Empty());
  Run(kCmdExit);
  EXPECT_FALSE(app_->quit_requested);  // no answers left: Cancel
  ui_.answers = {kAnswerNo, kAnswerNo};
  Run(kCmdExit);
  EXPECT_TRUE(app_->quit_requested);
  EXPECT_EQ(ui_.boxes.size(), 5u);
}

TEST_F(ShellTest, StartUpFilesSkipUnsupportedNamesAndStopWhenFull) {
  const std::string a = MakePpm("a.ppm"), b = MakePpm("b c.ppm");
  // The settings file of the working folder is read first.
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  WriteBytes("tavo.tvp", "level\n33\n");
  auto app = std::make_unique<AppState>();
  StartUp(*app, ui_, {a, Path("bad.webp"), b});
  std::filesystem::current_path(old);
  EXPECT_EQ(app->settings.level.strength, 33);
  EXPECT_EQ(Texts(ui_), Strings{Msg(kMsgUnsupported, Path("bad.webp"))});
  EXPECT_EQ(app->slots[0].name, a);
  EXPECT_EQ(app->slots[1].name, b);
  EXPECT_EQ(app->slots.current, 1);
  FillSlots(*app_, 1);
  OpenStartupFiles(*app_, ui_, {a, a, a});
  EXPECT_EQ(Slot(0).name, a);
  EXPECT_EQ(LastBox().text, kMsgNoSlotToOpen);
}

TEST_F(ShellTest, DroppedFilesStopAtTheFirstUnsupportedOne) {
  const std::string a = MakePpm("a.ppm"), c = MakePpm("c.ppm");
  DropFiles(*app_, ui_, {a, Path("b.txt"), c});
  EXPECT_EQ(Slot(0).name, a);
  EXPECT_TRUE(Slot(1).Empty());
  EXPECT_EQ(Texts(ui_), Strings{Msg(kMsgUnsupported, Path("b.txt"))});
  EXPECT_EQ(app_->slots.current, 0);
  DropFiles(*app_, ui_, {c, a});
  EXPECT_EQ(Slot(2).name, a);
  EXPECT_EQ(app_->slots.current, 2);
}

TEST(CommandLine, SpacesSeparateQuotesGroup) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("a.ppm \"my file.ppm\"  c.bmp "), (Names{"a.ppm", "my file.ppm", "c.bmp"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  EXPECT_EQ(NamesFromArguments({"a.ppm", "\"b c.ppm\" d.ppm", "e f.ppm", ""}),
            (Names{"a.ppm", "b c.ppm", "d.ppm", "e f.ppm"}));
}


TEST(ParseFilterList, ShippedLists) {
  const std::vector<FileFilter> save = ParseFilterList(kSaveImageFilters);
  ASSERT_EQ(save.size(), 7u);
  EXPECT_EQ(save[0].description, "BMP(24bit)");
  EXPECT_EQ(save[0].patterns, Strings{"*.BMP"});
  EXPECT_EQ(save[4].description, "PPM(48bit,ASCII)");
  EXPECT_EQ(save[4].patterns, Strings{"*.PPM"});
  EXPECT_EQ(save[6].description, "FITS(32bit float)");
  const std::vector<FileFilter> f = ParseFilterList(kOpenImageFilters);
  ASSERT_EQ(f.size(), 9u);
  EXPECT_EQ(f[0].description, "全ての画像データ");
  EXPECT_EQ(f[0].patterns.size(), 28u);  // 9 image extensions and 19 RAW ones
  EXPECT_EQ(f[0].patterns.front(), "*.BMP");
  EXPECT_EQ(f[0].patterns.back(), "*.SRW");
  EXPECT_EQ(f[2].patterns, (Strings{"*.TIF", "*.TIFF"}));
  EXPECT_EQ(f[3].description, "*.PPM");
  EXPECT_EQ(f[8].description, "All");
  EXPECT_EQ(f[8].patterns, Strings{"*.*"});
}

TEST(ParseFilterList, OddListsDoNotBreakIt) {
  EXPECT_TRUE(ParseFilterList("").empty());
  EXPECT_TRUE(ParseFilterList("A|").empty());
  EXPECT_TRUE(ParseFilterList("||A|*.a||").empty());  // ends at the first empty description
  const std::vector<FileFilter> f = ParseFilterList("A|*.a;;*.b");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].patterns, (Strings{"*.a", "*.b"}));
  EXPECT_EQ(ParseFilterList(kSettingsFilters).size(), 2u);
}

TEST(DialogPatterns, LowerCaseTwinsAndEverything) {
  EXPECT_EQ(DialogPatterns({"x", {"*.BMP", "*.TIFF"}}), (Strings{"*.BMP", "*.bmp", "*.TIFF", "*.tiff"}));
  EXPECT_EQ(DialogPatterns({"x", {"*.JPG", "*.TIF", "*.TIFF", "*.fit"}}),
            (Strings{"*.JPG", "*.jpg", "*.JPEG", "*.jpeg", "*.TIF", "*.tif", "*.TIFF", "*.tiff", "*.fit"}));
  EXPECT_EQ(DialogPatterns({"x", {"*.tvp"}}), Strings{"*.tvp"});
  EXPECT_EQ(DialogPatterns({"All", {"*.*"}}), Strings{"*"});
}

TEST_F(ShellTest, ACutFileOpensAndSaysHowManyRowsAreMissing) {
  // 3 x 4 TIFF cut inside its second row (rows of 18 bytes behind 128).
  ASSERT_TRUE(WriteImageFile(Path("w.tif"), MakePositionImage(3, 4), kSaveFilterTiff));
  WriteBytes(Path("cut.tif"), ReadBytes(Path("w.tif")).substr(0, 128 + 18 + 5));
  Open(Path("cut.tif"));
  EXPECT_EQ(Slot(0).height, 4);
  EXPECT_EQ(Texts(ui_), Strings{Msg(kMsgFileEndedEarly, Path("cut.tif"), 3)});
}

TEST_F(ShellTest, SaveDialogStartsOnAFilterThatKeepsSixteenBits) {
  Image& image = PutImage(*app_, 0, MakePositionImage(2, 2), "");
  const auto first_filter = [&](const std::string& name, int chosen) {
    image.name = name;
    ui_.files.push_back({false, "", chosen});
    Run(kCmdSave);
    return ui_.file_requests.back().filter_index;
  };
  EXPECT_EQ(first_filter("", kSaveFilterJpeg), kSaveFilterTiff);  // nothing to go by
  EXPECT_EQ(first_filter("sky.png", 0), kSaveFilterJpeg);         // the last one chosen
  EXPECT_EQ(first_filter("frame.bmp", 0), kSaveFilterBmp);        // its own format
  EXPECT_EQ(first_filter("sky.fits", 0), kSaveFilterFits16);
  // Names choose their format whatever the filter.
  ui_.files.push_back({true, Path("x.jpeg"), kSaveFilterBmp});
  Run(kCmdSave);
  EXPECT_EQ(ReadBytes(Path("x.jpeg")).substr(0, 2), "\xFF\xD8");
  ui_.files.push_back({true, Path("y.FITS"), kSaveFilterBmp});
  Run(kCmdSave);
  EXPECT_EQ(ReadBytes(Path("y.FITS")).substr(0, 6), "SIMPLE");
}

}  // namespace
}  // namespace tavo
