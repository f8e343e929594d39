// SPDX-License-Identifier: MIT
#include "shell/batch_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// 16-bit binary PPM as the writer makes it: header, then R G B big-endian,
// top row first. Returns the samples in file order; empty on a bad header.
std::vector<int> ReadP6(const std::string& path, int* w, int* h) {
  const std::string bytes = ReadBytes(path);
  int max = 0, used = 0;
  if (std::sscanf(bytes.c_str(), "P6\n%d %d\n%d\n%n", w, h, &max, &used) != 3 || max != 65535) return {};
  std::vector<int> samples;
  for (size_t i = static_cast<size_t>(used); i + 1 < bytes.size(); i += 2) {
    samples.push_back(static_cast<unsigned char>(bytes[i]) * 256 + static_cast<unsigned char>(bytes[i + 1]));
  }
  return samples;
}

// Gamma step, straight curve through (64,32) (128,128) (192,224) on every
// channel (all-colours mode). Worked in 16-bit units: x0 16384, y0 8192,
// x1 32768, y1 32768, x2 49152, y2 57344; slopes 0.5, 1.5, 1.5 and
// (65535 - 57344) / (65535 - 49152) = 8191 / 16383. Below x0: v / 2; from
// x0 to x2: 1.5 v - 16384; above x2: 65535 - (65535 - v) * 8191 / 16383.
void SetGammaBlock(BatchSequence& seq, int step) {
  seq.code[step] = seq.stored_code[step] = kStepGamma;
  int* w = seq.detail[step];
  w[0] = 0;  // straight
  w[1] = 0;  // all colours
  const int row[6] = {64, 32, 128, 128, 192, 224};
  for (int i = 0; i < 6; ++i) w[2 + i] = row[i];
}

std::unique_ptr<AppState> ConfiguredApp(const std::string& folder) {
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  BatchSequence& seq = app->batch;
  seq.extension[7] = ".PPM";
  seq.folder[7] = folder;
  seq.detail[7][0] = 4;  // binary PPM
  seq.save_configured = 1;
  return app;
}

// Samples of a 2 x 1 image, R G B for the left pixel then the right one.
void Put2x1(AppState& app, int slot, const int (&s)[6]) {
  Image& image = app.slots[slot];
  ASSERT_TRUE(AllocateImagePlanes(image, 2, 1, true));
  for (int x = 0; x < 2; ++x) {
    image.r[x] = static_cast<uint16_t>(s[x * 3]);
    image.g[x] = static_cast<uint16_t>(s[x * 3 + 1]);
    image.b[x] = static_cast<uint16_t>(s[x * 3 + 2]);
  }
}

TEST(PlanBatchComposite, GroupsAndWeights) {
  const int weights[4] = {100, 80, 60, 40};
  CompositePlan p = PlanBatchComposite(1, weights);
  EXPECT_EQ(p.pass_count, 0);
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.next_free, 1);

  p = PlanBatchComposite(2, weights);
  ASSERT_EQ(p.pass_count, 1);
  EXPECT_EQ(p.passes[0].count, 2);
  EXPECT_EQ(p.passes[0].sources[1], 1);
  EXPECT_EQ(p.passes[0].weights[0], 100);
  EXPECT_EQ(p.passes[0].weights[1], 80);
  EXPECT_EQ(p.passes[0].target, 2);
  EXPECT_EQ(p.result, 2);
  EXPECT_EQ(p.next_free, 3);

  p = PlanBatchComposite(4, weights);
  ASSERT_EQ(p.pass_count, 1);
  EXPECT_EQ(p.passes[0].count, 4);
  EXPECT_EQ(p.passes[0].weights[3], 40);
  EXPECT_EQ(p.passes[0].target, 4);
  EXPECT_EQ(p.next_free, 5);
}

// 5 files, groups of 3: {0,1,2} into 5 and {2,3,4} into 6. File 2 is in
// both: weight 2 halved in the first (60/2) and weight 0 halved in the
// second (100/2). Then 5 and 6 with weights 100 and 80 into 7.
TEST(PlanBatchComposite, FiveFilesShareTheMiddleOne) {
  const int weights[4] = {100, 80, 60, 40};
  const CompositePlan p = PlanBatchComposite(5, weights);
  ASSERT_EQ(p.pass_count, 3);
  const CompositePass& a = p.passes[0];
  const CompositePass& b = p.passes[1];
  const CompositePass& c = p.passes[2];
  EXPECT_EQ(a.count, 3);
  EXPECT_EQ(a.sources[0], 0);
  EXPECT_EQ(a.sources[2], 2);
  EXPECT_EQ(a.weights[0], 100);
  EXPECT_EQ(a.weights[1], 80);
  EXPECT_EQ(a.weights[2], 30);
  EXPECT_EQ(a.target, 5);
  EXPECT_EQ(b.count, 3);
  EXPECT_EQ(b.sources[0], 2);
  EXPECT_EQ(b.sources[2], 4);
  EXPECT_EQ(b.weights[0], 50);
  EXPECT_EQ(b.weights[1], 80);
  EXPECT_EQ(b.weights[2], 60);
  EXPECT_EQ(b.target, 6);
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(c.sources[0], 5);
  EXPECT_EQ(c.sources[1], 6);
  EXPECT_EQ(c.weights[0], 100);
  EXPECT_EQ(c.weights[1], 80);
  EXPECT_EQ(c.target, 7);
  EXPECT_EQ(p.result, 7);
  EXPECT_EQ(p.next_free, 8);
  // Odd weights halve by truncation: 61 / 2 = 30, 99 / 2 = 49.
  const int odd[4] = {99, 81, 61, 41};
  const CompositePlan q = PlanBatchComposite(5, odd);
  EXPECT_EQ(q.passes[0].weights[2], 30);
  EXPECT_EQ(q.passes[1].weights[0], 49);
}

// 6 files: {0,1,2} into 6, {3,4,5} into 7, nothing shared, nothing halved.
TEST(PlanBatchComposite, SixFilesShareNothing) {
  const int weights[4] = {100, 80, 60, 40};
  const CompositePlan p = PlanBatchComposite(6, weights);
  ASSERT_EQ(p.pass_count, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(p.passes[0].sources[i], i);
    EXPECT_EQ(p.passes[1].sources[i], 3 + i);
    EXPECT_EQ(p.passes[0].weights[i], weights[i]);
    EXPECT_EQ(p.passes[1].weights[i], weights[i]);
  }
  EXPECT_EQ(p.passes[0].target, 6);
  EXPECT_EQ(p.passes[1].target, 7);
  EXPECT_EQ(p.passes[2].target, 8);
  EXPECT_EQ(p.next_free, 9);
}

// 7 files, groups of 4: {0..3} and {3..6}; file 3 counts half in each
// (weight 3: 40/2 = 20 in the first, weight 0: 100/2 = 50 in the second).
TEST(PlanBatchComposite, SevenAndEightFiles) {
  const int weights[4] = {100, 80, 60, 40};
  CompositePlan p = PlanBatchComposite(7, weights);
  ASSERT_EQ(p.pass_count, 3);
  EXPECT_EQ(p.passes[0].count, 4);
  EXPECT_EQ(p.passes[0].weights[2], 60);
  EXPECT_EQ(p.passes[0].weights[3], 20);
  EXPECT_EQ(p.passes[1].sources[0], 3);
  EXPECT_EQ(p.passes[1].sources[3], 6);
  EXPECT_EQ(p.passes[1].weights[0], 50);
  EXPECT_EQ(p.passes[1].weights[1], 80);
  EXPECT_EQ(p.passes[2].target, 9);
  EXPECT_EQ(p.next_free, 10);
  // 8 files: {0..3} into 8, {4..7} into 9, 8 and 9 into 10.
  p = PlanBatchComposite(8, weights);
  EXPECT_EQ(p.passes[0].weights[3], 40);
  EXPECT_EQ(p.passes[1].sources[0], 4);
  EXPECT_EQ(p.passes[1].weights[0], 100);
  EXPECT_EQ(p.passes[0].target, 8);
  EXPECT_EQ(p.passes[1].target, 9);
  EXPECT_EQ(p.passes[2].target, 10);
  EXPECT_EQ(p.result, 10);
  EXPECT_EQ(p.next_free, 11);
  // 9 files count as 8.
  const CompositePlan nine = PlanBatchComposite(9, weights);
  EXPECT_EQ(nine.passes[2].target, 10);
  EXPECT_EQ(nine.passes[1].sources[3], 7);
}

// Records the composites the runner asks for; the result of each is a flat
// image holding target * 100 + count so the saved file shows which one was
// kept.
struct CompositeLog {
  std::vector<CompositePass> passes;
  std::vector<int> modes;  // composite mode seen by each pass
};
CompositeLog g_log;

bool FakeComposite(AppState& app, const CompositePass& pass) {
  g_log.passes.push_back(pass);
  g_log.modes.push_back(app.settings.composite.mode);
  Image& out = app.slots[pass.target];
  const Image& first = app.slots[pass.sources[0]];
  if (!AllocateImagePlanes(out, first.width, first.height, true)) return false;
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < out.PixelCount(); ++i) out.Channel(c)[i] = static_cast<uint16_t>(pass.target * 100 + pass.count);
  }
  return true;
}

class BatchRunTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log = CompositeLog{}; }
  void TearDown() override { SetBatchCompositeHook(nullptr); }
};

TEST_F(BatchRunTest, StepsBuiltAndDialogs) {
  for (int code : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) EXPECT_TRUE(BatchStepBuilt(code)) << code;
  for (int code : {5, 16, -1}) EXPECT_FALSE(BatchStepBuilt(code)) << code;
  SetBatchCompositeHook(FakeComposite);
  EXPECT_TRUE(BatchStepBuilt(2));
  EXPECT_EQ(BatchStepDialog(2), 302);
  EXPECT_EQ(BatchStepDialog(12), 311);
  EXPECT_EQ(BatchStepDialog(13), 318);
  EXPECT_EQ(BatchStepDialog(14), 314);
  EXPECT_EQ(BatchStepDialog(1), 0);
}

TEST_F(BatchRunTest, SequenceProblems) {
  auto app = ConfiguredApp("/tmp");
  BatchSequence& seq = app->batch;
  EXPECT_EQ(BatchSequenceProblem(seq), "");
  seq.save_configured = 0;
  EXPECT_EQ(BatchSequenceProblem(seq), kMsgBatchNotConfigured);
  seq.save_configured = 1;
  seq.folder[7].clear();
  EXPECT_EQ(BatchSequenceProblem(seq), kMsgBatchNotConfigured);
  seq.folder[7] = "/tmp";
  seq.code[3] = kStepBackground;
  EXPECT_EQ(BatchSequenceProblem(seq), "4.バックグランド補正 : この処理はまだバッチ処理で実行できません！");
  seq.code[3] = kStepSave;  // row 4 does not offer the save step
  EXPECT_EQ(BatchSequenceProblem(seq), "4番目の手順にコード 3 は使えません！");
  seq.code[3] = 0;
  seq.code[0] = kStepOpenComposite;
  EXPECT_EQ(BatchSequenceProblem(seq), "");
  seq.extension[7] = ".BMP";
  EXPECT_EQ(BatchSequenceProblem(seq), "");
  seq.extension[7] = ".FTS";
  EXPECT_NE(BatchSequenceProblem(seq).find("この形式では保存できません"), std::string::npos);
}

TEST_F(BatchRunTest, GammaStepWritesHandWorkedSamples) {
  const std::string dir = TempDir("batch_run_gamma");
  auto app = ConfiguredApp(dir);
  SetGammaBlock(app->batch, 1);
  // Interactive gamma differs from the step's block and must stay so.
  app->settings.gamma.kind = 1;
  app->settings.gamma.rows[0][1] = 10;
  app->save_filter_index = 2;
  Put2x1(*app, 0, {1000, 20000, 40000, 16384, 32768, 60000});
  FakeUi ui;
  std::string written;
  ASSERT_EQ(RunBatch(*app, ui, 1, "/some/where/night sky.ppm", &written), kBatchRunDone);
  EXPECT_EQ(written, dir + "/night sky.PPM");
  int w = 0, h = 0;
  const std::vector<int> s = ReadP6(written, &w, &h);
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(s[0], 500);    // 1000 / 2
  EXPECT_EQ(s[1], 13616);  // 1.5 * 20000 - 16384
  EXPECT_EQ(s[2], 43616);  // 1.5 * 40000 - 16384
  EXPECT_EQ(s[3], 8192);   // 16384 is x0: second piece, 24576 - 16384
  EXPECT_EQ(s[4], 32768);  // 49152 - 16384
  EXPECT_EQ(s[5], 62767);  // 65535 - 5535 * 8191 / 16383 = 62767.67
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(app->settings.gamma.kind, 1);
  EXPECT_EQ(app->settings.gamma.rows[0][1], 10);
  EXPECT_EQ(app->save_filter_index, 2);
  for (int i = 0; i < kSlotCount; ++i) EXPECT_TRUE(app->slots[i].Empty()) << i;
  EXPECT_EQ(app->slots[0].undo_available, 0);
}

// Per-channel gamma: R through the curve above, G through the identity
// (64,64) (128,128) (192,192), B through (64,0) (128,0) (192,0), which is 0
// everywhere (flat pieces, and the last piece is the constant y2 = 0). On a
// black-and-white image R is first copied to G and B; the image is colour
// afterwards, so the save must not copy R back over them.
TEST_F(BatchRunTest, PerChannelGammaOnBlackAndWhite) {
  const std::string dir = TempDir("batch_run_gamma_rgb");
  auto app = ConfiguredApp(dir);
  BatchSequence& seq = app->batch;
  SetGammaBlock(seq, 2);
  seq.detail[2][1] = 1;  // per-channel
  const int rows[3][6] = {{64, 32, 128, 128, 192, 224}, {64, 64, 128, 128, 192, 192}, {64, 0, 128, 0, 192, 0}};
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 6; ++i) seq.detail[2][8 + c * 6 + i] = rows[c][i];
  }
  for (int i = 0; i < 6; ++i) seq.detail[2][2 + i] = 0;  // all-colours row unused
  Put2x1(*app, 0, {20000, 5, 5, 1000, 7, 7});
  app->slots[0].monochrome = 1;
  FakeUi ui;
  std::string written;
  ASSERT_EQ(RunBatch(*app, ui, 1, "/in/mono.ppm", &written), kBatchRunDone);
  int w = 0, h = 0;
  const std::vector<int> s = ReadP6(written, &w, &h);
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(s[0], 13616);
  EXPECT_EQ(s[1], 20000);
  EXPECT_EQ(s[2], 0);
  EXPECT_EQ(s[3], 500);
  EXPECT_EQ(s[4], 1000);
  EXPECT_EQ(s[5], 0);
}

TEST_F(BatchRunTest, UnbuiltStepIsRefusedBeforeAnythingRuns) {
  const std::string dir = TempDir("batch_run_refused");
  auto app = ConfiguredApp(dir);
  app->batch.code[4] = kStepBackground;
  Put2x1(*app, 0, {1, 2, 3, 4, 5, 6});
  FakeUi ui;
  std::string written = "unchanged";
  EXPECT_EQ(RunBatch(*app, ui, 1, "/in/a.ppm", &written), kBatchRunRefused);
  EXPECT_EQ(written, "unchanged");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, "5.バックグランド補正 : この処理はまだバッチ処理で実行できません！");
  EXPECT_FALSE(PathExists(dir + "/a.PPM"));
  EXPECT_TRUE(app->slots[0].Empty());
}

TEST_F(BatchRunTest, ExistingOutputAsksAndAFailedWriteIsReported) {
  const std::string dir = TempDir("batch_run_overwrite");
  auto app = ConfiguredApp(dir);
  WriteBytes(dir + "/a.PPM", "old");
  Put2x1(*app, 0, {1, 2, 3, 4, 5, 6});
  FakeUi ui;
  ui.answers = {kAnswerCancel};
  EXPECT_EQ(RunBatch(*app, ui, 1, "/in/a.ppm", nullptr), kBatchRunNotSaved);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxCaution);
  EXPECT_EQ(ui.boxes[0].text, "\"" + dir + "/a.PPM\" already exist.\n Do you overwrite file ?");
  EXPECT_EQ(ReadBytes(dir + "/a.PPM"), "old");

  Put2x1(*app, 0, {1, 2, 3, 4, 5, 6});
  ui.answers = {kAnswerOk};
  EXPECT_EQ(RunBatch(*app, ui, 1, "/in/a.ppm", nullptr), kBatchRunDone);
  int w = 0, h = 0;
  EXPECT_EQ(ReadP6(dir + "/a.PPM", &w, &h), (std::vector<int>{1, 2, 3, 4, 5, 6}));

  // A folder that does not exist: reported, nothing written.
  app->batch.folder[7] = dir + "/missing";
  Put2x1(*app, 0, {1, 2, 3, 4, 5, 6});
  ui.boxes.clear();
  EXPECT_EQ(RunBatch(*app, ui, 1, "/in/a.ppm", nullptr), kBatchRunNotSaved);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, dir + "/missing/a.PPM : ファイルを保存できませんでした！");
  EXPECT_TRUE(app->slots[0].Empty());
}

TEST_F(BatchRunTest, MissingImageStopsTheRun) {
  auto app = ConfiguredApp(TempDir("batch_run_empty"));
  FakeUi ui;
  EXPECT_EQ(RunBatch(*app, ui, 1, "/in/a.ppm", nullptr), kBatchRunStepFailed);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "1.ファイル開く(１枚) : 処理を実行できませんでした！");
}

// Five images in slots 0..4; the step's block holds the weights, the
// combine mode comes from the interactive settings.
TEST_F(BatchRunTest, CompositeStepRunsThePlanWithTheBlockWeights) {
  SetBatchCompositeHook(FakeComposite);
  const std::string dir = TempDir("batch_run_composite");
  auto app = ConfiguredApp(dir);
  BatchSequence& seq = app->batch;
  seq.code[0] = seq.stored_code[0] = kStepOpenComposite;
  const int weights[4] = {100, 80, 60, 40};
  for (int i = 0; i < 4; ++i) seq.detail[0][7 + i] = weights[i];
  app->settings.composite.mode = 3;
  for (int& w : app->settings.composite.weights) w = 10;
  for (int slot = 0; slot < 5; ++slot) Put2x1(*app, slot, {slot, slot, slot, slot, slot, slot});
  FakeUi ui;
  std::string written;
  ASSERT_EQ(RunBatch(*app, ui, 5, "/in/last.ppm", &written), kBatchRunDone);
  ASSERT_EQ(g_log.passes.size(), 3u);
  EXPECT_EQ(g_log.passes[0].weights[2], 30);
  EXPECT_EQ(g_log.passes[1].weights[0], 50);
  EXPECT_EQ(g_log.passes[2].target, 7);
  EXPECT_EQ(g_log.modes, (std::vector<int>{3, 3, 3}));
  int w = 0, h = 0;
  // The final composite into slot 7 of two images: 7 * 100 + 2.
  EXPECT_EQ(ReadP6(written, &w, &h), (std::vector<int>(6, 702)));
  EXPECT_EQ(written, dir + "/last.PPM");
  EXPECT_EQ(app->settings.composite.weights[0], 10);
  EXPECT_EQ(app->settings.composite.mode, 3);
}

TEST_F(BatchRunTest, CompositeNeverRunsWithAMissingInput) {
  SetBatchCompositeHook(FakeComposite);
  auto app = ConfiguredApp(TempDir("batch_run_composite_missing"));
  app->batch.code[0] = app->batch.stored_code[0] = kStepOpenComposite;
  Put2x1(*app, 0, {1, 1, 1, 1, 1, 1});
  Put2x1(*app, 2, {1, 1, 1, 1, 1, 1});  // slot 1 left empty
  FakeUi ui;
  EXPECT_EQ(RunBatch(*app, ui, 3, "/in/c.ppm", nullptr), kBatchRunStepFailed);
  EXPECT_TRUE(g_log.passes.empty());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "1.ファイル開く&画像合成 : 処理を実行できませんでした！");
}

}  // namespace
}  // namespace tavo

namespace tavo {
namespace {

// Through the engine's own composite: two identical frames align at no
// displacement and their average is the frame itself.
TEST_F(BatchRunTest, CompositeStepUsesTheEngine) {
  const std::string dir = TempDir("batch_run_real_composite");
  auto app = ConfiguredApp(dir);
  BatchSequence& seq = app->batch;
  seq.code[0] = seq.stored_code[0] = kStepOpenComposite;
  for (int i = 0; i < 4; ++i) seq.detail[0][7 + i] = 100;
  app->settings.composite.mode = 0;
  const Image frame = MakeNoiseImage(48, 40, 5);
  for (int slot = 0; slot < 2; ++slot) ASSERT_TRUE(DuplicateImage(frame, app->slots[slot]));
  FakeUi ui;
  std::string written;
  ASSERT_EQ(RunBatch(*app, ui, 2, "/in/pair.ppm", &written), kBatchRunDone);
  int w = 0, h = 0;
  const std::vector<int> samples = ReadP6(written, &w, &h);
  ASSERT_EQ(w, 48);
  ASSERT_EQ(h, 40);
  // File order: top row first, R G B per pixel.
  EXPECT_EQ(samples[0], Sample(frame.r.get(), frame, 0, 39));
  EXPECT_EQ(samples[5], Sample(frame.b.get(), frame, 1, 39));
  EXPECT_EQ(samples.back(), Sample(frame.b.get(), frame, 47, 0));
}

}  // namespace
}  // namespace tavo
