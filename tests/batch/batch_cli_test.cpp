// SPDX-License-Identifier: MIT
// `tavo-cli batch` end to end on small generated files. Each test runs in
// its own folder, which is also where tavo.tvp is looked for.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "shell/batch_run.h"
#include "cli/cli_run.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

// A batch file written by hand: step codes, the words given per step (the
// rest 0), and the save step's extension and folder.
std::string JobText(const int (&codes)[8], const std::map<int, std::vector<int>>& words,
                    const std::string& extension, const std::string& folder) {
  std::string text;
  for (int step = 0; step < 8; ++step) {
    text += std::to_string(codes[step]) + "\n";
    std::vector<int> w(32, 0);
    auto it = words.find(step);
    if (it != words.end()) std::copy(it->second.begin(), it->second.end(), w.begin());
    for (int v : w) text += std::to_string(v) + "\n";
    text += step == 7 ? "\"" + extension + "\"\n\"" + folder + "\"\n" : "\"\"\n\"\"\n";
  }
  return text;
}

// Gamma, straight, all colours, flat at 20: every sample below 65280 becomes 5120.
const std::vector<int> kGammaWords = {0, 0, 0, 20, 128, 20, 255, 20};

struct CliResult {
  int status;
  std::string out, err;
};

class CliBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = std::filesystem::current_path();
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = TempDir("cli_batch_" + name);
    std::filesystem::current_path(dir_);
    std::filesystem::create_directories(dir_ + "/out");
  }
  void TearDown() override {
    std::filesystem::current_path(old_dir_);
    SetBatchCompositeHook(nullptr);
  }
  CliResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), "batch");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = CliMain(args);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    return {status, out, err};
  }
  std::filesystem::path old_dir_;
  std::string dir_;
};

// Bad files are reported and the others processed.
TEST_F(CliBatchTest, GammaJobOnSeveralFiles) {
  WriteBytes("job.tvb", JobText({1, 12, 0, 0, 0, 0, 0, 3}, {{1, kGammaWords}, {7, {4}}}, ".PPM", dir_ + "/out"));
  WritePixelPpm("a.ppm", 1000, 20000, 40000);
  WriteBytes("broken.ppm", "not an image");
  WritePixelPpm("in c.ppm", 16384, 32768, 0);
  const CliResult r = Run({"job.tvb", "a.ppm", "broken.ppm", "photo.webp", "in c.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, dir_ + "/out/a.PPM\n" + dir_ + "/out/in c.PPM\n");
  EXPECT_NE(r.err.find(Msg(kMsgUnsupported, std::string("photo.webp"))), std::string::npos);
  EXPECT_NE(r.err.find(Msg(kMsgBatchFailures, 2, std::string("broken.ppm\nphoto.webp\n"))), std::string::npos);
  EXPECT_EQ(ReadPpmSamples("out/a.PPM"), std::vector<int>(3, 5120));
  EXPECT_EQ(ReadPpmSamples("out/in c.PPM"), std::vector<int>(3, 5120));
  EXPECT_FALSE(PathExists("out/broken.PPM"));
}

// Level correction per channel, then saturation/hue: a quarter (16320) goes
// to 32640 in R (gamma 2), stays in G and to 0.25 * 127 * 256 = 8128 in B;
// hue held 300 is +120, which rotates R <- B, G <- R, B <- G.
TEST_F(CliBatchTest, LevelAndSaturationHueSteps) {
  const std::vector<int> level = {1, 0, 255, 0, 0, 100, 0, 255,  0, 255, 0, 0, 200, 0, 255,
                                  0, 255, 0, 0, 100, 0, 255,     0, 255, 0, 0, 100, 0, 127};
  WriteBytes("job.tvb", JobText({1, 13, 14, 0, 0, 0, 0, 3}, {{1, level}, {2, {100, 300}}, {7, {4}}}, ".PPM", "out"));
  WritePixelPpm("a.ppm", 16320, 16320, 16320);
  const CliResult r = Run({"job.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadPpmSamples("out/a.PPM"), (std::vector<int>{8128, 32640, 16320}));
}

TEST_F(CliBatchTest, AsciiFilterAndBackslashFolder) {
  // Filter 5 writes text PPM; the folder was written with "\" separators.
  std::filesystem::create_directories("out/sub");
  WriteBytes("job.tvb", JobText({1, 0, 0, 12, 0, 0, 0, 3}, {{3, kGammaWords}, {7, {5}}}, ".PPM", "out\\sub\\"));
  WritePixelPpm("p.ppm", 2, 400, 16000);
  const CliResult r = Run({"job.tvb", "p.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/sub/p.PPM\n");
  EXPECT_EQ(ReadBytes("out/sub/p.PPM").rfind("P3\n1 1\n65535\n5120 5120 5120", 0), 0u);
}

TEST_F(CliBatchTest, UsageAndRefusals) {
  EXPECT_EQ(Run({}).status, 2);
  WriteBytes("job.tvb", JobText({1, 5, 0, 0, 0, 0, 0, 3}, {{7, {4}}}, ".PPM", "out"));
  EXPECT_EQ(Run({"job.tvb"}).status, 2);
  EXPECT_EQ(Run({"--settings"}).status, 1);
  WritePixelPpm("a.ppm", 1, 2, 3);
  CliResult r = Run({"none.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read batch file none.tvb"), std::string::npos);
  // Background data is not available in the batch yet: refused, nothing
  // written.
  r = Run({"job.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(Msg(kMsgBatchStepNotBuilt, 2, std::string(BatchStepText(kStepBackground)))), std::string::npos);
  EXPECT_FALSE(PathExists("out/a.PPM"));
  // A save folder of "" is not a configured save step.
  WriteBytes("nofolder.tvb", JobText({1, 0, 0, 0, 0, 0, 0, 3}, {{7, {4}}}, ".PPM", ""));
  r = Run({"nofolder.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(kMsgBatchNotConfigured), std::string::npos);
}

std::vector<int> g_modes;

bool RecordMode(AppState& app, const CompositePass& pass) {
  g_modes.push_back(app.settings.composite.mode);
  return DuplicateImage(app.slots[pass.sources[0]], app.slots[pass.target]);
}

// The combine mode is not in the step's block: it comes from tavo.tvp, and
// --settings loaded after it wins.
TEST_F(CliBatchTest, InteractiveSettingsFromTvpThenSettingsOption) {
  SetBatchCompositeHook(RecordMode);
  WriteBytes("job.tvb", JobText({2, 0, 0, 0, 0, 0, 0, 3}, {{0, {20, 1, 1, 1, 5, 0, 0, 100, 100}}, {7, {4}}},
                                ".PPM", "out"));
  WritePixelPpm("a.ppm", 1, 2, 3);
  WritePixelPpm("b.ppm", 4, 5, 6);
  WriteBytes("tavo.tvp", "composite\n2 20 1 1 5 1\n");
  WriteBytes("other.tvp", "COMPOSITE\n4 20 1 1 5 1\n");
  g_modes.clear();
  CliResult r = Run({"--yes", "job.tvb", "a.ppm", "b.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/b.PPM\n");
  EXPECT_EQ(g_modes, (std::vector<int>{2}));
  g_modes.clear();
  r = Run({"--settings", "other.tvp", "--yes", "job.tvb", "a.ppm", "b.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(g_modes, (std::vector<int>{4}));
}

TEST_F(CliBatchTest, CompositeModeUsesEightFilesAndSaysSo) {
  SetBatchCompositeHook(RecordMode);
  WriteBytes("job.tvb", JobText({2, 0, 0, 0, 0, 0, 0, 3}, {{7, {4}}}, ".PPM", "out"));
  std::vector<std::string> args = {"job.tvb"};
  for (int i = 0; i < 9; ++i) {
    args.push_back("f" + std::to_string(i) + ".ppm");
    WritePixelPpm(args.back(), i, i, i);
  }
  const CliResult r = Run(args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "out/f7.PPM\n");
  EXPECT_NE(r.err.find("at most 8 files; 1 not processed"), std::string::npos);
}

}  // namespace
}  // namespace tavo
