// SPDX-License-Identifier: MIT
#include "filters/sharp.h"

#include <gtest/gtest.h>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

struct PlaneCase {
  const char* what;
  int w, h, radius, range, smoothing, enhancement;
  std::vector<int> in, want;  // row 0 (bottom) first
};

// Worked by hand; rows listed bottom first.
const PlaneCase kPlaneCases[] = {
    // r = 1, T 100, S 30, E 15. Centre 500: neighbours sum 400 >> 3 = 50,
    // d 450 -> 500 + 350 * 15 / 10 = 1025. Corner (0, 0) 70: (80 + 40 + 500)
    // / 3 = 206, d -136 -> 70 + (-36 * 15) / 10 = 16. Corner (2, 0) 90: 640 /
    // 3 = 213, d -123 -> 90 + (-345 / 10 = -34, towards zero) = 56. Edge (1, 0)
    // 80: 760 / 5 = 152, |d| 72 < 100 -> (152 * 30 + 800) / 40 = 134. Corner
    // (2, 2) 30: 580 / 3 = 193, 30 - 94 -> clamped to 0.
    {"3x3 radius 1", 3, 3, 1, 100, 30, 15,
     {70, 80, 90, 40, 500, 60, 10, 20, 30},
     {16, 134, 56, 112, 1025, 123, 0, 8, 0}},
    // r = 2 uses |dx| + |dy| <= 3: the centre (2, 2) sees 2100 at (1, 0) but
    // not 4200 at the window corner (0, 0): 2100 / 21 = 100, d -100 < T ->
    // (100 * 10 * 2) / (10 * 2 + 10) = 66. At (0, 0) the clipped window holds
    // 8 samples (not (2, 2)): 6300 / 8 = 787, d 3413 -> 4200 + 2413 = 6613.
    // The other samples come from a plain restatement in Python.
    {"5x5 radius 2 octagon", 5, 5, 2, 1000, 10, 10,
     {4200, 2100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     {6613, 2628, 322, 126, 0, 381, 280, 233, 93, 0, 322, 233, 66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    // A one-pixel strip has 1 or 2 neighbours: row 1 mean 550 -> (5500 +
    // 4000) / 20 = 475; row 0 (4000 + 1000) / 20 = 250; row 2 700.
    {"1x3 strip", 1, 3, 1, 65535, 10, 10, {100, 400, 1000}, {250, 475, 700}},
    {"1x1 has no neighbours", 1, 1, 1, 0, 50, 50, {77}, {77}},
    {"T 0 and E 0 change nothing", 3, 1, 1, 0, 50, 0, {0, 900, 30}, {0, 900, 30}},
};

TEST(SharpSmoothPlane, HandWorkedCases) {
  for (const PlaneCase& c : kPlaneCases) {
    Image img = MakeImageFromRows(c.w, c.h, c.in);
    ApplySharpSmoothPlane(img.r.get(), c.w, c.h, c.radius, c.range, c.smoothing, c.enhancement);
    EXPECT_EQ(PlaneValues(img.r.get(), img), c.want) << c.what;
  }
}

TEST(SharpSmooth, ChannelsMonochromeAndClamps) {
  const Image noise = MakeNoiseImage(6, 5, 9);
  auto run = [](int channels, int mono, int radius, int enhancement) {
    Image img = MakeNoiseImage(6, 5, 9);
    img.monochrome = mono;
    EXPECT_EQ(ApplySharpSmooth(img, {radius, 2560, 10, enhancement, channels}),
              channels == 0 ? kOpNothingToDo : kOpMade);
    return img;
  };
  // R alone: G keeps its samples; no flag changes nothing; monochrome
  // follows any flag and filters R only.
  const Image r_only = run(kChannelFlagR, 0, 1, 10), mono = run(kChannelFlagB, 1, 1, 10);
  EXPECT_NE(PlaneValues(r_only.r.get(), r_only), PlaneValues(noise.r.get(), noise));
  EXPECT_EQ(PlaneValues(r_only.g.get(), r_only), PlaneValues(noise.g.get(), noise));
  EXPECT_TRUE(SamePlanes(run(0, 0, 1, 10), noise));
  EXPECT_EQ(PlaneValues(mono.r.get(), mono), PlaneValues(r_only.r.get(), r_only));
  EXPECT_EQ(PlaneValues(mono.g.get(), mono), PlaneValues(noise.g.get(), noise));
  // Radius 0 runs as 1, 25 as 10; enhancement 80 as 50.
  EXPECT_TRUE(SamePlanes(run(7, 0, 0, 10), run(7, 0, 1, 10)));
  EXPECT_TRUE(SamePlanes(run(7, 0, 25, 10), run(7, 0, 10, 10)));
  EXPECT_TRUE(SamePlanes(run(7, 0, 1, 80), run(7, 0, 1, 50)));
  EXPECT_FALSE(SamePlanes(run(7, 0, 1, 49), run(7, 0, 1, 50)));
}

}  // namespace
}  // namespace tavo
