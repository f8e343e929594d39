// SPDX-License-Identifier: MIT
#include "cli/cli_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>

#include "io/pnm.h"
#include "shell/command_ids.h"
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
  std::string MakePpm(const std::string& name, uint16_t value, int w = 2, int h = 2) {
    WritePnm(Path(name), MakeFlatImage(w, h, value), false);
    return Path(name);
  }
  std::unique_ptr<AppState> app_ = std::make_unique<AppState>();
  CliPort port_;
  std::string dir_;
};

// A flat straight curve (every output 20) maps samples below 65280 to 20 * 256 =
// 0x1400.
TEST_F(CliTest, OpenSetCommandSave) {
  const std::string in = MakePpm("in.ppm", 16384);
  EXPECT_EQ(Run({"--open", in, "--set", "gamma", "0 0 20 128 20 255 20", "--command", "311", "--save",
                 Path("out.ppm")}),
            0);
  const std::string bytes = ReadBytes(Path("out.ppm"));
  ASSERT_EQ(bytes.size(), 13u + 24);
  EXPECT_EQ(bytes.substr(0, 13), "P6\n2 2\n65535\n");
  EXPECT_EQ(bytes[13], 0x14);
  EXPECT_EQ(bytes[14], 0x00);
  // A periphery level above 255 is held at 255 where it enters; the
  // background's OK rule then puts it below the centre.
  EXPECT_EQ(Run({"--set", "back2", "0 100 300 0 0 0 0", "--command", "306"}), 0);
  EXPECT_EQ(app_->settings.back2.levels[0], 255);
  EXPECT_EQ(app_->settings.back2.levels[1], 254);
}

TEST_F(CliTest, FormatsAndOverwrite) {
  const std::string in = MakePpm("in.ppm", 300);
  EXPECT_EQ(Run({"--open", in, "--save", Path("a.ppm"), "--format", "ppm-ascii"}), 0);
  EXPECT_EQ(ReadBytes(Path("a.ppm")).substr(0, 2), "P3");
  EXPECT_EQ(Run({"--save", Path("b"), "--format", "ppm"}), 0);
  EXPECT_TRUE(PathExists(Path("b.ppm")));  // in the typed name's case
  EXPECT_EQ(Run({"--save", Path("c.ppm"), "--format", "gif"}), 1);
  EXPECT_EQ(Run({"--quiet", "--save", Path("d"), "--format", "fits32"}), 0);
  EXPECT_EQ(ReadBytes(Path("d.fit")).substr(80, 30), "BITPIX  =                  -32");
  WriteBytes(Path("out.ppm"), "old");
  EXPECT_EQ(Run({"--save", Path("out.ppm")}), 0);
  EXPECT_EQ(ReadBytes(Path("out.ppm")), "old");
  EXPECT_EQ(Run({"--yes", "--save", Path("out.ppm")}), 0);
  EXPECT_EQ(ReadBytes(Path("out.ppm")).substr(0, 2), "P6");
  const std::pair<const char*, int> formats[] = {{"bmp", 1}, {"jpg", 2}, {"tif", 3}, {"ppm", 4}, {"ppm-ascii", 5},
                                                 {"png", 0}};
  for (const auto& [name, filter] : formats) EXPECT_EQ(FormatFilterIndex(name), filter) << name;
  const std::pair<const char*, int> names[] = {{"x.PPM", 4}, {"x.tiff", 3}, {"x", 1}};
  for (const auto& [name, filter] : names) EXPECT_EQ(FilterIndexFromName(name), filter) << name;
}

TEST_F(CliTest, ErrorsEndTheRunWithStatusOne) {
  const std::vector<std::vector<std::string>> runs = {
      {"--open", Path("missing.ppm")}, {"--open", Path("x.gif")}, {"--command", "9999"},
      {"--set", "nosuch", "1"},        {"--select", "5"},         {"--save", Path("o.ppm")},  // nothing open
      {"--bogus"},                     {"--settings", Path("none.tvp")}};
  for (const auto& args : runs) EXPECT_EQ(Run(args), 1) << args[0] << " " << args[1 % args.size()];
}

// Y counts from the top: in a 6 x 5 image y 0 is stored row 4.
TEST_F(CliTest, SelectPointAndClickTakeRowsFromTheTop) {
  MakePpm("a.ppm", 50 * 256, 6, 5);
  MakePpm("b.ppm", 2);
  EXPECT_EQ(Run({"--open", Path("a.ppm"), "--open", Path("b.ppm"), "--select", "0", "--point", "a", "1", "0",
                 "--point", "b", "2", "1"}),
            0);
  EXPECT_EQ(app_->slots.current, 0);
  const Image& img = app_->slots[0];
  EXPECT_EQ(std::vector<int>({img.point_a_x, img.point_a_y, img.point_b_x, img.point_b_y}),
            std::vector<int>({1, 4, 2, 3}));
  EXPECT_EQ(Run({"--point", "a", "6", "0"}), 1);  // outside
  EXPECT_EQ(Run({"--select", "1"}), 0);           // the last option on the line
  EXPECT_EQ(app_->slots.current, 1);
  EXPECT_EQ(Run({"--select", "0"}), 0);
  EXPECT_EQ(Run({"--click", "1", "1"}), 1);       // no capture armed
  EXPECT_EQ(Run({"--command", "3062", "--click", "6", "2"}), 1);  // just outside
  EXPECT_EQ(Run({"--click", "0", "5"}), 1);
  EXPECT_EQ(Run({"--click", "1", "2"}), 0);
  EXPECT_EQ(app_->settings.back2.levels[1], 50);
  EXPECT_EQ(app_->capture.mode, 0);
  EXPECT_EQ(app_->capture.corner_row, 2);  // 5 - 1 - 2
  // Choosing slots takes their marked points (slot 1 has none).
  EXPECT_EQ(Run({"--set", "composite-inputs", "0 1 -1 -1"}), 0);
  const int(&p)[4][4] = app_->settings.composite.points;
  EXPECT_EQ(std::vector<int>({p[0][0], p[0][1], p[0][2], p[0][3], p[1][2]}), std::vector<int>({1, 0, 2, 1, 0}));
  // Points of command 309, ended by the right button.
  EXPECT_EQ(Run({"--right-click"}), 1);
  EXPECT_EQ(Run({"--command", "309", "--click", "1", "1", "--click", "4", "3"}), 0);
  EXPECT_EQ(app_->capture.points.size(), 2u);
  EXPECT_EQ(Run({"--right-click"}), 0);
  EXPECT_EQ(app_->capture.mode, 0);
}

TEST_F(CliTest, SettingsRoundTripThroughFiles) {
  EXPECT_EQ(Run({"--set", "level", "64", "--save-settings", Path("s")}), 0);
  ASSERT_TRUE(PathExists(Path("s.tvp")));
  app_->settings.level.strength = 1;
  EXPECT_EQ(Run({"--settings", Path("s.tvp")}), 0);
  EXPECT_EQ(app_->settings.level.strength, 64);
}

TEST(CliProgram, HelpListsEveryKeywordAndExitStatus) {
  const std::string help = CliHelpText();
  for (const char* k : {"sharp:", "gamma:", "cut:", "raw:", "VER264:", "gamma-table:", "composite-inputs:", "composite-points:", "--click X Y", "--right-click"}) {
    EXPECT_NE(help.find(k), std::string::npos) << k;
  }
  const std::string cli = TAVO_CLI_PATH;
  EXPECT_EQ(WEXITSTATUS(std::system((cli + " --help > /dev/null").c_str())), 0);
  EXPECT_EQ(WEXITSTATUS(std::system((cli + " > /dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((cli + " run --open /nonexistent.ppm 2> /dev/null").c_str())), 1);
}

}  // namespace
}  // namespace tavo
