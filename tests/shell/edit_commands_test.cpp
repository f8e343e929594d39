// SPDX-License-Identifier: MIT
// The in-place protocol (through gamma correction), undo and redo, copy,
// moving between images, the settings commands and the version box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/memory.h"
#include "settings/settings_file.h"
#include "shell/protocol.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

class GammaRun : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    PutImage(*app_, 0, MakeFlatImage(3, 2, 5120), "flat.ppm");
  }
  Image& img() { return Slot(0); }
};

TEST_F(GammaRun, ProtocolMarksTheSlotAndUndoRedoUndoEqualsOneUndo) {
  Run(kCmdGamma);
  EXPECT_EQ(ui_.dialogs, std::vector<int>{kCmdGamma});
  const uint16_t after = img().r[0];
  EXPECT_NE(after, 5120);
  EXPECT_EQ(Flags(img()), (std::vector<int>{1, 1, 0, 1, 0}));
  EXPECT_EQ(img().undo_changed, 0);
  EXPECT_EQ(std::vector<int>({ui_.wait_depth, ui_.max_wait_depth, ui_.repaints}), std::vector<int>({0, 1, 1}));
  Run(kCmdUndo);
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(Flags(img()), (std::vector<int>{0, 0, 1, 1, 0}));
  Run(kCmdRedo);
  EXPECT_EQ(img().r[0], after);
  EXPECT_EQ(Flags(img()), (std::vector<int>{1, 1, 0, 1, 0}));
  EXPECT_EQ(img().undo_changed, 0);
  Run(kCmdUndo);
  Run(kCmdUndo);  // nothing left to undo
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(img().changed, 0);
}

TEST_F(GammaRun, CancelledDialogAndShortMemoryChangeNothing) {
  ui_.dialog_results = {false};
  Run(kCmdGamma);
  EXPECT_EQ(ui_.max_wait_depth, 0);
  // Headroom needs 4 x 6 bytes per pixel: 144 for 3 x 2.
  SetAvailableMemoryForTest(100);
  Run(kCmdGamma);
  SetAvailableMemoryForTest(-1);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoMemory);
  EXPECT_EQ(ui_.dialogs.size(), 1u);  // the second run stopped before the dialog
  EXPECT_EQ(img().r[0], 5120);
  EXPECT_EQ(Flags(img()), (std::vector<int>{0, 0, 0, 0, 0}));
}

// The undo copy fails (each undo plane needs 12 bytes; with 10 there is
// none) or the run itself reports no memory: the old undo side is back.
TEST_F(GammaRun, FailedUndoCopyOrRunReportsAfterTheWaitCursor) {
  img().undo_available = 1;
  img().undo_r = NewPlane(6, true);
  img().undo_r[0] = 77;
  for (int64_t memory : {10, -1}) {
    SetAvailableMemoryForTest(memory);
    const bool ran = RunInPlaceConfirmed(*app_, ui_, [](AppState&, Image&) { return kOpNoMemory; });
    SetAvailableMemoryForTest(-1);
    EXPECT_FALSE(ran);
    EXPECT_EQ(img().r[0], 5120);
    EXPECT_EQ(img().undo_available, 1);
    EXPECT_EQ(img().undo_r[0], 77);
    EXPECT_EQ(img().changed, 0);
    EXPECT_EQ(LastBox().text, kMsgNoMemory);
    EXPECT_EQ(ui_.wait_depth, 0);
  }
  EXPECT_EQ(ui_.repaints, 0);
}

// Per channel: each row is a flat curve (all three outputs alike), which
// maps every sample up to 255 * 256 to that output * 256. The all-colours
// row would give 40 * 256.
TEST_F(GammaRun, PerChannelTablesPickTheirRowsAndClearMonochrome) {
  GammaSettings& g = app_->settings.gamma;
  g.kind = 0;
  g.table = 2;
  for (int t = 0; t < 4; ++t) {
    for (int p = 0; p < 3; ++p) g.rows[t][p * 2 + 1] = t == 0 ? 40 : t * 10;
  }
  img().monochrome = 1;
  Run(kCmdGamma);
  EXPECT_EQ(img().monochrome, 0);
  EXPECT_EQ(img().r[5], 2560);
  EXPECT_EQ(img().g[5], 5120);
  EXPECT_EQ(img().b[5], 7680);
}

TEST_F(ShellTest, CommandsWithoutAnImageDoNothing) {
  for (int id : {kCmdSave, kCmdClose, kCmdUndo, kCmdRedo, kCmdCopy, kCmdGamma, kCmdBackgroundQuad,
                 kCmdCaptureCentre, kCmdCaptureCorner, kCmdZoomIn, kCmdAreaCopy}) {
    EXPECT_EQ(RunCommand(*app_, ui_, id), kCommandRan) << id;
  }
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_EQ(ui_.repaints, 0);
  EXPECT_EQ(app_->capture.mode, 0);
  EXPECT_EQ(app_->area_flag, 0);
  EXPECT_EQ(RunCommand(*app_, ui_, 9999), kCommandUnknown);
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellTest, CopyMakesANewSlotWithFreshFlags) {
  Image& src = PutImage(*app_, 1, MakePositionImage(4, 3), "src.ppm");
  src.changed = src.undo_available = src.monochrome = 1;
  Run(kCmdCopy);
  ASSERT_EQ(app_->slots.current, 0);
  const Image& copy = Slot(0);
  EXPECT_TRUE(SamePlanes(copy, Slot(1)));
  EXPECT_EQ(copy.name, "");
  EXPECT_EQ(Flags(copy), (std::vector<int>{0, 0, 0, 0, 1}));
  EXPECT_EQ(copy.hist_samples, 12);  // histogram made at once
  FillSlots(*app_, 2);
  Run(kCmdCopy);
  EXPECT_EQ(Texts(ui_), Strings{kMsgNoSlotToMake});
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
}

TEST_F(ShellTest, NextAndPreviousImageWrapAround) {
  SelectNextImage(*app_, ui_);
  EXPECT_EQ(app_->slots.current, -1);  // nothing open
  PutImage(*app_, 3, MakeFlatImage(1, 1, 0));
  SelectPreviousImage(*app_, ui_);
  EXPECT_EQ(app_->slots.current, 3);  // alone: stays
  PutImage(*app_, 7, MakeFlatImage(1, 1, 0));
  const int next[] = {3, 7}, previous[] = {3, 7};
  for (int s : next) {
    SelectNextImage(*app_, ui_);  // from 7 past 99 to 3
    EXPECT_EQ(app_->slots.current, s);
  }
  for (int s : previous) {
    SelectPreviousImage(*app_, ui_);  // from 3 below 0 to 7
    EXPECT_EQ(app_->slots.current, s);
  }
}

TEST_F(ShellTest, ResetOnlyAfterOkAndImagesStay) {
  PutImage(*app_, 0, MakeFlatImage(2, 2, 0));
  app_->settings.level.strength = 42;
  app_->capture.mode = 2;
  app_->batch.code[2] = 12;
  app_->batch.save_configured = app_->batch.timing = 1;
  app_->batch.folder[7] = "/tmp";
  app_->batch_mode = 1;
  ui_.answers = {kAnswerCancel, kAnswerOk};
  Run(kCmdResetSettings);
  EXPECT_EQ(app_->settings.level.strength, 42);
  EXPECT_EQ(app_->capture.mode, 2);
  Run(kCmdResetSettings);
  EXPECT_EQ(Texts(ui_), (Strings{kMsgResetSettings, kMsgResetSettings}));
  EXPECT_EQ(ui_.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(app_->settings.level.strength, Settings().level.strength);
  const BatchSequence& seq = app_->batch;
  EXPECT_EQ(std::vector<int>({app_->capture.mode, seq.code[2], seq.save_configured, seq.timing, app_->batch_mode}),
            std::vector<int>({0, 0, 0, 0, 0}));
  EXPECT_EQ(seq.folder[7], "");
  EXPECT_EQ(ui_.repaints, 1);
  EXPECT_EQ(Slot(0).width, 2);
}

TEST_F(ShellTest, SaveAndLoadAllSettings) {
  Run(kCmdSaveSettings);  // cancelled
  EXPECT_EQ(Texts(ui_), (Strings{kMsgSaveSettingsInfo, kMsgSettingsNotSaved}));
  EXPECT_EQ(ui_.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui_.boxes[1].kind, kBoxMessage);
  EXPECT_EQ(ui_.file_requests[0].title, "SAVE");
  // Proposed in the configuration folder the next start reads, made for the dialog.
  const std::string config = std::string(std::getenv("XDG_CONFIG_HOME")) + "/tavo";
  EXPECT_EQ(ui_.file_requests[0].initial_name, config + "/tavo");
  EXPECT_TRUE(std::filesystem::is_directory(config));
  EXPECT_EQ(ui_.file_requests[0].filters, kSettingsFilters);
  app_->settings.display.scale = 16;
  ui_.files = {{true, Path("mine"), 0}, {true, Path("KEEP.TVP"), 0}, {true, Path("no/dir/x"), 0}};
  Run(kCmdSaveSettings);
  Run(kCmdSaveSettings);
  Run(kCmdSaveSettings);
  EXPECT_TRUE(PathExists(Path("mine.tvp")));
  EXPECT_TRUE(PathExists(Path("KEEP.TVP")));
  EXPECT_FALSE(PathExists(Path("KEEP.TVP.tvp")));
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_EQ(LastBox().text, Msg(kMsgSaveFailed, Path("no/dir/x.tvp")));
  // An existing settings file is replaced only after OK.
  ui_.files = {{true, Path("mine.tvp"), 0}};
  ui_.answers = {kAnswerCancel};
  app_->settings.display.scale = 256;
  Run(kCmdSaveSettings);
  EXPECT_EQ(LastBox().text, Msg(kMsgOverwrite, Path("mine.tvp")));

  ui_.files = {{true, Path("mine.tvp"), 0}, {true, Path("none.tvp"), 0}};
  Run(kCmdLoadSettings);
  EXPECT_EQ(app_->settings.display.scale, 16);
  EXPECT_EQ(ui_.file_requests.back().title, "LOAD");
  Run(kCmdLoadSettings);
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_EQ(LastBox().text, Msg(kMsgCannotOpenFile, Path("none.tvp")));
  Run(kCmdLoadSettings);
  EXPECT_EQ(LastBox().text, kMsgSettingsNotLoaded);
}

TEST_F(ShellTest, VersionBoxAndCaptions) {
  Run(kCmdVersion);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxAbout);
  EXPECT_EQ(ui_.boxes[0].text, kMsgVersion);
  const std::pair<int, const char*> captions[] = {{kBoxAbout, "About TAVO !"}, {kBoxError, "Error !"},
                                                  {kBoxCaution, "Caution !"},  {kBoxMessage, "Message !"},
                                                  {kBoxSaveOrNot, "Save or not !"}};
  for (const auto& [kind, caption] : captions) EXPECT_STREQ(BoxCaption(kind), caption);
}

}  // namespace
}  // namespace tavo
