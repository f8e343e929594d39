// SPDX-License-Identifier: MIT
#include "cli/cli_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>

#include "io/pnm.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppState(*app_);
    dir_ = TempDir(std::string("cli_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  int Run(const std::vector<std::string>& args) { return RunCliSteps(*app_, port_, args); }
  std::string MakePpm(const std::string& name, uint16_t value) {
    WritePnm(Path(name), MakeFlatImage(2, 2, value), false);
    return Path(name);
  }
  std::unique_ptr<AppState> app_ = std::make_unique<AppState>();
  CliPort port_;
  std::string dir_;
};

// (0, 0) (128, 255) (255, 255) straight maps 16384 to 32639 (see the gamma
// tests); 32639 = 0x7f7f.
TEST_F(CliTest, OpenGammaSave) {
  const std::string in = MakePpm("in.ppm", 16384);
  EXPECT_EQ(Run({"--open", in, "--set", "gamma", "0 0 0 128 255 255 255", "--command", "311", "--save",
                 Path("out.ppm")}),
            0);
  const std::string bytes = ReadBytes(Path("out.ppm"));
  ASSERT_EQ(bytes.size(), 13u + 24);
  EXPECT_EQ(bytes.substr(0, 13), "P6\n2 2\n65535\n");
  EXPECT_EQ(static_cast<unsigned char>(bytes[13]), 0x7f);
  EXPECT_EQ(static_cast<unsigned char>(bytes[14]), 0x7f);
}

TEST_F(CliTest, FormatChoosesAsciiPpm) {
  const std::string in = MakePpm("in.ppm", 300);
  EXPECT_EQ(Run({"--open", in, "--save", Path("a.ppm"), "--format", "ppm-ascii"}), 0);
  EXPECT_EQ(ReadBytes(Path("a.ppm")).substr(0, 2), "P3");
  EXPECT_EQ(Run({"--save", Path("b"), "--format", "ppm"}), 0);
  EXPECT_TRUE(PathExists(Path("b.PPM")));
  EXPECT_EQ(Run({"--save", Path("c.ppm"), "--format", "gif"}), 1);
}

TEST_F(CliTest, OverwriteNeedsYes) {
  const std::string in = MakePpm("in.ppm", 300);
  WriteBytes(Path("out.ppm"), "old");
  EXPECT_EQ(Run({"--open", in, "--save", Path("out.ppm")}), 0);
  EXPECT_EQ(ReadBytes(Path("out.ppm")), "old");
  EXPECT_EQ(Run({"--yes", "--save", Path("out.ppm")}), 0);
  EXPECT_EQ(ReadBytes(Path("out.ppm")).substr(0, 2), "P6");
}

TEST_F(CliTest, ErrorsEndTheRunWithStatusOne) {
  EXPECT_EQ(Run({"--open", Path("missing.ppm")}), 1);
  EXPECT_EQ(Run({"--open", Path("x.gif")}), 1);
  EXPECT_EQ(Run({"--command", "9999"}), 1);
  EXPECT_EQ(Run({"--set", "nosuch", "1"}), 1);
  EXPECT_EQ(Run({"--select", "5"}), 1);
  EXPECT_EQ(Run({"--save", Path("o.ppm")}), 1);  // nothing open
  EXPECT_EQ(Run({"--bogus"}), 1);
  EXPECT_EQ(Run({"--settings", Path("none.tvp")}), 1);
}

TEST_F(CliTest, SelectAndPointUseRowsFromTheTop) {
  MakePpm("a.ppm", 1);
  MakePpm("b.ppm", 2);
  EXPECT_EQ(Run({"--open", Path("a.ppm"), "--open", Path("b.ppm"), "--select", "0", "--point", "a", "1", "0",
                 "--point", "b", "0", "1"}),
            0);
  EXPECT_EQ(app_->slots.current, 0);
  EXPECT_EQ(app_->slots[0].point_a_x, 1);
  EXPECT_EQ(app_->slots[0].point_a_y, 1);  // top row of a 2-row image
  EXPECT_EQ(app_->slots[0].point_b_y, 0);
  EXPECT_EQ(Run({"--point", "a", "2", "0"}), 1);  // outside
}

TEST_F(CliTest, SettingsRoundTripThroughFiles) {
  EXPECT_EQ(Run({"--set", "level", "64", "--save-settings", Path("s")}), 0);
  ASSERT_TRUE(PathExists(Path("s.tvp")));
  app_->settings.level.strength = 1;
  EXPECT_EQ(Run({"--settings", Path("s.tvp")}), 0);
  EXPECT_EQ(app_->settings.level.strength, 64);
}

TEST(CliFilters, FormatNamesAndNames) {
  EXPECT_EQ(FormatFilterIndex("bmp"), 1);
  EXPECT_EQ(FormatFilterIndex("jpg"), 2);
  EXPECT_EQ(FormatFilterIndex("tif"), 3);
  EXPECT_EQ(FormatFilterIndex("ppm"), 4);
  EXPECT_EQ(FormatFilterIndex("ppm-ascii"), 5);
  EXPECT_EQ(FormatFilterIndex("png"), 0);
  EXPECT_EQ(FilterIndexFromName("x.PPM"), 4);
  EXPECT_EQ(FilterIndexFromName("x.tiff"), 3);
  EXPECT_EQ(FilterIndexFromName("x"), 1);
}

TEST(CliProgram, HelpListsEveryKeywordAndExitStatus) {
  const std::string help = CliHelpText();
  for (const char* k : {"sharp:", "gamma:", "cut:", "raw:", "VER264:", "gamma-table:", "composite-inputs:"}) {
    EXPECT_NE(help.find(k), std::string::npos) << k;
  }
  const std::string cli = TAVO_CLI_PATH;
  EXPECT_EQ(WEXITSTATUS(std::system((cli + " --help > /dev/null").c_str())), 0);
  EXPECT_EQ(WEXITSTATUS(std::system((cli + " > /dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((cli + " run --open /nonexistent.ppm 2> /dev/null").c_str())), 1);
}

}  // namespace
}  // namespace tavo
