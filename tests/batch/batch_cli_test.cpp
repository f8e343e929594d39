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
#include "tests/test_images.h"

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

// Gamma, straight, all colours, through (64,32) (128,128) (192,224). Below
// 16384 a sample halves; from 16384 to 49152 it becomes 1.5 v - 16384.
const std::vector<int> kGammaWords = {0, 0, 64, 32, 128, 128, 192, 224};

void WritePixel(const std::string& path, int r, int g, int b) {
  std::string bytes = "P6\n1 1\n65535\n";
  for (int v : {r, g, b}) {
    bytes += static_cast<char>(v >> 8);
    bytes += static_cast<char>(v & 255);
  }
  WriteBytes(path, bytes);
}

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

TEST_F(CliBatchTest, GammaJobOnTwoFiles) {
  WriteBytes("job.tvb", JobText({1, 12, 0, 0, 0, 0, 0, 3}, {{1, kGammaWords}, {7, {4}}}, ".PPM", dir_ + "/out"));
  WritePixel("a.ppm", 1000, 20000, 40000);
  WritePixel("in b.ppm", 16384, 32768, 0);
  const CliResult r = Run({"job.tvb", "a.ppm", "in b.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir_ + "/out/a.PPM\n" + dir_ + "/out/in b.PPM\n");
  EXPECT_EQ(ReadPixel("out/a.PPM"), (std::vector<int>{500, 13616, 43616}));
  EXPECT_EQ(ReadPixel("out/in b.PPM"), (std::vector<int>{8192, 32768, 0}));
}

// Level correction per channel, then saturation/hue: a quarter (16320) goes
// to 32640 in R (gamma 2), stays in G and to 0.25 * 127 * 256 = 8128 in B;
// hue held 300 is +120, which rotates R <- B, G <- R, B <- G.
TEST_F(CliBatchTest, LevelAndSaturationHueSteps) {
  const std::vector<int> level = {1, 0, 255, 0, 0, 100, 0, 255,  0, 255, 0, 0, 200, 0, 255,
                                  0, 255, 0, 0, 100, 0, 255,     0, 255, 0, 0, 100, 0, 127};
  WriteBytes("job.tvb", JobText({1, 13, 14, 0, 0, 0, 0, 3}, {{1, level}, {2, {100, 300}}, {7, {4}}}, ".PPM", "out"));
  WritePixel("a.ppm", 16320, 16320, 16320);
  const CliResult r = Run({"job.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadPixel("out/a.PPM"), (std::vector<int>{8128, 32640, 16320}));
}

TEST_F(CliBatchTest, AsciiFilterAndBackslashFolder) {
  // Filter 5 writes text PPM; the folder was written with "\" separators.
  std::filesystem::create_directories("out/sub");
  WriteBytes("job.tvb", JobText({1, 0, 0, 12, 0, 0, 0, 3}, {{3, kGammaWords}, {7, {5}}}, ".PPM", "out\\sub\\"));
  WritePixel("p.ppm", 2, 400, 16000);
  const CliResult r = Run({"job.tvb", "p.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/sub/p.PPM\n");
  EXPECT_EQ(ReadBytes("out/sub/p.PPM").rfind("P3\n1 1\n65535\n1 200 8000", 0), 0u);
}

TEST_F(CliBatchTest, ExistingOutputNeedsYes) {
  WriteBytes("job.tvb", JobText({1, 12, 0, 0, 0, 0, 0, 3}, {{1, kGammaWords}, {7, {4}}}, ".PPM", "out"));
  WritePixel("a.ppm", 1000, 1000, 1000);
  WriteBytes("out/a.PPM", "old");
  CliResult r = Run({"job.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("already exist"), std::string::npos);
  EXPECT_EQ(ReadBytes("out/a.PPM"), "old");
  r = Run({"--yes", "job.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/a.PPM\n");
  EXPECT_EQ(ReadPixel("out/a.PPM"), (std::vector<int>{500, 500, 500}));
}

TEST_F(CliBatchTest, BadFilesAreReportedAndTheOthersProcessed) {
  WriteBytes("job.tvb", JobText({1, 12, 0, 0, 0, 0, 0, 3}, {{1, kGammaWords}, {7, {4}}}, ".PPM", "out"));
  WritePixel("a.ppm", 2, 4, 6);
  WriteBytes("broken.ppm", "not an image");
  WritePixel("c.ppm", 8, 10, 12);
  const CliResult r = Run({"job.tvb", "a.ppm", "broken.ppm", "photo.webp", "c.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "out/a.PPM\nout/c.PPM\n");
  EXPECT_NE(r.err.find("photo.webp : TAVO not support this format !"), std::string::npos);
  EXPECT_NE(r.err.find("2 個のファイルを処理できませんでした！\nbroken.ppm\nphoto.webp\n"), std::string::npos);
  EXPECT_EQ(ReadPixel("out/c.PPM"), (std::vector<int>{4, 5, 6}));
  EXPECT_FALSE(PathExists("out/broken.PPM"));
}

TEST_F(CliBatchTest, UsageAndRefusals) {
  EXPECT_EQ(Run({}).status, 2);
  WriteBytes("job.tvb", JobText({1, 5, 0, 0, 0, 0, 0, 3}, {{7, {4}}}, ".PPM", "out"));
  EXPECT_EQ(Run({"job.tvb"}).status, 2);
  EXPECT_EQ(Run({"--settings"}).status, 1);
  WritePixel("a.ppm", 1, 2, 3);
  CliResult r = Run({"none.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read batch file none.tvb"), std::string::npos);
  // Background data is not available in the batch yet: refused, nothing
  // written.
  r = Run({"job.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("2.バックグランド補正 : この処理はまだバッチ処理で実行できません！"), std::string::npos);
  EXPECT_FALSE(PathExists("out/a.PPM"));
  // A save folder of "" is not a configured save step.
  WriteBytes("nofolder.tvb", JobText({1, 0, 0, 0, 0, 0, 0, 3}, {{7, {4}}}, ".PPM", ""));
  r = Run({"nofolder.tvb", "a.ppm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("バッチ処理の設定が行われていません！"), std::string::npos);
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
  WritePixel("a.ppm", 1, 2, 3);
  WritePixel("b.ppm", 4, 5, 6);
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
    WritePixel(args.back(), i, i, i);
  }
  const CliResult r = Run(args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "out/f7.PPM\n");
  EXPECT_NE(r.err.find("at most 8 files; 1 not processed"), std::string::npos);
}

}  // namespace
}  // namespace tavo
