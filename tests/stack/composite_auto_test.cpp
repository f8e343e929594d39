// SPDX-License-Identifier: MIT
#include "stack/composite_auto.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/memory.h"
#include "core/slots.h"
#include "tests/stack/star_field.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// Grey planes for the comparison functions, all samples `fill`.
std::vector<uint16_t> Grey(int w, int h, int fill = 0) {
  return std::vector<uint16_t>(static_cast<size_t>(w) * h, static_cast<uint16_t>(fill));
}
void Put(std::vector<uint16_t>& g, int w, int x, int y, int v) { g[static_cast<size_t>(y) * w + x] = static_cast<uint16_t>(v); }

TEST(CompareGrey, HandComputedTermsAndTruncation) {
  // 4 x 2, no displacement: centre (2, 1), hx = 2, hy = 1, all 8 pixels.
  // Row 0: A 64 vs 0 -> (2)^2 = 4; A 0 vs B 95 -> (-95 / 32 = -2)^2 = 4
  // (truncation toward zero, not -3). Row sum 8 / 2 = 4. Row 1: A 320 -> 100,
  // / 2 = 50. Total 54 / 1.
  std::vector<uint16_t> a = Grey(4, 2), b = Grey(4, 2);
  Put(a, 4, 0, 0, 64);
  Put(b, 4, 1, 0, 95);
  Put(a, 4, 3, 1, 320);
  EXPECT_EQ(CompareCentre256(a.data(), b.data(), 4, 2, 0, 0), 54);
  // The 1024 comparison divides by 64: (64/64)^2 = 1, (-95/64 = -1)^2 = 1,
  // (320/64)^2 = 25: (2 / 2) + (25 / 2) = 13.
  EXPECT_EQ(CompareCentre1024(a.data(), b.data(), 4, 2, 0, 0), 13);
  // Small overlap, row by row: (4 + 4) / 4 + 100 / 4 = 27, / 2 rows = 13.
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 4, 2, 0, 0), 13);
}

TEST(CompareGrey, DisplacementMatchesAxyWithBShiftedBack) {
  // A(x, y) = B(x - 2, y - 1): the score is 0 at (2, 1) only.
  std::vector<uint16_t> a = Grey(6, 3), b = Grey(6, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) Put(b, 6, x, y, (x * 7 + y * 13) * 640);
  }
  for (int y = 1; y < 3; ++y) {
    for (int x = 2; x < 6; ++x) Put(a, 6, x, y, b[static_cast<size_t>(y - 1) * 6 + x - 2]);
  }
  for (int method = 0; method < 3; ++method) {
    EXPECT_EQ(CompareGrey(method, a.data(), b.data(), 6, 3, 2, 1), 0) << method;
    EXPECT_GT(CompareGrey(method, a.data(), b.data(), 6, 3, -2, -1), 0) << method;
  }
}

TEST(CompareGrey, UnusableOverlapsScoreWorst) {
  std::vector<uint16_t> a = Grey(5, 5), b = Grey(5, 5);
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 5, 5, 5, 0), kWorstScore);
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 5, 5, 0, -5), kWorstScore);
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 5, 5, 4, 0), 0);  // one column is enough
  EXPECT_EQ(CompareCentre256(a.data(), b.data(), 5, 5, 4, 0), kWorstScore);  // needs two
  EXPECT_EQ(CompareCentre1024(a.data(), b.data(), 5, 5, 0, 4), kWorstScore);
  EXPECT_EQ(CompareCentre256(a.data(), b.data(), 5, 5, 3, 3), 0);
}

TEST(CompareGrey, WideRowsDoNotWrap) {
  // 3000 x 2, overlap rows of 3000 terms of 2047^2 = 4190209: the row sum
  // 12570627000 passes 32 bits; / 3000 per row, total / 2 = 4190209.
  std::vector<uint16_t> a = Grey(3000, 2, 65535), b = Grey(3000, 2, 0);
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 3000, 2, 0, 0), 4190209);
}

TEST(CompareGrey, CentreCornersPatchPlacement) {
  // 300 x 300, no displacement. One pixel of 6400 (term 200^2 = 40000).
  // Corner patches: columns 0..49 and 249..298, rows 0..49 and 250..299;
  // centre patch: columns and rows 100..199.
  struct Case {
    int x, y, score;
  } cases[] = {
      {299, 0, 0},   // last overlap column: in no patch
      {298, 0, 1},   // right patch: 40000 / 50 / 4 = 200; 200 / 50 / 4 = 1
      {0, 299, 1},   // top-left patch
      {50, 0, 0},    // just right of the left patches
      {100, 100, 2}, // centre: 40000 / 50 / 2 = 400; 400 / 50 / 4 = 2
      {99, 100, 0},
      {199, 199, 2},
      {200, 150, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint16_t> a = Grey(300, 300), b = Grey(300, 300);
    Put(a, 300, c.x, c.y, 6400);
    EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 300, 300, 0, 0), c.score) << c.x << "," << c.y;
  }
  // Flat difference of 64 everywhere (term 4): corners 50 x (800 / 50 / 4)
  // = 200, centre 100 x (400 / 50 / 2) = 400; 600 / 50 / 4 = 3.
  std::vector<uint16_t> a = Grey(300, 300, 64), b = Grey(300, 300);
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 300, 300, 0, 0), 3);
}

TEST(CompareGrey, Centre256Window) {
  // 300 wide: centre 150, half width capped at 128, columns 22..277.
  // One term 40000 in the window: 40000 / 128 = 312; 312 / 128 = 2.
  for (int x : {21, 22, 277, 278}) {
    std::vector<uint16_t> a = Grey(300, 300), b = Grey(300, 300);
    Put(a, 300, x, 150, 6400);
    EXPECT_EQ(CompareCentre256(a.data(), b.data(), 300, 300, 0, 0), x == 21 || x == 278 ? 0 : 2) << x;
  }
}

TEST(FindSearchRegion, ByMethodAndSize) {
  // 400 x 360, range 20: 400 - 40 and 360 - 40 are above 256 (not 512).
  SearchRegion r = FindSearchRegion(kCompareCentreCorners, 400, 360, 20, 20);
  EXPECT_EQ(r.x0, 50);
  EXPECT_EQ(r.y0, 45);
  EXPECT_EQ(r.x1, 350);
  EXPECT_EQ(r.y1, 315);
  r = FindSearchRegion(kCompareCentre256, 400, 360, 20, 20);
  EXPECT_EQ(r.x0, 52);   // 200 - 20 - 128
  EXPECT_EQ(r.y0, 32);   // 180 - 148
  EXPECT_EQ(r.x1, 348);
  EXPECT_EQ(r.y1, 328);
  r = FindSearchRegion(kCompareCentre1024, 400, 360, 20, 20);
  EXPECT_EQ(r.x1, 400);  // too small: whole area
  EXPECT_EQ(r.y1, 360);
  r = FindSearchRegion(kCompareCentre1024, 600, 700, 20, 30);
  EXPECT_EQ(r.x0, 24);   // 300 - 20 - 256
  EXPECT_EQ(r.y0, 64);   // 350 - 30 - 256
  EXPECT_EQ(r.x1, 576);
  EXPECT_EQ(r.y1, 636);
  // 296 - 40 = 256 is not above 256.
  r = FindSearchRegion(kCompareCentre256, 296, 400, 20, 20);
  EXPECT_EQ(r.x0, 0);
  EXPECT_EQ(r.x1, 296);
  r = FindSearchRegion(kCompareCentre256, 297, 400, 20, 20);
  EXPECT_EQ(r.x0, 0);    // 148 - 148
  EXPECT_EQ(r.x1, 296);
}

TEST(Brightness, ThirdsTruncateBeforeSumming) {
  Image img = MakePositionImage(12, 8);
  for (size_t i = 0; i < img.PixelCount(); ++i) img.r[i] = img.g[i] = img.b[i] = 5;
  img.r[3 * 12 + 6] = 65535;
  SearchRegion region{5, 2, 12, 8};
  std::vector<uint16_t> full(7 * 6);
  BrightnessPlane(img, region, full.data());
  EXPECT_EQ(full[0], 3);                    // 5/3 three times, not 15/3
  EXPECT_EQ(full[1 * 7 + 1], 21845 + 1 + 1);  // pixel (6, 3)
  // Quarter: columns 5/4 = 1 .. 12/4 = 3, rows 0 .. 2; block (1, 0) starts at
  // (4, 0): 48 samples of 5 -> 240 / 16 / 3 = 5. Block (1, 0) of rows 0..3
  // holds (6, 3): (47 * 5 + 65535) / 16 / 3 = 1370.
  std::vector<uint16_t> quarter(2 * 2);
  QuarterBrightnessPlane(img, region, quarter.data());
  EXPECT_EQ(quarter[0], 1370);
  EXPECT_EQ(quarter[1], 5);
  EXPECT_EQ(quarter[2], 5);
}

// Windows of one star field at the given world corners, with inputs
// pointing at them.
struct Stack {
  Image world;
  std::vector<Image> frames;
  StackInput in[kStackMax];

  Stack(int w, int h, const std::vector<std::pair<int, int>>& corners, int margin) {
    world = MakeStarWorld(w + 2 * margin, h + 2 * margin, 5);
    for (const auto& c : corners) frames.push_back(CropWorld(world, c.first, c.second, w, h));
    for (size_t k = 0; k < frames.size(); ++k) {
      in[k].image = &frames[k];
      in[k].weight = 100;
    }
  }
};

TEST(RegisterFrames, FindsKnownShiftsWithEveryMethod) {
  // Offsets are world corner k minus world corner 1: frame k(x, y) equals
  // frame 1(x + dx, y + dy). Range 20 runs the quarter pass (+-6 quarter
  // pixels) and then +-4 around it; 13 and -18 are not multiples of 4, and
  // 20 is the end of the range.
  const std::vector<std::pair<int, int>> corners = {{30, 30}, {43, 23}, {12, 50}, {32, 31}};
  const int expect[4][2] = {{0, 0}, {13, -7}, {-18, 20}, {2, 1}};
  struct Size {
    int method, w, h;
  } sizes[] = {{kCompareCentreCorners, 360, 320}, {kCompareCentre256, 360, 320}, {kCompareCentre1024, 600, 580}};
  for (const Size& s : sizes) {
    Stack st(s.w, s.h, corners, 30);
    ASSERT_TRUE(RegisterFrames(s.method, 4, 20, 20, st.in));
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(st.in[k].offset_x, expect[k][0]) << "method " << s.method << " input " << k;
      EXPECT_EQ(st.in[k].offset_y, expect[k][1]) << "method " << s.method << " input " << k;
    }
  }
}

TEST(RegisterFrames, SmallOverlapRowsOfCentreCorners) {
  // 180 x 150: the whole area is compared, overlaps of 200 or less row by row.
  Stack st(180, 150, {{10, 10}, {7, 14}}, 10);
  ASSERT_TRUE(RegisterFrames(kCompareCentreCorners, 2, 4, 4, st.in));
  EXPECT_EQ(st.in[1].offset_x, -3);
  EXPECT_EQ(st.in[1].offset_y, 4);
}

TEST(RegisterFrames, EndsOfTheSearchRange) {
  // Range 4: searched directly over +-4, so 4 is found and 5 is not.
  Stack four(320, 300, {{20, 20}, {24, 16}}, 20);
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 4, 4, four.in));
  EXPECT_EQ(four.in[1].offset_x, 4);
  EXPECT_EQ(four.in[1].offset_y, -4);
  Stack five(320, 300, {{20, 20}, {25, 20}}, 20);
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 4, 4, five.in));
  EXPECT_NE(five.in[1].offset_x, 5);
  // Range 5 takes the quarter pass over +-2 quarter pixels: 11 needs it, and
  // -12 (quarter -2, then -4) is as far as it reaches.
  Stack coarse(320, 300, {{20, 20}, {31, 8}}, 20);
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 5, 5, coarse.in));
  EXPECT_EQ(coarse.in[1].offset_x, 11);
  EXPECT_EQ(coarse.in[1].offset_y, -12);
  // Range 20: -20 and 20 at both ends.
  Stack wide(360, 320, {{30, 30}, {10, 50}}, 30);
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 20, 20, wide.in));
  EXPECT_EQ(wide.in[1].offset_x, -20);
  EXPECT_EQ(wide.in[1].offset_y, 20);
}

TEST(RegisterFrames, ChecksTellDriftBeyondTheRangeAndUnrelatedFrames) {
  // Range 20: frame 2 is 3 pixels off (sound), frame 3 drifted 26 (found,
  // but past the range), frame 4 shows another field of the same kind.
  Stack st(360, 320, {{30, 30}, {33, 30}, {56, 30}}, 30);
  const Image other = MakeStarWorld(360, 320, 77);
  st.in[3].image = &other;
  st.in[3].weight = 100;
  AlignCheck checks[4];
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 4, 20, 20, st.in, checks));
  const bool edge[4] = {false, false, true, false}, poor[4] = {false, false, false, true};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(checks[k].on_edge * 2 + checks[k].poor_match, edge[k] * 2 + poor[k]) << k;
  EXPECT_EQ(st.in[2].offset_x, 26);
}

// Identical 48 x 40 frames: rows differ by h(y / 4) = ((y / 4) * 7 mod 13) x
// 3000, columns repeat with period `period` (half dark, half bright).
Image Striped(int period) {
  Image img;
  AllocateImagePlanes(img, 48, 40, false);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 48; ++x) {
      const int v = ((y / 4) * 7 % 13) * 3000 + ((x % period) < period / 2 ? 0 : 20000);
      const size_t i = static_cast<size_t>(y) * 48 + x;
      img.r[i] = img.g[i] = img.b[i] = static_cast<uint16_t>(v);
    }
  }
  return img;
}

TEST(RegisterFrames, TiesKeepTheFirstDisplacement) {
  // Period 2, range 4: every even dx with dy = 0 scores 0; the scan meets
  // (-4, 0) first.
  Image a = Striped(2), b = Striped(2);
  StackInput in[2] = {{&a, 100, 0, 0}, {&b, 100, 0, 0}};
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 4, 4, in));
  EXPECT_EQ(in[1].offset_x, -4);
  EXPECT_EQ(in[1].offset_y, 0);
  // Period 8, range 8: the quarter pass (quarter period 2) ties at -2, 0 and
  // 2 and keeps -2, i.e. -8; the fine pass over -12..-4 finds only -8.
  Image c = Striped(8), d = Striped(8);
  StackInput in8[2] = {{&c, 100, 0, 0}, {&d, 100, 0, 0}};
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 8, 8, in8));
  EXPECT_EQ(in8[1].offset_x, -8);
  EXPECT_EQ(in8[1].offset_y, 0);
}

TEST(RegisterFrames, ShortMemoryLeavesOffsetsAlone) {
  Image a = Striped(2);
  StackInput in[2] = {{&a, 100, 7, 7}, {&a, 100, 9, 9}};
  SetAvailableMemoryForTest(100);
  EXPECT_FALSE(RegisterFrames(kCompareCentre256, 2, 4, 4, in));
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(in[1].offset_x, 9);
}

TEST(CompositeAuto, AlignedStackRebuildsTheWorld) {
  // Three frames of one sky: after alignment every covered canvas pixel
  // holds the same world value in each frame, so the normalised average
  // with noise removal is that value; the canvas spans all three frames.
  const int w = 320, h = 300;
  Stack st(w, h, {{30, 30}, {43, 23}, {22, 36}}, 30);
  CompositeJob job;
  for (int k = 0; k < 3; ++k) {
    job.images[k] = &st.frames[k];
    job.weights[k] = 100;
  }
  job.noise = 5;
  Image out;
  ASSERT_EQ(CompositeAuto(job, out), kOpMade);
  // Canvas x from world 22 to 43 + 320, y from 23 to 36 + 300.
  ASSERT_EQ(out.width, w + 21);
  ASSERT_EQ(out.height, h + 13);
  int mismatches = 0;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const int wx = x + 22, wy = y + 23;
      bool covered = false;
      for (const auto& c : {std::pair{30, 30}, std::pair{43, 23}, std::pair{22, 36}}) {
        covered |= wx >= c.first && wx < c.first + w && wy >= c.second && wy < c.second + h;
      }
      const size_t i = static_cast<size_t>(y) * out.width + x;
      const size_t wi = static_cast<size_t>(wy) * st.world.width + wx;
      for (int ch = 0; ch < 3; ++ch) {
        const int expected = covered ? st.world.Channel(ch)[wi] : 0;
        mismatches += out.Channel(ch)[i] != expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(CompositeAuto, InputsOfDifferentSizesShareOneCanvas) {
  // Frame 1: world (10, 10) 300 x 280; frame 2: world (13, 8) 320 x 260,
  // offset (3, -2). The canvas moves frame 1 up to (0, 2) and frame 2 to
  // (3, 0): 323 x 282, canvas (0, 0) at world (10, 8).
  const Image world = MakeStarWorld(360, 320, 21);
  Image a = CropWorld(world, 10, 10, 300, 280), b = CropWorld(world, 13, 8, 320, 260);
  CompositeJob job;
  job.images[0] = &a;
  job.images[1] = &b;
  job.weights[0] = job.weights[1] = 100;
  job.mode = kCombineMax;
  Image out;
  ASSERT_EQ(CompositeAuto(job, out), kOpMade);
  ASSERT_EQ(out.width, 323);
  ASSERT_EQ(out.height, 282);
  const auto world_g = [&](int x, int y) { return world.g[static_cast<size_t>(y + 8) * 360 + x + 10]; };
  const auto out_g = [&](int x, int y) { return out.g[static_cast<size_t>(y) * 323 + x]; };
  EXPECT_EQ(out_g(0, 2), world_g(0, 2));       // frame 1 only
  EXPECT_EQ(out_g(322, 0), world_g(322, 0));   // frame 2 only
  EXPECT_EQ(out_g(150, 140), world_g(150, 140));
  EXPECT_EQ(out_g(0, 0), 0);                   // neither
  EXPECT_EQ(out_g(322, 281), 0);
}

TEST(CompositeAuto, IdenticalInputsReproduceTheInput) {
  Image a = MakeStarWorld(300, 280, 9), b = MakeStarWorld(300, 280, 9);
  for (int mode : {kCombineAverage, kCombineMax, kCombineMin}) {
    CompositeJob job;
    job.images[0] = &a;
    job.images[2] = &b;  // an empty row between is skipped
    job.weights[0] = job.weights[2] = 100;
    job.mode = mode;
    Image out;
    ASSERT_EQ(CompositeAuto(job, out), kOpMade);
    EXPECT_TRUE(SamePlanes(out, a)) << mode;
  }
}

TEST(CompositeAuto, FewerThanTwoUsableRowsMakeNothing) {
  Image a = MakeFlatImage(4, 4, 100), empty;
  CompositeJob job;
  job.images[0] = &a;
  job.images[1] = &a;
  job.images[2] = &empty;
  job.weights[0] = 100;
  job.weights[1] = 0;  // a chosen slot with weight 0 is not used
  job.weights[2] = 100;
  Image out = MakeFlatImage(1, 1, 7);
  EXPECT_NE(CompositeAuto(job, out), kOpMade);
  EXPECT_EQ(out.width, 1);
  EXPECT_EQ(out.r[0], 7);
}

TEST(CompositeAuto, CanvasIsCutAt10000) {
  // Two rows 9998 wide; frame 2 is frame 1 moved by 4, so the canvas would
  // be 10002 wide. Values encode the world column.
  Image world;
  AllocateImagePlanes(world, 10002, 2, false);
  for (int x = 0; x < 10002; ++x) {
    for (int y = 0; y < 2; ++y) {
      const uint16_t v = static_cast<uint16_t>(StarHash(static_cast<uint32_t>(x * 2 + y)) & 0xffff);
      world.r[static_cast<size_t>(y) * 10002 + x] = world.g[static_cast<size_t>(y) * 10002 + x] =
          world.b[static_cast<size_t>(y) * 10002 + x] = v;
    }
  }
  Image a = CropWorld(world, 0, 0, 9998, 2), b = CropWorld(world, 4, 0, 9998, 2);
  CompositeJob job;
  job.images[0] = &b;
  job.images[1] = &a;
  job.weights[0] = job.weights[1] = 100;
  job.range_x = job.range_y = 4;
  job.mode = kCombineMax;
  Image out;
  ASSERT_EQ(CompositeAuto(job, out), kOpMade);
  EXPECT_EQ(out.width, 10000);
  EXPECT_EQ(out.height, 2);
  // Input 2 (a) is found at -4: the canvas starts at world column 0.
  EXPECT_EQ(out.r[9999], world.r[9999]);
}

TEST(CompositeAuto, ShiftMovesLaterInputsWithoutGrowingTheCanvas) {
  Image a = MakeFlatImage(40, 30, 1000);
  CompositeJob job;
  for (int k = 0; k < 3; ++k) {
    job.images[k] = &a;
    job.weights[k] = 100;
  }
  job.range_x = job.range_y = 1;
  job.mode = kCombineAdd;
  job.shift_x = 5;
  Image out;
  ASSERT_EQ(CompositeAuto(job, out), kOpMade);
  // Flat frames tie everywhere; the first displacement (-1, -1) wins for
  // inputs 2 and 3, so the canvas is 41 x 31 with input 1 at (1, 1) and the
  // others at (0 + 5, 0) and (0 + 10, 0).
  ASSERT_EQ(out.width, 41);
  ASSERT_EQ(out.height, 31);
  const auto at = [&](int x, int y) { return out.r[static_cast<size_t>(y) * 41 + x]; };
  EXPECT_EQ(at(0, 0), 0);     // nobody: input 2 starts at column 5
  EXPECT_EQ(at(5, 0), 1000);  // input 2 only
  EXPECT_EQ(at(10, 5), 3000); // all three
  EXPECT_EQ(at(1, 1), 1000);  // input 1 only
}

}  // namespace
}  // namespace tavo
