// SPDX-License-Identifier: MIT
// The "Batch Sequence" dialog model, the batch menu commands and files
// dropped in batch mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/batch_run.h"
#include "shell/batch_commands.h"
#include "shell/batch_dialog.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// FakeUi whose dialogs can change settings, as a real dialog would, and
// which notes the banner at every repaint.
class DialogUi : public FakeUi {
 public:
  explicit DialogUi(AppState& app) : app_(app) {}
  bool EditSettings(int dialog_id) override {
    const bool ok = FakeUi::EditSettings(dialog_id);
    if (on_dialog) on_dialog(dialog_id);
    return ok;
  }
  void Repaint() override {
    FakeUi::Repaint();
    banners.push_back(app_.batch_banner);
  }
  std::function<void(int)> on_dialog;
  std::vector<std::string> banners;

 private:
  AppState& app_;
};

std::unique_ptr<AppState> NewApp() {
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  return app;
}

void Configure(AppState& app, const std::string& folder) {
  app.batch.extension[7] = ".PPM";
  app.batch.folder[7] = folder;
  app.batch.detail[7][0] = 4;
  app.batch.save_configured = 1;
}

// A 1 x 1 16-bit binary PPM holding r, g, b.
void WritePixel(const std::string& path, int r, int g, int b) {
  std::string bytes = "P6\n1 1\n65535\n";
  for (int v : {r, g, b}) {
    bytes += static_cast<char>(v >> 8);
    bytes += static_cast<char>(v & 255);
  }
  WriteBytes(path, bytes);
}

// R G B of a 1 x 1 16-bit binary PPM, or {} when it is not one.
std::vector<int> ReadPixel(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  const std::string head = "P6\n1 1\n65535\n";
  if (bytes.size() != head.size() + 6 || bytes.compare(0, head.size(), head) != 0) return {};
  std::vector<int> v;
  for (size_t i = head.size(); i < bytes.size(); i += 2) {
    v.push_back(static_cast<unsigned char>(bytes[i]) * 256 + static_cast<unsigned char>(bytes[i + 1]));
  }
  return v;
}

void SetGammaStep(AppState& app, int step) {
  // Straight curve (64,32) (128,128) (192,224): below 16384 a sample halves.
  app.batch.code[step] = app.batch.stored_code[step] = kStepGamma;
  const int words[8] = {0, 0, 64, 32, 128, 128, 192, 224};
  for (int i = 0; i < 8; ++i) app.batch.detail[step][i] = words[i];
}

TEST(BatchDialog, RowListsAndOpening) {
  EXPECT_EQ(BatchRowCodes(0), (std::vector<int>{1, 2}));
  EXPECT_EQ(BatchRowCodes(7), (std::vector<int>{3}));
  EXPECT_EQ(BatchRowCodes(3), (std::vector<int>{0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
  EXPECT_TRUE(BatchRowCodes(8).empty());
  auto app = NewApp();
  BatchDialogModel m = OpenBatchDialog(*app);
  EXPECT_EQ(std::vector<int>(m.shown, m.shown + 8), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(m.timing, 0);
  // Codes a row does not offer (from a batch file) show as its first entry.
  app->batch.code[0] = 7;
  app->batch.code[1] = 2;
  app->batch.code[2] = 20;
  app->batch.code[3] = 12;
  app->batch.timing = 1;
  m = OpenBatchDialog(*app);
  EXPECT_EQ(std::vector<int>(m.shown, m.shown + 8), (std::vector<int>{1, 0, 0, 12, 0, 0, 0, 3}));
  EXPECT_EQ(m.timing, 1);
}

TEST(BatchDialog, ChoosingSetsEveryCodeFromItsRow) {
  auto app = NewApp();
  app->batch.code[2] = 3;  // shown as " "
  BatchDialogModel m = OpenBatchDialog(*app);
  BatchDialogChoose(*app, m, 1, kStepGamma);
  EXPECT_EQ(std::vector<int>(app->batch.code, app->batch.code + 8), (std::vector<int>{1, 12, 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(app->batch.stored_code[1], 0);  // only OK or the details store
  BatchDialogChoose(*app, m, 1, kStepSave);  // not in row 2's list
  EXPECT_EQ(app->batch.code[1], kStepGamma);
  BatchDialogChoose(*app, m, 0, kStepOpenComposite);
  EXPECT_EQ(app->batch.code[0], 2);
}

TEST(BatchDialog, DetailsByCode) {
  auto app = NewApp();
  DialogUi ui(*app);
  BatchDialogDetails(*app, ui, 1);  // code 0: nothing
  EXPECT_TRUE(ui.boxes.empty());
  BatchDialogDetails(*app, ui, 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, kMsgBatchOpenOneInfo);
  app->batch.code[2] = kStepBackground;
  BatchDialogDetails(*app, ui, 2);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, "3.バックグランド補正 : この処理はまだバッチ処理で実行できません！");
  EXPECT_TRUE(ui.dialogs.empty());
}

TEST(BatchDialog, CompositeDetailsExplainThenOpenTheCompositeDialog) {
  SetBatchCompositeHook([](AppState&, const CompositePass&) { return false; });
  auto app = NewApp();
  app->batch.code[0] = kStepOpenComposite;
  app->settings.composite.range = 20;
  DialogUi ui(*app);
  ui.on_dialog = [&](int) { app->settings.composite.range = 45; };
  BatchDialogDetails(*app, ui, 0);
  SetBatchCompositeHook(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kMsgBatchCompositeInfo);
  EXPECT_EQ(ui.dialogs, (std::vector<int>{302}));
  EXPECT_EQ(app->batch.detail[0][0], 45);
  EXPECT_EQ(app->settings.composite.range, 20);
}

// The gamma dialog opened from a step edits the step's copy: afterwards
// the interactive gamma settings are as before and the block holds the edit.
TEST(BatchDialog, DetailDialogLeavesInteractiveSettingsAlone) {
  auto app = NewApp();
  app->settings.gamma.rows[0][1] = 11;
  BatchDialogModel m = OpenBatchDialog(*app);
  BatchDialogChoose(*app, m, 2, kStepGamma);
  DialogUi ui(*app);
  int seen_out1 = -1;
  ui.on_dialog = [&](int) {
    seen_out1 = app->settings.gamma.rows[0][1];
    app->settings.gamma.rows[0][1] = 99;
    app->settings.gamma.kind = 0;
  };
  BatchDialogDetails(*app, ui, 2);
  EXPECT_EQ(ui.dialogs, (std::vector<int>{311}));
  EXPECT_EQ(seen_out1, 11);  // new code: the dialog starts from the interactive values
  EXPECT_EQ(app->settings.gamma.rows[0][1], 11);
  EXPECT_EQ(app->settings.gamma.kind, 1);
  EXPECT_EQ(app->batch.detail[2][3], 99);
  EXPECT_EQ(app->batch.detail[2][0], 0);
  // Opened again, the dialog shows the step's own values.
  ui.on_dialog = [&](int) { seen_out1 = app->settings.gamma.rows[0][1]; };
  BatchDialogDetails(*app, ui, 2);
  EXPECT_EQ(seen_out1, 99);
  // OK keeps the edit (the step's code is already stored).
  Configure(*app, "/tmp");
  ASSERT_TRUE(BatchDialogOk(*app, ui, m));
  EXPECT_EQ(app->batch.detail[2][3], 99);
  EXPECT_EQ(app->settings.gamma.rows[0][1], 11);
}

// A code changed in the list and confirmed with OK without opening the
// details takes the interactive settings of its new operation.
TEST(BatchDialog, ChangedCodeConfirmedTakesInteractiveSettings) {
  auto app = NewApp();
  Configure(*app, "/tmp");
  for (int w = 0; w < kBatchWords; ++w) app->batch.detail[4][w] = 500 + w;  // stale words of code 0
  app->settings.gamma.kind = 0;
  app->settings.gamma.table = 3;
  app->settings.gamma.rows[2][4] = 201;
  BatchDialogModel m = OpenBatchDialog(*app);
  BatchDialogChoose(*app, m, 4, kStepGamma);
  m.timing = 1;
  DialogUi ui(*app);
  ASSERT_TRUE(BatchDialogOk(*app, ui, m));
  EXPECT_EQ(app->batch.stored_code[4], kStepGamma);
  EXPECT_EQ(app->batch.detail[4][0], 0);    // kind
  EXPECT_EQ(app->batch.detail[4][1], 1);    // per-channel switch (table 3 edited)
  EXPECT_EQ(app->batch.detail[4][2], 0);    // all-colours in 1
  EXPECT_EQ(app->batch.detail[4][3], 0);    // all-colours out 1
  EXPECT_EQ(app->batch.detail[4][6], 255);  // all-colours in 3
  EXPECT_EQ(app->batch.detail[4][2 + 12 + 4], 201);  // G row, fifth value
  EXPECT_EQ(app->batch.detail[4][26], 526);  // beyond the layout: carried
  EXPECT_EQ(app->batch.timing, 1);
  EXPECT_EQ(app->settings.gamma.table, 3);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(BatchDialog, OkNeedsTheSaveFolder) {
  auto app = NewApp();
  BatchDialogModel m = OpenBatchDialog(*app);
  BatchDialogChoose(*app, m, 1, kStepGamma);
  m.timing = 1;
  DialogUi ui(*app);
  EXPECT_FALSE(BatchDialogOk(*app, ui, m));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "8.ファイル保存の詳細設定を押し、\n保存するフォルダーを設定下さい！");
  EXPECT_EQ(app->batch.stored_code[1], 0);
  EXPECT_EQ(app->batch.timing, 0);
}

TEST(BatchDialog, SaveRowAsksForFolderAndFormat) {
  auto app = NewApp();
  app->save_filter_index = 2;
  app->default_extension = ".JPG";
  DialogUi ui(*app);
  // A bare name has no folder: the note, then the dialog again.
  ui.files = {{true, "name", 3}, {true, "/data/out dir/x.ppm", 4}};
  BatchDialogDetails(*app, ui, 7);
  ASSERT_EQ(ui.file_requests.size(), 2u);
  EXPECT_EQ(ui.file_requests[0].title, "SAVE");
  EXPECT_EQ(ui.file_requests[0].filters, kSaveImageFilters);
  EXPECT_EQ(ui.file_requests[0].initial_name, "");
  EXPECT_EQ(ui.file_requests[0].filter_index, 1);
  EXPECT_EQ(ui.file_requests[0].mode, kFileDialogSave);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kMsgBatchSaveRetry);
  EXPECT_EQ(app->batch.folder[7], "/data/out dir");
  EXPECT_EQ(app->batch.extension[7], ".PPM");
  EXPECT_EQ(app->batch.detail[7][0], 4);
  EXPECT_EQ(app->batch.save_configured, 1);
  EXPECT_EQ(app->save_filter_index, 2);  // interactive dialog state untouched
  EXPECT_EQ(app->default_extension, ".JPG");

  // Configured: the confirmation; OK keeps the row.
  ui.boxes.clear();
  ui.answers = {kAnswerOk};
  BatchDialogDetails(*app, ui, 7);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(ui.boxes[0].text,
            "現在の設定は下記の通りです。これでよろしいですか？\n  フォルダー：/data/out dir\n  フォーマット：.PPM");
  EXPECT_EQ(ui.file_requests.size(), 2u);

  // Cancel on the confirmation asks again; the new choice replaces the row.
  ui.answers = {kAnswerCancel};
  ui.files = {{true, "/other/y.ppm", 5}};
  BatchDialogDetails(*app, ui, 7);
  EXPECT_EQ(app->batch.folder[7], "/other");
  EXPECT_EQ(app->batch.detail[7][0], 5);

  // Cancelling the save dialog leaves the row as it was.
  ui.answers = {kAnswerCancel};
  ui.files = {{false, "", 2}};
  BatchDialogDetails(*app, ui, 7);
  EXPECT_EQ(app->batch.folder[7], "/other");
  EXPECT_EQ(app->batch.extension[7], ".PPM");
  EXPECT_EQ(app->batch.detail[7][0], 5);
  EXPECT_EQ(app->save_filter_index, 2);
}

TEST(BatchDialog, SaveDialogCancelledFirstLeavesItUnconfigured) {
  auto app = NewApp();
  DialogUi ui(*app);
  BatchDialogDetails(*app, ui, 7);  // no scripted file: cancelled
  EXPECT_EQ(app->batch.save_configured, 0);
  EXPECT_EQ(app->batch.folder[7], "");
}

TEST(BatchCommands, StartStopAndBanner) {
  auto app = NewApp();
  DialogUi ui(*app);
  SetBatchMode(*app, 1);
  EXPECT_EQ(RunCommand(*app, ui, 802), kCommandRan);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, "バッチ処理の設定が行われていません！");
  EXPECT_EQ(app->batch_mode, 0);
  EXPECT_EQ(app->batch_banner, "");

  Configure(*app, "/tmp");
  app->slots[3] = MakeFlatImage(2, 2, 5);  // unchanged image: closed without a question
  RunCommand(*app, ui, 802);
  EXPECT_EQ(app->batch_mode, 1);
  EXPECT_EQ(app->batch_banner, "バッチモード：ファイルをドラッグアンドドロップして下さい！");
  EXPECT_TRUE(app->slots[3].Empty());
  RunCommand(*app, ui, 803);
  EXPECT_EQ(app->batch_mode, 0);
  EXPECT_EQ(app->batch_banner, "");

  // An operation not built yet is refused at the start.
  app->batch.code[5] = kStepBackground;
  ui.boxes.clear();
  RunCommand(*app, ui, 802);
  EXPECT_EQ(app->batch_mode, 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "6.バックグランド補正 : この処理はまだバッチ処理で実行できません！");
}

TEST(BatchCommands, SettingsCommandConfirmsAndKeepsModeInStep) {
  auto app = NewApp();
  Configure(*app, "/tmp");
  DialogUi ui(*app);
  app->settings.gamma.rows[0][5] = 250;
  BatchDialogModel m = OpenBatchDialog(*app);
  BatchDialogChoose(*app, m, 1, kStepGamma);
  // Batch mode off: stays off.
  RunCommand(*app, ui, 801);
  EXPECT_EQ(ui.dialogs, (std::vector<int>{801}));
  EXPECT_EQ(app->batch.stored_code[1], kStepGamma);
  EXPECT_EQ(app->batch.detail[1][7], 250);
  EXPECT_EQ(app->batch_mode, 0);
  // Batch mode on: takes the code of step 1.
  SetBatchMode(*app, 2);
  RunCommand(*app, ui, 801);
  EXPECT_EQ(app->batch_mode, 1);
  // Cancelled: nothing is normalised.
  app->batch.code[2] = kStepGamma;
  ui.dialog_results = {false};
  RunCommand(*app, ui, 801);
  EXPECT_EQ(app->batch.stored_code[2], 0);
}

TEST(BatchCommands, SaveAndOpenBatchFiles) {
  const std::string dir = TempDir("batch_commands_files");
  auto app = NewApp();
  DialogUi ui(*app);
  Configure(*app, dir);
  SetGammaStep(*app, 3);
  ui.files = {{true, dir + "/job", 0}};
  RunCommand(*app, ui, 809);
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].title, "SAVE");
  EXPECT_EQ(ui.file_requests[0].initial_name, "tavo");
  EXPECT_EQ(ui.file_requests[0].filters, "TAVOバッチファイル(*.tvb)|*.TVB|All|*.*||");
  ASSERT_TRUE(PathExists(dir + "/job.tvb"));
  ui.files = {{true, dir + "/SECOND.TVB", 0}};
  RunCommand(*app, ui, 809);
  EXPECT_TRUE(PathExists(dir + "/SECOND.TVB"));
  EXPECT_FALSE(PathExists(dir + "/SECOND.TVB.tvb"));
  ui.boxes.clear();
  RunCommand(*app, ui, 809);  // cancelled
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Error:設定を保存できませんでした！");

  auto other = NewApp();
  DialogUi ui2(*other);
  RunCommand(*other, ui2, 808);  // cancelled
  ASSERT_EQ(ui2.boxes.size(), 1u);
  EXPECT_EQ(ui2.boxes[0].text, "Error:設定を読み込めませんでした！");
  ui2.boxes.clear();
  ui2.files = {{true, dir + "/job.tvb", 0}};
  RunCommand(*other, ui2, 808);
  EXPECT_EQ(ui2.file_requests.back().title, "LOAD");
  ASSERT_EQ(ui2.boxes.size(), 1u);
  EXPECT_EQ(ui2.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui2.boxes[0].text, "ファイルを保存するフォルダーを確認下さい！");
  EXPECT_EQ(other->batch.save_configured, 1);
  EXPECT_EQ(other->batch.code[3], kStepGamma);
  EXPECT_EQ(other->batch.folder[7], dir);
  EXPECT_EQ(other->batch_mode, 1);
  EXPECT_EQ(other->batch_banner, kBatchBannerIdle);

  // A file that is not a batch file changes nothing.
  WriteBytes(dir + "/junk.tvb", "hello");
  ui2.boxes.clear();
  ui2.files = {{true, dir + "/junk.tvb", 0}};
  RunCommand(*other, ui2, 808);
  ASSERT_EQ(ui2.boxes.size(), 1u);
  EXPECT_EQ(ui2.boxes[0].kind, kBoxError);
  EXPECT_EQ(other->batch.code[3], kStepGamma);

  // A loaded sequence that cannot run leaves batch mode off.
  app->batch.code[1] = kStepBackground;
  ui.files = {{true, dir + "/unbuilt.tvb", 0}};
  RunCommand(*app, ui, 809);
  ui2.boxes.clear();
  ui2.files = {{true, dir + "/unbuilt.tvb", 0}};
  RunCommand(*other, ui2, 808);
  EXPECT_EQ(other->batch_mode, 0);
  ASSERT_EQ(ui2.boxes.size(), 2u);
  EXPECT_EQ(ui2.boxes[1].text, "2.バックグランド補正 : この処理はまだバッチ処理で実行できません！");
}

TEST(BatchCommands, ResetAllSettingsResetsTheSequenceNotTheImages) {
  auto app = NewApp();
  Configure(*app, "/tmp");
  SetGammaStep(*app, 2);
  app->batch.timing = 1;
  SetBatchMode(*app, 1);
  app->slots[0] = MakeFlatImage(1, 1, 9);
  DialogUi ui(*app);
  ui.answers = {kAnswerOk};
  RunCommand(*app, ui, 133);
  EXPECT_EQ(app->batch.code[2], 0);
  EXPECT_EQ(app->batch.save_configured, 0);
  EXPECT_EQ(app->batch.timing, 0);
  EXPECT_EQ(app->batch.folder[7], "");
  EXPECT_EQ(app->batch_mode, 0);
  EXPECT_FALSE(app->slots[0].Empty());
}

TEST(BatchDrop, CountsAndTimingText) {
  EXPECT_EQ(BatchFileCount(2, 9), 8);
  EXPECT_EQ(BatchFileCount(2, 8), 8);
  EXPECT_EQ(BatchFileCount(2, 2), 2);
  EXPECT_EQ(BatchFileCount(1, 9), 9);
  EXPECT_EQ(FormatBatchTiming(3, 1234), "ファイル数：3 枚\n処理時間　：12.34 秒");
  EXPECT_EQ(FormatBatchTiming(1, 5), "ファイル数：1 枚\n処理時間　：0.05 秒");
  EXPECT_EQ(FormatBatchTiming(0, 0), "ファイル数：0 枚\n処理時間　：0.00 秒");
}

// Mode 1: each file on its own; a bad file is reported by name and the run
// goes on; the final box lists what was not processed.
TEST(BatchDrop, OneByOneGoesOnAfterBadFiles) {
  const std::string dir = TempDir("batch_drop_mode1");
  auto app = NewApp();
  Configure(*app, dir + "/out");
  std::filesystem::create_directories(dir + "/out");
  SetGammaStep(*app, 1);
  app->batch.timing = 1;
  SetBatchMode(*app, 1);
  WritePixel(dir + "/a.ppm", 1000, 2000, 3000);
  WritePixel(dir + "/c.ppm", 4000, 6000, 8000);
  DialogUi ui(*app);
  DropFiles(*app, ui, {dir + "/a.ppm", dir + "/b.xyz", dir + "/missing.ppm", dir + "/c.ppm"});
  // Halved by the gamma step (every sample below 16384).
  EXPECT_EQ(ReadPixel(dir + "/out/a.PPM"), (std::vector<int>{500, 1000, 1500}));
  EXPECT_EQ(ReadPixel(dir + "/out/c.PPM"), (std::vector<int>{2000, 3000, 4000}));
  ASSERT_EQ(ui.boxes.size(), 4u);
  EXPECT_EQ(ui.boxes[0].text, dir + "/b.xyz : TAVO not support this format !");
  EXPECT_EQ(ui.boxes[1].text, dir + "/missing.ppm : ファイルを開けません！");
  EXPECT_EQ(ui.boxes[2].kind, kBoxError);
  EXPECT_EQ(ui.boxes[2].text, "2 個のファイルを処理できませんでした！\n" + dir + "/b.xyz\n" + dir + "/missing.ppm\n");
  EXPECT_EQ(ui.boxes[3].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[3].text.rfind("ファイル数：4 枚\n処理時間　：", 0), 0u);
  EXPECT_NE(std::find(ui.banners.begin(), ui.banners.end(), kBatchBannerRunning), ui.banners.end());
  EXPECT_EQ(app->batch_banner, kBatchBannerIdle);
  EXPECT_EQ(app->batch_mode, 1);
  for (int i = 0; i < kSlotCount; ++i) EXPECT_TRUE(app->slots[i].Empty());
}

TEST(BatchDrop, OpenChangedImageIsAskedAboutFirst) {
  const std::string dir = TempDir("batch_drop_changed");
  auto app = NewApp();
  Configure(*app, dir);
  SetBatchMode(*app, 1);
  WritePixel(dir + "/a.ppm", 1, 2, 3);
  app->slots[0] = MakeFlatImage(1, 1, 9);
  app->slots[0].changed = 1;
  DialogUi ui(*app);
  ui.answers = {kAnswerCancel};
  const BatchDropResult r = RunBatchDrop(*app, ui, {dir + "/a.ppm"});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxSaveOrNot);
  EXPECT_FALSE(app->slots[0].Empty());
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(r.failures.size(), 1u);
  EXPECT_FALSE(PathExists(dir + "/a.PPM"));
}

TEST(BatchDrop, RefusedSequenceDoesNothing) {
  const std::string dir = TempDir("batch_drop_refused");
  auto app = NewApp();
  Configure(*app, dir);
  app->batch.code[6] = kStepBackground;
  app->batch.timing = 1;
  app->batch_mode = 1;
  WritePixel(dir + "/a.ppm", 1, 2, 3);
  DialogUi ui(*app);
  const BatchDropResult r = RunBatchDrop(*app, ui, {dir + "/a.ppm"});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "7.バックグランド補正 : この処理はまだバッチ処理で実行できません！");
  EXPECT_EQ(r.failures.size(), 1u);
  EXPECT_TRUE(app->slots[0].Empty());
  EXPECT_FALSE(PathExists(dir + "/a.PPM"));
}

std::vector<CompositePass> g_passes;

bool KeepFirstSource(AppState& app, const CompositePass& pass) {
  g_passes.push_back(pass);
  return DuplicateImage(app.slots[pass.sources[0]], app.slots[pass.target]);
}

// Mode 2 with 9 dropped files uses the first 8 and names the result after
// the eighth.
TEST(BatchDrop, CompositeModeTakesEightFiles) {
  SetBatchCompositeHook(KeepFirstSource);
  g_passes.clear();
  const std::string dir = TempDir("batch_drop_mode2");
  auto app = NewApp();
  Configure(*app, dir);
  app->batch.code[0] = app->batch.stored_code[0] = kStepOpenComposite;
  SetBatchMode(*app, 2);
  std::vector<std::string> files;
  for (int i = 0; i < 9; ++i) {
    files.push_back(dir + "/f" + std::to_string(i) + ".ppm");
    WritePixel(files.back(), 100 * i, 1, 2);
  }
  DialogUi ui(*app);
  const BatchDropResult r = RunBatchDrop(*app, ui, files);
  SetBatchCompositeHook(nullptr);
  EXPECT_EQ(r.taken, 8);
  ASSERT_EQ(r.written, (std::vector<std::string>{dir + "/f7.PPM"}));
  EXPECT_TRUE(r.failures.empty());
  ASSERT_EQ(g_passes.size(), 3u);
  EXPECT_EQ(g_passes[1].sources[0], 4);
  EXPECT_EQ(g_passes[2].target, 10);
  // Slot 10 keeps slot 8, which keeps slot 0: the first file.
  EXPECT_EQ(ReadPixel(dir + "/f7.PPM"), (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(BatchDrop, CompositeModeWithABadFileDoesNotComposite) {
  SetBatchCompositeHook(KeepFirstSource);
  g_passes.clear();
  const std::string dir = TempDir("batch_drop_mode2_bad");
  auto app = NewApp();
  Configure(*app, dir);
  app->batch.code[0] = app->batch.stored_code[0] = kStepOpenComposite;
  SetBatchMode(*app, 2);
  WritePixel(dir + "/a.ppm", 1, 2, 3);
  WritePixel(dir + "/c.ppm", 1, 2, 3);
  DialogUi ui(*app);
  const BatchDropResult r = RunBatchDrop(*app, ui, {dir + "/a.ppm", dir + "/b.webp", dir + "/c.ppm"});
  SetBatchCompositeHook(nullptr);
  EXPECT_TRUE(g_passes.empty());
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(r.failures.size(), 3u);
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].text, dir + "/b.webp : TAVO not support this format !");
  EXPECT_EQ(ui.boxes[1].text, kMsgBatchCompositeInputs);
  EXPECT_FALSE(PathExists(dir + "/c.PPM"));
  for (int i = 0; i < kSlotCount; ++i) EXPECT_TRUE(app->slots[i].Empty());
}

}  // namespace
}  // namespace tavo
