// SPDX-License-Identifier: MIT
#include "tests/shell/shell_fixture.h"

#include "shell/messages.h"

namespace tavo {
namespace {

TEST_F(ShellTest, OpenFillsTheLowestFreeSlotAndMakesItCurrent) {
  Open(MakePpm("a.ppm"));
  Open(MakePpm("b.ppm"));
  Open(MakePpm("c.ppm"));
  EXPECT_EQ(app_->slots.current, 2);
  EXPECT_EQ(Slot(1).name, Path("b.ppm"));
  EXPECT_EQ(Slot(1).stats_refresh, 1);
  ASSERT_EQ(ui_.file_requests.size(), 3u);
  EXPECT_EQ(ui_.file_requests[0].title, "LOAD");
  EXPECT_EQ(ui_.file_requests[0].filters, kOpenImageFilters);
  app_->slots.current = 1;
  RunCommand(*app_, ui_, 104);  // unchanged: closes without a question
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(app_->slots.current, 2);  // highest open slot
  Open(MakePpm("d.ppm"));
  EXPECT_EQ(app_->slots.current, 1);
  EXPECT_EQ(ui_.max_wait_depth, 1);
  EXPECT_EQ(ui_.wait_depth, 0);
}

TEST_F(ShellTest, OpenRefusesUnsupportedAndUnreadableFiles) {
  Open(MakePpm("good.ppm"));
  Open(Path("notes.txt"));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui_.boxes[0].text, Path("notes.txt") + " : TAVO not support this format !");
  WriteBytes(Path("broken.ppm"), "P9 nonsense");
  Open(Path("broken.ppm"));
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_NE(ui_.boxes[1].text.find(Path("broken.ppm")), std::string::npos);
  Open(Path("missing.ppm"));
  ASSERT_EQ(ui_.boxes.size(), 3u);
  EXPECT_NE(ui_.boxes[2].text.find("missing.ppm"), std::string::npos);
  EXPECT_TRUE(Slot(1).Empty());  // no slot left half-filled
  EXPECT_EQ(app_->slots.current, 0);
}

TEST_F(ShellTest, OpenWithAllSlotsTakenSaysSo) {
  for (int i = 0; i < kSlotCount; ++i) Slot(i) = MakeFlatImage(1, 1, 0);
  Open(MakePpm("a.ppm"));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoSlotToOpen);
  EXPECT_TRUE(ui_.file_requests.empty());  // no dialog was shown
}

TEST_F(ShellTest, SaveProposesTheNameWithoutExtensionAndWritesByFilter) {
  Open(MakePpm("photo.ppm"));
  Slot(0).changed = 1;
  ui_.files.push_back({true, Path("out.ppm"), 4});  // PPM(48bit,bin)
  RunCommand(*app_, ui_, 102);
  ASSERT_EQ(ui_.file_requests.size(), 2u);
  EXPECT_EQ(ui_.file_requests[1].title, "SAVE");
  EXPECT_EQ(ui_.file_requests[1].initial_name, Path("photo"));
  EXPECT_EQ(ui_.file_requests[1].filter_index, 4);  // the image's own format
  EXPECT_EQ(ReadBytes(Path("out.ppm")).substr(0, 2), "P6");
  EXPECT_EQ(Slot(0).name, Path("out.ppm"));
  EXPECT_EQ(Slot(0).changed, 0);
  // A .ppm name typed while the BMP filter is chosen writes ASCII.
  ui_.files.push_back({true, Path("text.ppm"), 1});
  RunCommand(*app_, ui_, 102);
  EXPECT_EQ(ReadBytes(Path("text.ppm")).substr(0, 2), "P3");
  EXPECT_EQ(app_->default_extension, ".BMP");
}

TEST_F(ShellTest, SaveAppendsTheDefaultExtensionToUnknownNames) {
  Open(MakePpm("a.ppm"));
  ui_.files.push_back({true, Path("result"), 4});
  RunCommand(*app_, ui_, 102);
  EXPECT_TRUE(PathExists(Path("result.ppm")));  // in the typed name's case
  EXPECT_EQ(Slot(0).name, Path("result.ppm"));
  // A RAW name is not writable: the default extension goes after it.
  ui_.files.push_back({true, Path("SHOT.CR2"), 5});
  RunCommand(*app_, ui_, 102);
  EXPECT_TRUE(PathExists(Path("SHOT.CR2.PPM")));
}

TEST_F(ShellTest, CancelledSaveDialogStillSetsTheDefaultExtension) {
  Open(MakePpm("a.ppm"));
  ui_.files.push_back({false, "", 2});
  RunCommand(*app_, ui_, 102);
  EXPECT_EQ(app_->default_extension, ".JPG");
  EXPECT_EQ(app_->save_filter_index, 2);
}

TEST_F(ShellTest, OverwriteNeedsOk) {
  Open(MakePpm("a.ppm", 3, 2, 1000));
  WriteBytes(Path("exists.ppm"), "keep me");
  Slot(0).changed = 1;
  ui_.files.push_back({true, Path("exists.ppm"), 4});
  ui_.answers.push_back(kAnswerCancel);
  RunCommand(*app_, ui_, 102);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(ui_.boxes[0].text, "\"" + Path("exists.ppm") + "\" already exist.\n Do you overwrite file ?");
  EXPECT_EQ(ReadBytes(Path("exists.ppm")), "keep me");
  EXPECT_EQ(Slot(0).changed, 1);
  ui_.files.push_back({true, Path("exists.ppm"), 4});
  ui_.answers.push_back(kAnswerOk);
  RunCommand(*app_, ui_, 102);
  EXPECT_EQ(ReadBytes(Path("exists.ppm")).substr(0, 2), "P6");
  EXPECT_EQ(Slot(0).changed, 0);
}

TEST_F(ShellTest, FailedOrImpossibleSavesKeepTheImageUnsaved) {
  Open(MakePpm("a.ppm"));
  Slot(0).changed = 1;
  ui_.files.push_back({true, dir_ + "/no/such/folder/x.ppm", 4});
  RunCommand(*app_, ui_, 102);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
  EXPECT_NE(ui_.boxes[0].text.find("x.ppm"), std::string::npos);
  EXPECT_EQ(Slot(0).changed, 1);
  EXPECT_EQ(Slot(0).name, Path("a.ppm"));
  // FITS has no writer: refused, nothing written, not marked saved.
  ui_.files.push_back({true, Path("m31.fts"), 1});
  RunCommand(*app_, ui_, 102);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].kind, kBoxError);
  EXPECT_FALSE(PathExists(Path("m31.fts")));
  EXPECT_EQ(Slot(0).changed, 1);
}

TEST_F(ShellTest, SaveExpandsAMonochromeImageFirst) {
  Open(MakePpm("a.ppm", 1, 1, 0));
  Slot(0).r[0] = 500;
  Slot(0).monochrome = 1;
  ui_.files.push_back({true, Path("m.ppm"), 5});
  RunCommand(*app_, ui_, 102);
  EXPECT_EQ(ReadBytes(Path("m.ppm")), "P3\n1 1\n65535\n500 500 500 ");
}

TEST_F(ShellTest, ClosePromptPaths) {
  Open(MakePpm("a.ppm"));
  Slot(0).changed = 1;
  ui_.answers.push_back(kAnswerCancel);
  RunCommand(*app_, ui_, 104);
  EXPECT_FALSE(Slot(0).Empty());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxSaveOrNot);
  EXPECT_EQ(ui_.boxes[0].text, "Image No.0(" + Path("a.ppm") + ") is changed !\nDo you save ?");
  // Yes, then the save dialog is cancelled: the image is kept, since the
  // user never chose to throw it away.
  ui_.answers.push_back(kAnswerYes);
  RunCommand(*app_, ui_, 104);
  EXPECT_FALSE(Slot(0).Empty());
  EXPECT_EQ(ui_.file_requests.back().initial_name, Path("a.ppm"));  // full name
  ui_.answers.push_back(kAnswerNo);
  RunCommand(*app_, ui_, 104);
  EXPECT_TRUE(Slot(0).Empty());
  EXPECT_EQ(app_->slots.current, 0);
}

TEST_F(ShellTest, SaveQuestionYesWritesThenCloses) {
  Open(MakePpm("a.ppm"));
  Slot(0).changed = 1;
  ui_.answers.push_back(kAnswerYes);
  ui_.files.push_back({true, Path("saved.ppm"), 4});
  RunCommand(*app_, ui_, 104);
  EXPECT_TRUE(Slot(0).Empty());
  EXPECT_TRUE(PathExists(Path("saved.ppm")));
}

TEST_F(ShellTest, SaveQuestionWithFailedWriteKeepsTheImage) {
  Open(MakePpm("a.ppm"));
  Slot(0).changed = 1;
  ui_.answers.push_back(kAnswerYes);
  ui_.files.push_back({true, dir_ + "/missing/dir/x.ppm", 4});
  RunCommand(*app_, ui_, 104);
  EXPECT_FALSE(Slot(0).Empty());  // the close stopped: nothing lost
  EXPECT_EQ(ui_.boxes.back().kind, kBoxError);
}

TEST_F(ShellTest, CloseAllStopsAtCancelLeavingTheRest) {
  for (int i = 0; i < 5; ++i) {
    Open(MakePpm("f" + std::to_string(i) + ".ppm"));
    Slot(i).changed = 1;
  }
  Slot(1).changed = 0;
  // Slot 0: No (discarded), slot 1 unchanged, slot 2: No, slot 3: Cancel.
  ui_.answers = {kAnswerNo, kAnswerNo, kAnswerCancel};
  RunCommand(*app_, ui_, 105);
  EXPECT_TRUE(Slot(0).Empty());
  EXPECT_TRUE(Slot(1).Empty());
  EXPECT_TRUE(Slot(2).Empty());
  EXPECT_FALSE(Slot(3).Empty());
  EXPECT_FALSE(Slot(4).Empty());
  EXPECT_EQ(app_->slots.current, 3);
  ui_.answers = {kAnswerNo, kAnswerNo};
  RunCommand(*app_, ui_, 105);
  EXPECT_TRUE(Slot(4).Empty());
  EXPECT_EQ(app_->slots.current, 0);
}

TEST_F(ShellTest, ExitAsksForEveryChangedImage) {
  Open(MakePpm("a.ppm"));
  Open(MakePpm("b.ppm"));
  Open(MakePpm("c.ppm"));
  Slot(0).changed = 1;
  Slot(2).changed = 1;
  ui_.answers = {kAnswerNo, kAnswerCancel};
  EXPECT_FALSE(ConfirmExit(*app_, ui_));
  EXPECT_EQ(app_->slots.current, 2);
  EXPECT_FALSE(Slot(2).Empty());
  ui_.answers = {kAnswerNo, kAnswerNo};
  RunCommand(*app_, ui_, 121);
  EXPECT_TRUE(app_->quit_requested);
}

TEST_F(ShellTest, DroppedFilesStopAtTheFirstUnsupportedOne) {
  DropFiles(*app_, ui_, {MakePpm("a.ppm"), Path("b.gif"), MakePpm("c.ppm")});
  EXPECT_FALSE(Slot(0).Empty());
  EXPECT_TRUE(Slot(1).Empty());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Path("b.gif") + " : TAVO not support this format !");
}

TEST_F(ShellTest, StartupFilesSkipUnsupportedNames) {
  OpenStartupFiles(*app_, ui_, {MakePpm("a.ppm"), Path("b.gif"), MakePpm("c.ppm")});
  EXPECT_FALSE(Slot(1).Empty());
  EXPECT_EQ(Slot(1).name, Path("c.ppm"));
  EXPECT_EQ(app_->slots.current, 1);
  EXPECT_EQ(ui_.boxes.size(), 1u);
}

TEST_F(ShellTest, CommandLineSplitsOnSpacesOutsideQuotes) {
  const auto names = SplitCommandLine("a.ppm \"my file.ppm\"  c.bmp");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "a.ppm");
  EXPECT_EQ(names[1], "my file.ppm");
  EXPECT_EQ(names[2], "c.bmp");
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST_F(ShellTest, TitleShowsSlotNameSizeAndZoom) {
  EXPECT_EQ(WindowTitle(*app_), "TAVO");
  Open(MakePpm("a.ppm", 640, 480));
  EXPECT_EQ(WindowTitle(*app_), "0(" + Path("a.ppm") + ") size:640x480 100%");
}

}  // namespace
}  // namespace tavo
