// SPDX-License-Identifier: MIT
#include "shell/batch_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "batch/batch_sequence.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

// Gamma step on every channel through a flat curve (all three outputs
// `out`), which maps every sample up to 255 * 256 to out * 256.
void SetFlatGamma(BatchSequence& seq, int step, int out) {
  seq.code[step] = seq.stored_code[step] = kStepGamma;
  const int words[8] = {0, 0, 0, out, 128, out, 255, out};  // straight, all colours
  std::copy(words, words + 8, seq.detail[step]);
}

std::unique_ptr<AppState> ConfiguredApp(const std::string& folder) {
  auto app = NewApp();
  BatchSequence& seq = app->batch;
  seq.extension[7] = ".PPM";
  seq.folder[7] = folder;
  seq.detail[7][0] = 4;  // binary PPM
  seq.save_configured = 1;
  return app;
}

// A 2 x 1 image: R G B of the left pixel, then of the right one.
void Put2x1(AppState& app, int slot, const std::vector<int>& s) {
  Image& image = app.slots[slot];
  ASSERT_TRUE(AllocateImagePlanes(image, 2, 1, true));
  for (int x = 0; x < 2; ++x) {
    image.r[x] = static_cast<uint16_t>(s[x * 3]);
    image.g[x] = static_cast<uint16_t>(s[x * 3 + 1]);
    image.b[x] = static_cast<uint16_t>(s[x * 3 + 2]);
  }
}

// "sources:weights>target" per pass, then "=result/next free".
std::string PlanText(const CompositePlan& p) {
  std::string text;
  for (int k = 0; k < p.pass_count; ++k) {
    const CompositePass& pass = p.passes[k];
    for (int i = 0; i < pass.count; ++i) text += (i ? "," : "") + std::to_string(pass.sources[i]);
    for (int i = 0; i < pass.count; ++i) text += (i ? "," : ":") + std::to_string(pass.weights[i]);
    text += ">" + std::to_string(pass.target) + " ";
  }
  return text + "=" + std::to_string(p.result) + "/" + std::to_string(p.next_free);
}

// Five or six files go in groups of 3, seven or eight in groups of 4; a
// file in both groups counts half in each (5 files: file 2 has 60 / 2 in
// the first, 100 / 2 in the second; 7 files: file 3 has 40 / 2 and 100 / 2).
TEST(PlanBatchComposite, GroupsAndWeights) {
  const int weights[4] = {100, 80, 60, 40};
  const std::pair<int, const char*> plans[] = {
      {1, "=0/1"},
      {2, "0,1:100,80>2 =2/3"},
      {4, "0,1,2,3:100,80,60,40>4 =4/5"},
      {5, "0,1,2:100,80,30>5 2,3,4:50,80,60>6 5,6:100,80>7 =7/8"},
      {6, "0,1,2:100,80,60>6 3,4,5:100,80,60>7 6,7:100,80>8 =8/9"},
      {7, "0,1,2,3:100,80,60,20>7 3,4,5,6:50,80,60,40>8 7,8:100,80>9 =9/10"},
      {8, "0,1,2,3:100,80,60,40>8 4,5,6,7:100,80,60,40>9 8,9:100,80>10 =10/11"},
      {9, "0,1,2,3:100,80,60,40>8 4,5,6,7:100,80,60,40>9 8,9:100,80>10 =10/11"},
  };
  for (const auto& [files, text] : plans) EXPECT_EQ(PlanText(PlanBatchComposite(files, weights)), text) << files;
  const int odd[4] = {99, 81, 61, 41};  // halves truncate: 61 / 2 = 30, 99 / 2 = 49
  EXPECT_EQ(PlanText(PlanBatchComposite(5, odd)), "0,1,2:99,81,30>5 2,3,4:49,81,61>6 5,6:99,81>7 =7/8");
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
  void SetUp() override {
    g_log = CompositeLog{};
    dir_ = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    app_ = ConfiguredApp(dir_);
  }
  void TearDown() override { SetBatchCompositeHook(nullptr); }
  const ShownBox& LastBox() const { return ui_.boxes.back(); }
  std::string dir_;
  std::unique_ptr<AppState> app_;
  FakeUi ui_;
};

TEST_F(BatchRunTest, BuiltStepsDialogsAndSequenceProblems) {
  for (int code : {0, 1, 2, 3, 5, 12}) EXPECT_TRUE(BatchStepBuilt(code)) << code;
  for (int code : {-1, 16}) EXPECT_FALSE(BatchStepBuilt(code)) << code;  // 16: past the last code
  EXPECT_EQ(BatchStepDialog(kStepOpenComposite), kCmdCompositeAuto);
  EXPECT_EQ(BatchStepDialog(kStepGamma), kCmdGamma);
  EXPECT_EQ(BatchStepDialog(kStepOpenOne), 0);

  BatchSequence& seq = app_->batch;
  EXPECT_EQ(BatchSequenceProblem(seq), "");
  seq.save_configured = 0;
  EXPECT_EQ(BatchSequenceProblem(seq), kMsgBatchNotConfigured);
  seq.save_configured = 1;
  seq.folder[7].clear();
  EXPECT_EQ(BatchSequenceProblem(seq), kMsgBatchNotConfigured);
  seq.folder[7] = "/tmp";
  seq.code[3] = kStepSave;  // row 4 does not offer the save step
  EXPECT_EQ(BatchSequenceProblem(seq), Msg(kMsgBatchStepInvalid, 4, 3));
  seq.code[3] = 0;
  seq.code[0] = kStepOpenComposite;
  seq.extension[7] = ".BMP";
  EXPECT_EQ(BatchSequenceProblem(seq), "");
  seq.extension[7] = ".CR2";
  EXPECT_EQ(BatchSequenceProblem(seq), Msg(kMsgNoWriter, std::string(".CR2")));
}

TEST_F(BatchRunTest, GammaStepRunsTheBlockAndRestoresEverything) {
  SetFlatGamma(app_->batch, 1, 20);
  // Interactive gamma differs from the step's block and must stay so.
  app_->settings.gamma.rows[0][1] = 10;
  app_->save_filter_index = 2;
  Put2x1(*app_, 0, {1000, 20000, 40000, 16384, 32768, 60000});
  std::string written;
  ASSERT_EQ(RunBatch(*app_, ui_, 1, "/some/where/night sky.ppm", &written), kBatchRunDone);
  EXPECT_EQ(written, dir_ + "/night sky.PPM");
  int w = 0, h = 0;
  EXPECT_EQ(ReadPpmSamples(written, &w, &h), std::vector<int>(6, 5120));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(app_->settings.gamma.rows[0][1], 10);
  EXPECT_EQ(app_->save_filter_index, 2);
  for (int i = 0; i < kSlotCount; ++i) EXPECT_TRUE(app_->slots[i].Empty()) << i;
}

// Per channel on a black-and-white image: R is first copied to G and B,
// each goes through its own row, and the image is colour afterwards, so
// the save must not copy R back over them.
TEST_F(BatchRunTest, PerChannelGammaOnBlackAndWhite) {
  BatchSequence& seq = app_->batch;
  SetFlatGamma(seq, 2, 0);
  seq.detail[2][1] = 1;  // per channel
  for (int c = 0; c < 3; ++c) {
    const int row[6] = {0, (c + 1) * 10, 128, (c + 1) * 10, 255, (c + 1) * 10};
    std::copy(row, row + 6, seq.detail[2] + 8 + c * 6);
  }
  Put2x1(*app_, 0, {20000, 5, 5, 1000, 7, 7});
  app_->slots[0].monochrome = 1;
  std::string written;
  ASSERT_EQ(RunBatch(*app_, ui_, 1, "/in/mono.ppm", &written), kBatchRunDone);
  EXPECT_EQ(ReadPpmSamples(written), (std::vector<int>{2560, 5120, 7680, 2560, 5120, 7680}));
}

TEST_F(BatchRunTest, RefusalsFailuresAndTheOverwriteQuestion) {
  app_->batch.code[4] = kStepOpenComposite;
  Put2x1(*app_, 0, {1, 2, 3, 4, 5, 6});
  std::string written = "unchanged";
  EXPECT_EQ(RunBatch(*app_, ui_, 1, "/in/a.ppm", &written), kBatchRunRefused);
  EXPECT_EQ(written, "unchanged");
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_EQ(LastBox().text, Msg(kMsgBatchStepInvalid, 5, kStepOpenComposite));
  EXPECT_TRUE(app_->slots[0].Empty());
  app_->batch.code[4] = 0;
  EXPECT_EQ(RunBatch(*app_, ui_, 1, "/in/a.ppm", nullptr), kBatchRunStepFailed);  // no image
  EXPECT_EQ(LastBox().text, Msg(kMsgBatchStepFailed, 1, std::string(BatchStepText(kStepOpenOne))));
  EXPECT_FALSE(PathExists(dir_ + "/a.PPM"));

  WriteBytes(dir_ + "/a.PPM", "old");
  Put2x1(*app_, 0, {1, 2, 3, 4, 5, 6});
  ui_.answers = {kAnswerCancel, kAnswerOk};
  EXPECT_EQ(RunBatch(*app_, ui_, 1, "/in/a.ppm", nullptr), kBatchRunNotSaved);
  EXPECT_EQ(LastBox().kind, kBoxCaution);
  EXPECT_EQ(LastBox().text, Msg(kMsgOverwrite, dir_ + "/a.PPM"));
  EXPECT_EQ(ReadBytes(dir_ + "/a.PPM"), "old");
  Put2x1(*app_, 0, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(RunBatch(*app_, ui_, 1, "/in/a.ppm", nullptr), kBatchRunDone);
  EXPECT_EQ(ReadPpmSamples(dir_ + "/a.PPM"), (std::vector<int>{1, 2, 3, 4, 5, 6}));

  app_->batch.folder[7] = dir_ + "/missing";  // reported, nothing written
  Put2x1(*app_, 0, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(RunBatch(*app_, ui_, 1, "/in/a.ppm", nullptr), kBatchRunNotSaved);
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_EQ(LastBox().text, Msg(kMsgSaveFailed, dir_ + "/missing/a.PPM"));
  EXPECT_TRUE(app_->slots[0].Empty());
}

// Five images in slots 0..4; the step's block holds the weights, the
// combine mode comes from the interactive settings.
TEST_F(BatchRunTest, CompositeStepRunsThePlanWithTheBlockWeights) {
  SetBatchCompositeHook(FakeComposite);
  BatchSequence& seq = app_->batch;
  seq.code[0] = seq.stored_code[0] = kStepOpenComposite;
  const int weights[4] = {100, 80, 60, 40};
  std::copy(weights, weights + 4, seq.detail[0] + 7);
  app_->settings.composite.mode = 3;
  for (int& w : app_->settings.composite.weights) w = 10;
  for (int slot = 0; slot < 5; ++slot) Put2x1(*app_, slot, {slot, slot, slot, slot, slot, slot});
  std::string written;
  ASSERT_EQ(RunBatch(*app_, ui_, 5, "/in/last.ppm", &written), kBatchRunDone);
  ASSERT_EQ(g_log.passes.size(), 3u);
  EXPECT_EQ(g_log.passes[0].weights[2], 30);
  EXPECT_EQ(g_log.passes[1].weights[0], 50);
  EXPECT_EQ(g_log.passes[2].target, 7);
  EXPECT_EQ(g_log.modes, (std::vector<int>{3, 3, 3}));
  // The final composite into slot 7 of two images: 7 * 100 + 2.
  EXPECT_EQ(ReadPpmSamples(written), std::vector<int>(6, 702));
  EXPECT_EQ(written, dir_ + "/last.PPM");
  EXPECT_EQ(app_->settings.composite.weights[0], 10);
  EXPECT_EQ(app_->settings.composite.mode, 3);

  // A missing input: no composite at all.
  g_log = CompositeLog{};
  Put2x1(*app_, 0, {1, 1, 1, 1, 1, 1});
  Put2x1(*app_, 2, {1, 1, 1, 1, 1, 1});  // slot 1 left empty
  EXPECT_EQ(RunBatch(*app_, ui_, 3, "/in/c.ppm", nullptr), kBatchRunStepFailed);
  EXPECT_TRUE(g_log.passes.empty());
  EXPECT_EQ(LastBox().text, Msg(kMsgBatchStepFailed, 1, std::string(BatchStepText(kStepOpenComposite))));
}

// Through the engine's own composite: a frame stacked with itself comes
// out as the frame, in file order (top row first, R G B per pixel).
TEST_F(BatchRunTest, CompositeStepUsesTheEngine) {
  BatchSequence& seq = app_->batch;
  seq.code[0] = seq.stored_code[0] = kStepOpenComposite;
  for (int i = 0; i < 4; ++i) seq.detail[0][7 + i] = 100;
  const Image frame = MakeNoiseImage(48, 40, 5);
  for (int slot = 0; slot < 2; ++slot) ASSERT_TRUE(DuplicateImage(frame, app_->slots[slot]));
  std::string written;
  ASSERT_EQ(RunBatch(*app_, ui_, 2, "/in/pair.ppm", &written), kBatchRunDone);
  int w = 0, h = 0;
  const std::vector<int> samples = ReadPpmSamples(written, &w, &h);
  ASSERT_EQ(w, 48);
  ASSERT_EQ(h, 40);
  EXPECT_EQ(samples[0], Sample(frame.r.get(), frame, 0, 39));
  EXPECT_EQ(samples[5], Sample(frame.b.get(), frame, 1, 39));
  EXPECT_EQ(samples.back(), Sample(frame.b.get(), frame, 47, 0));
}

}  // namespace
}  // namespace tavo

namespace tavo {
namespace {

// Step 5 with its own settings block (detection 32 in two passes of 16,
// averaging 16, multiplicative): a flat 1000 gives a flat background of
// 1000, so every sample becomes ((1000 x 62) / 1001) x 16 = 976.
TEST_F(BatchRunTest, BackgroundStepCorrectsWithItsBlock) {
  BatchSequence& seq = app_->batch;
  seq.code[3] = seq.stored_code[3] = kStepBackground;
  const int words[6] = {32, 16, 1, 30, 1, 1};
  std::copy(words, words + 6, seq.detail[3]);
  app_->slots[0] = MakeFlatImage(20, 20, 1000);
  std::string written;
  ASSERT_EQ(RunBatch(*app_, ui_, 1, "/in/sky.ppm", &written), kBatchRunDone);
  EXPECT_EQ(ReadPpmSamples(written), std::vector<int>(1200, 976));
  EXPECT_EQ(app_->settings.back3.correction, 0);  // the interactive settings stay
}

}  // namespace
}  // namespace tavo
