// SPDX-License-Identifier: MIT
// The "Batch Sequence" dialog model, the batch menu commands and files
// dropped in batch mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/batch_commands.h"
#include "shell/batch_dialog.h"
#include "shell/batch_run.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

void Configure(AppState& app, const std::string& folder) {
  app.batch.extension[7] = ".PPM";
  app.batch.folder[7] = folder;
  app.batch.detail[7][0] = 4;
  app.batch.save_configured = 1;
}

// A flat gamma curve: every sample below 65280 becomes 20 * 256.
void SetGammaStep(AppState& app, int step) {
  app.batch.code[step] = app.batch.stored_code[step] = kStepGamma;
  const int words[8] = {0, 0, 0, 20, 128, 20, 255, 20};
  std::copy(words, words + 8, app.batch.detail[step]);
}

std::string Invalid(int row, int code) { return Msg(kMsgBatchStepInvalid, row, code); }

TEST_F(ShellTest, BatchDialogRowsOpenAndChoose) {
  EXPECT_EQ(BatchRowCodes(0), (std::vector<int>{1, 2}));
  EXPECT_EQ(BatchRowCodes(7), (std::vector<int>{3}));
  EXPECT_EQ(BatchRowCodes(3), (std::vector<int>{0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
  EXPECT_TRUE(BatchRowCodes(8).empty());
  // Codes a row does not offer (from a batch file) show as its first entry.
  const int codes[kBatchSteps] = {7, 2, 20, 12, 0, 0, 0, 3};
  std::copy(codes, codes + kBatchSteps, app_->batch.code);
  app_->batch.timing = 1;
  BatchDialogModel m = OpenBatchDialog(*app_);
  EXPECT_EQ(std::vector<int>(m.shown, m.shown + 8), (std::vector<int>{1, 0, 0, 12, 0, 0, 0, 3}));
  EXPECT_EQ(m.timing, 1);
  // Choosing sets every code to what its row shows; a code the row does
  // not offer is ignored; only OK or the details store.
  BatchDialogChoose(*app_, m, 1, kStepGamma);
  EXPECT_EQ(std::vector<int>(app_->batch.code, app_->batch.code + 8), (std::vector<int>{1, 12, 0, 12, 0, 0, 0, 3}));
  EXPECT_EQ(app_->batch.stored_code[1], 0);
  BatchDialogChoose(*app_, m, 1, kStepSave);
  EXPECT_EQ(app_->batch.code[1], kStepGamma);
  BatchDialogChoose(*app_, m, 0, kStepOpenComposite);
  EXPECT_EQ(app_->batch.code[0], 2);
}

TEST_F(ShellTest, BatchDetailsByCode) {
  BatchDialogDetails(*app_, ui_, 1);  // code 0: nothing
  EXPECT_TRUE(ui_.boxes.empty());
  BatchDialogDetails(*app_, ui_, 0);
  // The background step asks again until a correction is chosen; the
  // choice goes to the block (back3 value 3), not to the settings.
  app_->batch.code[2] = kStepBackground;
  int shown = 0;
  ui_.on_dialog = [&](int) { app_->settings.back3.correction = ++shown == 2 ? 1 : 0; };
  BatchDialogDetails(*app_, ui_, 2);
  EXPECT_EQ(Texts(ui_), (Strings{kMsgBatchOpenOneInfo, kMsgBatchBackgroundKind}));
  EXPECT_EQ(ui_.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui_.dialogs, (std::vector<int>{kCmdBackgroundMake, kCmdBackgroundMake}));
  EXPECT_EQ(std::vector<int>({app_->batch.detail[2][2], app_->settings.back3.correction}), std::vector<int>({1, 0}));
  ui_.dialogs.clear();
  // The composite step explains itself, then its dialog edits the block.
  app_->batch.code[0] = kStepOpenComposite;
  app_->settings.composite.range = 20;
  ui_.on_dialog = [&](int) { app_->settings.composite.range = 45; };
  BatchDialogDetails(*app_, ui_, 0);
  EXPECT_EQ(LastBox().text, kMsgBatchCompositeInfo);
  EXPECT_EQ(ui_.dialogs, (std::vector<int>{kCmdCompositeAuto}));
  EXPECT_EQ(app_->batch.detail[0][0], 45);
  EXPECT_EQ(app_->settings.composite.range, 20);
}

// The gamma dialog opened from a step edits the step's copy: afterwards the
// interactive settings are as before and the block holds the edit.
TEST_F(ShellTest, BatchDetailDialogLeavesInteractiveSettingsAlone) {
  app_->settings.gamma.rows[0][1] = 11;
  BatchDialogModel m = OpenBatchDialog(*app_);
  BatchDialogChoose(*app_, m, 2, kStepGamma);
  int seen_out1 = -1;
  ui_.on_dialog = [&](int) {
    seen_out1 = app_->settings.gamma.rows[0][1];
    app_->settings.gamma.rows[0][1] = 99;
    app_->settings.gamma.kind = 0;
  };
  BatchDialogDetails(*app_, ui_, 2);
  EXPECT_EQ(ui_.dialogs, (std::vector<int>{kCmdGamma}));
  EXPECT_EQ(seen_out1, 11);  // new code: the dialog starts from the interactive values
  EXPECT_EQ(app_->settings.gamma.rows[0][1], 11);
  EXPECT_EQ(app_->settings.gamma.kind, 1);
  EXPECT_EQ(app_->batch.detail[2][3], 99);
  EXPECT_EQ(app_->batch.detail[2][0], 0);
  ui_.on_dialog = [&](int) { seen_out1 = app_->settings.gamma.rows[0][1]; };
  BatchDialogDetails(*app_, ui_, 2);
  EXPECT_EQ(seen_out1, 99);  // opened again: the step's own values
  Configure(*app_, "/tmp");
  ASSERT_TRUE(BatchDialogOk(*app_, ui_, m));  // the code is already stored: OK keeps the edit
  EXPECT_EQ(app_->batch.detail[2][3], 99);
  EXPECT_EQ(app_->settings.gamma.rows[0][1], 11);
}

// OK without a save folder is refused; a code changed in the list and
// confirmed without its details takes the interactive settings.
TEST_F(ShellTest, BatchOkNeedsTheSaveFolderAndStoresChangedCodes) {
  for (int w = 0; w < kBatchWords; ++w) app_->batch.detail[4][w] = 500 + w;  // stale words of code 0
  app_->settings.gamma.kind = 0;
  app_->settings.gamma.table = 3;
  app_->settings.gamma.rows[2][4] = 201;
  BatchDialogModel m = OpenBatchDialog(*app_);
  BatchDialogChoose(*app_, m, 4, kStepGamma);
  m.timing = 1;
  EXPECT_FALSE(BatchDialogOk(*app_, ui_, m));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgBatchSaveMissing);
  EXPECT_EQ(app_->batch.stored_code[4], 0);
  EXPECT_EQ(app_->batch.timing, 0);
  Configure(*app_, "/tmp");
  ASSERT_TRUE(BatchDialogOk(*app_, ui_, m));
  EXPECT_EQ(app_->batch.stored_code[4], kStepGamma);
  // Kind, per-channel switch (table 3 edited), the all-colours row, the G
  // row's fifth value; beyond the layout the old words are carried.
  const int* d = app_->batch.detail[4];
  EXPECT_EQ(std::vector<int>({d[0], d[1], d[2], d[3], d[6], d[18], d[26]}),
            std::vector<int>({0, 1, 0, 0, 255, 201, 526}));
  EXPECT_EQ(app_->batch.timing, 1);
  EXPECT_EQ(app_->settings.gamma.table, 3);
  EXPECT_EQ(ui_.boxes.size(), 1u);
}

TEST_F(ShellTest, BatchSaveRowAsksForFolderAndFormat) {
  BatchDialogDetails(*app_, ui_, 7);  // cancelled at once: still unconfigured
  EXPECT_EQ(app_->batch.save_configured, 0);
  EXPECT_EQ(app_->batch.folder[7], "");
  app_->save_filter_index = 2;
  app_->default_extension = ".JPG";
  // A bare name has no folder: the note, then the dialog again.
  ui_.files = {{true, "name", 3}, {true, "/data/out dir/x.ppm", 4}};
  BatchDialogDetails(*app_, ui_, 7);
  ASSERT_EQ(ui_.file_requests.size(), 3u);
  const FileDialogRequest& r = ui_.file_requests[1];
  EXPECT_EQ(Strings({r.title, r.filters, r.initial_name}), Strings({"SAVE", kSaveImageFilters, ""}));
  EXPECT_EQ(std::vector<int>({r.filter_index, r.mode}), std::vector<int>({1, kFileDialogSave}));
  EXPECT_EQ(Texts(ui_), Strings{kMsgBatchSaveRetry});
  EXPECT_EQ(Strings({app_->batch.folder[7], app_->batch.extension[7]}), Strings({"/data/out dir", ".PPM"}));
  EXPECT_EQ(std::vector<int>({app_->batch.detail[7][0], app_->batch.save_configured}), std::vector<int>({4, 1}));
  // Configured: the confirmation; OK keeps the row.
  ui_.answers = {kAnswerOk};
  BatchDialogDetails(*app_, ui_, 7);
  EXPECT_EQ(LastBox().kind, kBoxCaution);
  EXPECT_EQ(LastBox().text, Msg(kMsgBatchSaveCurrent, std::string("/data/out dir"), std::string(".PPM")));
  EXPECT_EQ(ui_.file_requests.size(), 3u);
  // Cancel on the confirmation asks again; the new choice replaces the row.
  ui_.answers = {kAnswerCancel};
  ui_.files = {{true, "/other/y.ppm", 5}};
  BatchDialogDetails(*app_, ui_, 7);
  EXPECT_EQ(app_->batch.folder[7], "/other");
  EXPECT_EQ(app_->batch.detail[7][0], 5);
  // Cancelling the save dialog then leaves the row as it was.
  ui_.answers = {kAnswerCancel};
  ui_.files = {{false, "", 2}};
  BatchDialogDetails(*app_, ui_, 7);
  EXPECT_EQ(app_->batch.folder[7], "/other");
  EXPECT_EQ(app_->batch.detail[7][0], 5);
  EXPECT_EQ(app_->save_filter_index, 2);  // interactive dialog state untouched
  EXPECT_EQ(app_->default_extension, ".JPG");
}

TEST_F(ShellTest, BatchStartStopAndSettingsCommand) {
  SetBatchMode(*app_, 1);
  EXPECT_EQ(RunCommand(*app_, ui_, kCmdBatchStart), kCommandRan);
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_EQ(LastBox().text, kMsgBatchNotConfigured);
  EXPECT_EQ(app_->batch_mode, 0);
  Configure(*app_, "/tmp");
  Slot(3) = MakeFlatImage(2, 2, 5);  // unchanged image: closed without a question
  Run(kCmdBatchStart);
  EXPECT_EQ(app_->batch_mode, 1);
  EXPECT_EQ(app_->batch_banner, kBatchBannerIdle);
  EXPECT_TRUE(Slot(3).Empty());
  Run(kCmdBatchStop);
  EXPECT_EQ(app_->batch_mode, 0);
  EXPECT_EQ(app_->batch_banner, "");
  app_->batch.code[5] = kStepOpenComposite;  // not offered there: refused at the start
  Run(kCmdBatchStart);
  EXPECT_EQ(app_->batch_mode, 0);
  EXPECT_EQ(LastBox().text, Invalid(6, kStepOpenComposite));
  app_->batch.code[5] = 0;

  // The settings command stores the blocks on OK and keeps the mode in step
  // with step 1 (off stays off); Cancel stores nothing.
  app_->settings.gamma.rows[0][5] = 250;
  BatchDialogModel m = OpenBatchDialog(*app_);
  BatchDialogChoose(*app_, m, 1, kStepGamma);
  Run(kCmdBatchSettings);
  EXPECT_EQ(ui_.dialogs, (std::vector<int>{kCmdBatchSettings}));
  EXPECT_EQ(app_->batch.stored_code[1], kStepGamma);
  EXPECT_EQ(app_->batch.detail[1][7], 250);
  EXPECT_EQ(app_->batch_mode, 0);
  SetBatchMode(*app_, 2);
  Run(kCmdBatchSettings);
  EXPECT_EQ(app_->batch_mode, 1);
  app_->batch.code[2] = kStepGamma;
  ui_.dialog_results = {false};
  Run(kCmdBatchSettings);
  EXPECT_EQ(app_->batch.stored_code[2], 0);
}

// Saving goes through the settings files' dialog rules (tested with them);
// opening a good file asks to check the folder and turns batch mode on.
TEST_F(ShellTest, SaveAndOpenBatchFiles) {
  Configure(*app_, dir_);
  SetGammaStep(*app_, 3);
  ui_.files = {{true, Path("job"), 0}};
  Run(kCmdBatchSave);
  EXPECT_EQ(ui_.file_requests[0].filters, kBatchFilters);
  EXPECT_TRUE(PathExists(Path("job.tvb")));
  app_->batch.code[1] = kStepOpenComposite;
  ui_.files = {{true, Path("unbuilt.tvb"), 0}};
  Run(kCmdBatchSave);
  WriteBytes(Path("junk.tvb"), "hello");

  auto other = NewApp();
  FakeUi ui;
  ui.files = {{false, "", 0}, {true, Path("job.tvb"), 0}, {true, Path("junk.tvb"), 0}, {true, Path("unbuilt.tvb"), 0}};
  RunCommand(*other, ui, kCmdBatchOpen);  // cancelled
  RunCommand(*other, ui, kCmdBatchOpen);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, kMsgSettingsNotLoaded);
  EXPECT_EQ(ui.file_requests[1].title, "LOAD");
  EXPECT_EQ(ui.file_requests[1].filters, kBatchFilters);
  EXPECT_EQ(ui.boxes[1].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[1].text, kMsgBatchCheckFolder);
  EXPECT_EQ(other->batch.code[3], kStepGamma);
  EXPECT_EQ(other->batch.folder[7], dir_);
  EXPECT_EQ(other->batch_mode, 1);
  EXPECT_EQ(other->batch_banner, kBatchBannerIdle);
  RunCommand(*other, ui, kCmdBatchOpen);  // not a batch file: nothing changes
  EXPECT_EQ(ui.boxes.back().kind, kBoxError);
  EXPECT_EQ(ui.boxes.back().text, Msg(kMsgBadFile, Path("junk.tvb")));
  EXPECT_EQ(other->batch.code[3], kStepGamma);
  RunCommand(*other, ui, kCmdBatchOpen);  // a sequence that cannot run leaves batch mode off
  EXPECT_EQ(other->batch_mode, 0);
  EXPECT_EQ(ui.boxes.back().text, Invalid(2, kStepOpenComposite));
}

TEST(BatchDrop, CountsAndTimingText) {
  const int counts[][3] = {{2, 9, 8}, {2, 8, 8}, {2, 2, 2}, {1, 9, 9}};  // composite mode takes 8
  for (const auto& k : counts) EXPECT_EQ(BatchFileCount(k[0], k[1]), k[2]) << k[0] << " " << k[1];
  EXPECT_EQ(FormatBatchTiming(3, 1234), Msg(kMsgBatchTiming, 3, 12, 34));
  EXPECT_EQ(FormatBatchTiming(1, 5), Msg(kMsgBatchTiming, 1, 0, 5));
  EXPECT_EQ(FormatBatchTiming(0, 0), Msg(kMsgBatchTiming, 0, 0, 0));
}

// Mode 1: each file on its own; a bad file is reported by name and the run
// goes on; the final box lists what was not processed.
TEST_F(ShellTest, BatchDropOneByOneGoesOnAfterBadFiles) {
  Configure(*app_, Path("out"));
  std::filesystem::create_directories(Path("out"));
  SetGammaStep(*app_, 1);
  app_->batch.timing = 1;
  SetBatchMode(*app_, 1);
  WritePixelPpm(Path("a.ppm"), 1000, 2000, 3000);
  WritePixelPpm(Path("c.ppm"), 4000, 6000, 8000);
  std::vector<std::string> banners;
  ui_.on_repaint = [&] { banners.push_back(app_->batch_banner); };
  DropFiles(*app_, ui_, {Path("a.ppm"), Path("b.xyz"), Path("missing.ppm"), Path("c.ppm")});
  EXPECT_EQ(ReadPpmSamples(Path("out/a.PPM")), std::vector<int>(3, 5120));
  EXPECT_EQ(ReadPpmSamples(Path("out/c.PPM")), std::vector<int>(3, 5120));
  const Strings texts = Texts(ui_);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(Strings(texts.begin(), texts.begin() + 3),
            (Strings{Msg(kMsgUnsupported, Path("b.xyz")), Msg(kMsgCannotOpenFile, Path("missing.ppm")),
                     Msg(kMsgBatchFailures, 2, Path("b.xyz") + "\n" + Path("missing.ppm") + "\n")}));
  EXPECT_EQ(std::vector<int>({ui_.boxes[2].kind, ui_.boxes[3].kind}), std::vector<int>({kBoxError, kBoxMessage}));
  const std::string timing = Msg(kMsgBatchTiming, 4, 0, 0);
  EXPECT_EQ(ui_.boxes[3].text.rfind(timing.substr(0, timing.find("0.00")), 0), 0u);
  EXPECT_NE(std::find(banners.begin(), banners.end(), kBatchBannerRunning), banners.end());
  EXPECT_EQ(app_->batch_banner, kBatchBannerIdle);
  EXPECT_EQ(app_->batch_mode, 1);
  for (int i = 0; i < kSlotCount; ++i) EXPECT_TRUE(Slot(i).Empty());
}

// One progress report before each file; stopped before the second, the rest count as not processed.
TEST_F(ShellTest, BatchDropReportsEachFileAndStopsWhenAsked) {
  Configure(*app_, Path("out"));
  std::filesystem::create_directories(Path("out"));
  SetGammaStep(*app_, 1);
  SetBatchMode(*app_, 1);
  for (const char* f : {"a.ppm", "b.ppm", "c.ppm"}) WritePixelPpm(Path(f), 1000, 2000, 3000);
  ui_.progress_answers = {true, false};
  const BatchDropResult r = RunBatchDrop(*app_, ui_, {Path("a.ppm"), Path("b.ppm"), Path("c.ppm")});
  EXPECT_EQ(r.written, Strings{Path("out/a.PPM")});
  EXPECT_EQ(r.failures, (Strings{Path("b.ppm"), Path("c.ppm")}));
  EXPECT_FALSE(PathExists(Path("out/b.PPM")));
  EXPECT_EQ(ui_.progress, (std::vector<double>{0.0, 1.0 / 3}));
  EXPECT_EQ(ui_.progress_texts[1], Msg(kProgressBatchFile, 2, 3));
  EXPECT_EQ(ui_.progress_ends, 1);
}

TEST_F(ShellTest, BatchDropAsksAboutChangedImagesAndRefusesABadSequence) {
  Configure(*app_, dir_);
  SetBatchMode(*app_, 1);
  WritePixelPpm(Path("a.ppm"), 1, 2, 3);
  Slot(0) = MakeFlatImage(1, 1, 9);
  Slot(0).changed = 1;
  ui_.answers = {kAnswerCancel};
  BatchDropResult r = RunBatchDrop(*app_, ui_, {Path("a.ppm")});
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxSaveOrNot);
  EXPECT_FALSE(Slot(0).Empty());
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(r.failures.size(), 1u);
  Slot(0).changed = 0;
  app_->batch.code[6] = kStepOpenComposite;
  r = RunBatchDrop(*app_, ui_, {Path("a.ppm")});
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].text, Invalid(7, kStepOpenComposite));
  EXPECT_EQ(r.failures.size(), 1u);
  EXPECT_FALSE(Slot(0).Empty());  // refused before anything was closed
  EXPECT_FALSE(PathExists(Path("a.PPM")));
}

std::vector<CompositePass> g_passes;

bool KeepFirstSource(AppState& app, const CompositePass& pass) {
  g_passes.push_back(pass);
  return DuplicateImage(app.slots[pass.sources[0]], app.slots[pass.target]);
}

// Mode 2 with 9 dropped files uses the first 8 and names the result after
// the eighth; a file that cannot be read stops the composite.
TEST_F(ShellTest, BatchDropCompositeModeTakesEightFiles) {
  SetBatchCompositeHook(KeepFirstSource);
  g_passes.clear();
  Configure(*app_, dir_);
  app_->batch.code[0] = app_->batch.stored_code[0] = kStepOpenComposite;
  SetBatchMode(*app_, 2);
  std::vector<std::string> files;
  for (int i = 0; i < 9; ++i) {
    files.push_back(Path("f" + std::to_string(i) + ".ppm"));
    WritePixelPpm(files.back(), 100 * i, 1, 2);
  }
  BatchDropResult r = RunBatchDrop(*app_, ui_, files);
  EXPECT_EQ(r.taken, 8);
  ASSERT_EQ(r.written, (std::vector<std::string>{Path("f7.PPM")}));
  EXPECT_TRUE(r.failures.empty());
  ASSERT_EQ(g_passes.size(), 3u);
  EXPECT_EQ(g_passes[1].sources[0], 4);
  EXPECT_EQ(g_passes[2].target, 10);
  EXPECT_EQ(ReadPpmSamples(Path("f7.PPM")), (std::vector<int>{0, 1, 2}));  // slot 10 <- 8 <- 0: the first file
  EXPECT_TRUE(ui_.boxes.empty());

  g_passes.clear();
  r = RunBatchDrop(*app_, ui_, {files[0], Path("b.webp"), files[2]});
  SetBatchCompositeHook(nullptr);
  EXPECT_TRUE(g_passes.empty());
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(r.failures.size(), 3u);
  ASSERT_EQ(ui_.boxes.size(), 3u);
  EXPECT_EQ(ui_.boxes[0].text, Msg(kMsgUnsupported, Path("b.webp")));
  EXPECT_EQ(ui_.boxes[1].text, kMsgBatchCompositeInputs);
  for (int i = 0; i < kSlotCount; ++i) EXPECT_TRUE(Slot(i).Empty());
}

}  // namespace
}  // namespace tavo
