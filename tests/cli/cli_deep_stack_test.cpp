// SPDX-License-Identifier: MIT
// `tavo-cli stack`: file lists, sizes, options, and one night end to end.
#include "cli/cli_stack.h"

#include <gtest/gtest.h>

#include "io/pnm.h"
#include "stack/deep/deep_stack.h"
#include "tests/stack/deep_sky.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(CliDeepStack, ListsRunToTheNextOptionAndReadListFiles) {
  const std::string dir = TempDir("cli_stack_list");
  WriteBytes(dir + "/list.txt", "c.fits\r\n\nd.fits  \n");
  const std::vector<std::string> args = {"--lights", "a.fits", "@" + dir + "/list.txt", "b.fits", "--out", "x.tif"};
  size_t i = 0;
  std::vector<std::string> files;
  std::string error;
  ASSERT_TRUE(TakeFileList(args, &i, &files, &error));
  EXPECT_EQ(files, (std::vector<std::string>{"a.fits", "c.fits", "d.fits", "b.fits"}));
  EXPECT_EQ(i, 3u);
  i = 0;
  EXPECT_FALSE(TakeFileList({"--dark", "@" + dir + "/none.txt"}, &i, &files, &error));
}

TEST(CliDeepStack, MemoryLimitsInMegabytes) {
  const struct {
    const char* text;
    bool ok;
    int megabytes;
  } cases[] = {{"4G", true, 4096}, {"3500M", true, 3500}, {"512K", true, 1},   {"1073741824", true, 1024},
               {"4X", false, 0},   {"-1G", false, 0},     {"", false, 0}};
  for (const auto& c : cases) {
    int mb = 0;
    EXPECT_EQ(ParseMemoryLimit(c.text, &mb), c.ok) << c.text;
    EXPECT_EQ(mb, c.megabytes) << c.text;
  }
}

TEST(CliDeepStack, OptionsFillTheSettings) {
  CliStackJob job;
  std::string error;
  ASSERT_TRUE(ParseStackArgs({"--lights", "a.fits", "b.fits", "--reference", "best", "--reject", "linear", "--kappa",
                              "2", "4.5", "--normalise", "--weights", "stars", "--out", "s.tif", "--low-map", "l.ppm"},
                             &job, &error))
      << error;
  EXPECT_EQ(job.settings.lights.size(), 2u);
  EXPECT_EQ(job.settings.reference, 0);
  EXPECT_EQ(job.settings.reject, kRejectLinear);
  EXPECT_EQ(job.settings.kappa_high, 4.5);
  EXPECT_EQ(job.settings.normalise, kNormaliseAddScale);
  EXPECT_EQ(job.settings.weights, kWeightStars);
  EXPECT_EQ(job.low_map, "l.ppm");
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--lights", "a", "--out", "s.xyz"}, {"--out", "s.tif"}, {"--lights", "a"},
        {"--lights", "a", "--out", "s.tif", "--reject", "mean"}, {"--lights", "a", "--out", "s.tif", "--reference", "0"}}) {
    CliStackJob other;
    EXPECT_FALSE(ParseStackArgs(bad, &other, &error)) << bad.back();
  }
}

TEST(CliDeepStack, NightEndToEnd) {
  const std::string dir = TempDir("cli_stack_night");
  const std::vector<SkyStar> sky = SkyStars(40, 200, 150, 3);
  std::vector<std::string> args = {"--quiet", "--lights"};
  for (int k = 0; k < 3; ++k) {
    const std::string path = dir + "/l" + std::to_string(k) + ".ppm";
    WritePnm(path, RenderSky(200, 150, sky, Turn(0, 1, 0, 0, k, -k), 1.4, 1000, 30, k), false);
    args.push_back(path);
  }
  args.push_back(dir + "/broken.ppm");
  WriteBytes(dir + "/broken.ppm", "P6\n");
  for (const char* a : {"--out", "out.tif", "--report", "r.csv", "--high-map", "high.ppm"}) {
    args.push_back(a[0] == '-' ? a : dir + "/" + a);
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunCliStack(args), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("broken.ppm"), std::string::npos);
  for (const char* name : {"out.tif", "r.csv", "high.ppm"}) EXPECT_TRUE(PathExists(dir + "/" + name)) << name;
  args[args.size() - 5] = dir + "/out.xyz";  // no writer for it
  EXPECT_EQ(RunCliStack(args), 2);
}

}  // namespace
}  // namespace tavo
