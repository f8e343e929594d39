// SPDX-License-Identifier: MIT
#include "filters/edge.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

// 3 x 3 planes, rows bottom first.
const std::vector<int> kRamp = {1000, 1000, 1000, 3200, 3200, 3200, 5000, 5000, 5000};
const std::vector<int> kStep = {1000, 1000, 1000, 5000, 5000, 5000, 5000, 5000, 5000};

struct EdgeCase {
  const char* what;
  const std::vector<int>* in;
  int threshold, x, y, want;
};

// Defaults T 2560, E 10, S 10; P as listed.
const EdgeCase kCases[] = {
    // Range 4000 > T; bright as 4000 * 50 + 1000 * 100 < 3200 * 100; three
    // brighter neighbours: (32000 + 5000 * 10) / 20.
    {"ramp centre, bright side", &kRamp, 50, 1, 1, 4100},
    // P 90: 4000 * 90 + 100000 >= 320000 is the dark side, sLo / nLo = 1000:
    // (32000 + 10000) / 20.
    {"ramp centre, dark side", &kRamp, 90, 1, 1, 2100},
    // Bottom-left corner: the clamped block holds six 1000s and three 3200s,
    // range 2200 <= T is flat: 15600 / 9 = 1733, (10000 + 17330) / 20.
    {"ramp corner, border repeats", &kRamp, 50, 0, 0, 1366},
    // No brighter neighbour: mixed mean 33000 / 9 = 3666,
    // (50000 + 36660) / 20.
    {"step, too few on the bright side", &kStep, 50, 1, 1, 4333},
};

TEST(EnhanceEdgesPlane, HandWorkedCases) {
  for (const EdgeCase& c : kCases) {
    Image img = MakeImageFromRows(3, 3, *c.in);
    EnhanceEdgesPlane(img.r.get(), 3, 3, 2560, 10, c.threshold, 10);
    EXPECT_EQ(Sample(img.r.get(), img, c.x, c.y), c.want) << c.what;
  }
}

TEST(EnhanceEdgesPlane, ZeroStrengthsAndFullRangeKeepThePlane) {
  for (const int range : {0, 65535}) {
    Image img = MakeNoiseImage(4, 3, 5);
    EnhanceEdgesPlane(img.r.get(), 4, 3, range, 0, 50, 0);
    EXPECT_TRUE(SamePlanes(img, MakeNoiseImage(4, 3, 5))) << range;
  }
}

// The three-plane form counts the two neighbours of equal L as bright:
// L range 12000 > 3T, bright side; five bright neighbours, each plane's
// mean (15000 + 6400) / 5 = 4280: (32000 + 42800) / 20 = 3740. With only R
// and G flagged each plane runs alone and gets the one-plane 4100; B stays.
TEST(ApplyEdge, AllThreeFlagsDecideOnTheSumOfThePlanes) {
  Image all = MakeImageFromRows(3, 3, kRamp);
  EXPECT_EQ(ApplyEdge(all, EdgeParams{}), kOpMade);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Sample(all.Channel(c), all, 1, 1), 3740);
  Image two = MakeImageFromRows(3, 3, kRamp);
  EdgeParams p;
  p.channels = kChannelFlagR | kChannelFlagG;
  EXPECT_EQ(ApplyEdge(two, p), kOpMade);
  EXPECT_EQ(Sample(two.r.get(), two, 1, 1), 4100);
  EXPECT_EQ(Sample(two.g.get(), two, 1, 1), 4100);
  EXPECT_EQ(Sample(two.b.get(), two, 1, 1), 3200);
  // Monochrome: R alone, one-plane form, under any flag.
  Image mono = MakeImageFromRows(3, 3, kRamp);
  mono.monochrome = 1;
  p.channels = kChannelFlagB;
  EXPECT_EQ(ApplyEdge(mono, p), kOpMade);
  EXPECT_EQ(Sample(mono.r.get(), mono, 1, 1), 4100);
  EXPECT_EQ(Sample(mono.b.get(), mono, 1, 1), 3200);
  p.channels = 0;
  EXPECT_EQ(ApplyEdge(mono, p), kOpNothingToDo);
}

}  // namespace
}  // namespace tavo
