// SPDX-License-Identifier: MIT
#include "stack/composite_auto.h"

#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/slots.h"
#include "tests/stack/star_field.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// Grey planes for the comparison functions, all samples `fill`, with `spots` (x, y, value) set.
struct Spot { int x, y, v; };
std::vector<uint16_t> Grey(int w, int h, int fill = 0, std::vector<Spot> spots = {}) {
  std::vector<uint16_t> g(static_cast<size_t>(w) * h, static_cast<uint16_t>(fill));
  for (const Spot& s : spots) g[static_cast<size_t>(s.y) * w + s.x] = static_cast<uint16_t>(s.v);
  return g;
}

TEST(CompareGrey, HandComputedTermsAndTruncation) {
  // 4 x 2, no displacement: centre (2, 1), hx = 2, hy = 1, all 8 pixels. Row 0: A 64 vs 0 -> (2)^2 = 4; A 0 vs B 95 ->
  // (-95 / 32 = -2)^2 = 4 (truncation toward zero, not -3). Row sum 8 / 2 = 4. Row 1: 320 -> 100, / 2 = 50. Total 54.
  const std::vector<uint16_t> a = Grey(4, 2, 0, {{0, 0, 64}, {3, 1, 320}}), b = Grey(4, 2, 0, {{1, 0, 95}});
  EXPECT_EQ(CompareCentre256(a.data(), b.data(), 4, 2, 0, 0), 54);
  // The 1024 comparison divides by 64: 1, (-95/64 = -1)^2 = 1, 25: (2 / 2) + (25 / 2) = 13.
  EXPECT_EQ(CompareCentre1024(a.data(), b.data(), 4, 2, 0, 0), 13);
  // Small overlap, row by row: (4 + 4) / 4 + 100 / 4 = 27, / 2 rows = 13.
  EXPECT_EQ(CompareCentreCorners(a.data(), b.data(), 4, 2, 0, 0), 13);
  // 3000 x 2, rows of 3000 terms of 2047^2 = 4190209: the row sum 12570627000 passes 32 bits; / 3000, / 2 rows.
  const std::vector<uint16_t> white = Grey(3000, 2, 65535), black = Grey(3000, 2);
  EXPECT_EQ(CompareCentreCorners(white.data(), black.data(), 3000, 2, 0, 0), 4190209);
}

TEST(CompareGrey, TooSmallOverlapsScoreWorst) {
  const std::vector<uint16_t> z = Grey(5, 5);
  // Centre and corners need one column and row of overlap, the others two.
  const uint16_t* p = z.data();
  EXPECT_EQ(Ints({CompareCentreCorners(p, p, 5, 5, 5, 0), CompareCentreCorners(p, p, 5, 5, 0, -5),
                  CompareCentreCorners(p, p, 5, 5, 4, 0), CompareCentre256(p, p, 5, 5, 4, 0),
                  CompareCentre1024(p, p, 5, 5, 0, 4), CompareCentre256(p, p, 5, 5, 3, 3)}),
            Ints({kWorstScore, kWorstScore, 0, kWorstScore, kWorstScore, 0}));
}

TEST(CompareGrey, PatchesAndWindows) {
  // 300 x 300, no displacement, one pixel of 6400 (term 200^2 = 40000). Corner patches: columns 0..49 and 249..298,
  // rows 0..49 and 250..299; centre patch: columns and rows 100..199.
  const struct {
    int method, x, y, score;
  } cases[] = {
      {kCompareCentreCorners, 299, 0, 0},    // last overlap column: in no patch
      {kCompareCentreCorners, 298, 0, 1},    // right patch: 40000 / 50 / 4 = 200; 200 / 50 / 4 = 1
      {kCompareCentreCorners, 0, 299, 1},    // top-left patch
      {kCompareCentreCorners, 50, 0, 0},     // just right of the left patches
      {kCompareCentreCorners, 100, 100, 2},  // centre: 40000 / 50 / 2 = 400; 400 / 50 / 4 = 2
      {kCompareCentreCorners, 99, 100, 0}, {kCompareCentreCorners, 199, 199, 2}, {kCompareCentreCorners, 200, 150, 0},
      // Centre 150, half width capped at 128: columns 22..277; 40000 / 128 = 312; 312 / 128 = 2.
      {kCompareCentre256, 21, 150, 0}, {kCompareCentre256, 22, 150, 2}, {kCompareCentre256, 277, 150, 2},
      {kCompareCentre256, 278, 150, 0}, {3, 22, 150, 2}};  // code 3 is unknown: as 256
  const std::vector<uint16_t> zero = Grey(300, 300);
  for (const auto& c : cases) {
    const std::vector<uint16_t> a = Grey(300, 300, 0, {{c.x, c.y, 6400}});
    EXPECT_EQ(CompareGrey(c.method, a.data(), zero.data(), 300, 300, 0, 0), c.score) << c.x << "," << c.y;
  }
  // Difference 64 everywhere (term 4): corners 50 x (800 / 50 / 4) = 200, centre 100 x 4 = 400; 600 / 50 / 4 = 3.
  const std::vector<uint16_t> flat = Grey(300, 300, 64);
  EXPECT_EQ(CompareCentreCorners(flat.data(), zero.data(), 300, 300, 0, 0), 3);
}

TEST(FindSearchRegion, ByMethodAndSize) {
  const struct {
    int method, w, h, rx, ry;
    SearchRegion want;
  } cases[] = {
      // 400 - 40 and 360 - 40 are above 256 (not 512): the middle three quarters, or 200 - 148 and 180 - 148.
      {kCompareCentreCorners, 400, 360, 20, 20, {50, 45, 350, 315}},
      {kCompareCentre256, 400, 360, 20, 20, {52, 32, 348, 328}},
      {kCompareCentre1024, 400, 360, 20, 20, {0, 0, 400, 360}},  // too small: whole area
      {kCompareCentre1024, 600, 700, 20, 30, {24, 64, 576, 636}},  // 300 - 20 - 256, 350 - 30 - 256
      {kCompareCentre256, 296, 400, 20, 20, {0, 0, 296, 400}},  // 296 - 40 = 256 is not above
      {kCompareCentre256, 297, 400, 20, 20, {0, 52, 296, 348}},  // 148 - 148
  };
  for (const auto& c : cases) {
    const SearchRegion r = FindSearchRegion(c.method, c.w, c.h, c.rx, c.ry);
    EXPECT_EQ(Ints({r.x0, r.y0, r.x1, r.y1}), Ints({c.want.x0, c.want.y0, c.want.x1, c.want.y1}))
        << c.method << " " << c.w << " x " << c.h;
  }
}

TEST(Brightness, ThirdsTruncateBeforeSumming) {
  Image img = MakeFlatImage(12, 8, 5);
  img.r[3 * 12 + 6] = 65535;
  const SearchRegion region{5, 2, 12, 8};
  std::vector<uint16_t> full(7 * 6);
  BrightnessPlane(img, region, full.data());
  EXPECT_EQ(full[0], 3);                      // 5/3 three times, not 15/3
  EXPECT_EQ(full[1 * 7 + 1], 21845 + 1 + 1);  // pixel (6, 3)
  // Quarter: columns 5/4 = 1 .. 12/4 = 3, rows 0 .. 2; block (1, 0) starts at (4, 0) and holds (6, 3): (47 x 5 + 65535)
  // / 16 / 3 = 1370; the others 48 samples of 5: 240 / 16 / 3 = 5.
  std::vector<uint16_t> quarter(2 * 2);
  QuarterBrightnessPlane(img, region, quarter.data());
  EXPECT_EQ(std::vector<int>(quarter.begin(), quarter.end()), Ints({1370, 5, 5, 5}));
}

// Windows of one star field at the given world corners, with inputs pointing at them.
struct Stack {
  Image world;
  std::vector<Image> frames;
  StackInput in[kStackMax];
  Stack(int w, int h, const std::vector<std::pair<int, int>>& corners, int margin) {
    world = MakeStarWorld(w + 2 * margin, h + 2 * margin, 5);
    for (const auto& c : corners) frames.push_back(CropWorld(world, c.first, c.second, w, h));
    for (size_t k = 0; k < frames.size(); ++k) in[k] = {&frames[k], 100, 0, 0};
  }
};

TEST(RegisterFrames, FindsKnownShiftsUpToTheEndsOfTheRange) {
  // Offsets are world corner k minus world corner 1: frame k(x, y) equals frame 1(x + dx, y + dy). Ranges above 4 run
  // the quarter pass over +-(range / 4 + 1) quarter pixels and then +-4 around it; smaller ranges search +-range.
  const struct {
    const char* what;
    int method, w, h, range;
    std::vector<std::pair<int, int>> corners;
    Ints want;  // x and y offset of every input
  } cases[] = {
      // Range 20: 13 and -18 are not multiples of 4, 20 ends the range.
      {"centre and corners", kCompareCentreCorners, 360, 320, 20, {{30, 30}, {43, 23}, {12, 50}, {32, 31}},
       {0, 0, 13, -7, -18, 20, 2, 1}},
      // 180 x 150: the whole area, overlaps of 200 or less row by row.
      {"small overlaps, centre and corners", kCompareCentreCorners, 180, 150, 4, {{10, 10}, {7, 14}}, {0, 0, -3, 4}},
      {"range 20, both ends", kCompareCentre256, 360, 320, 20, {{30, 30}, {10, 50}}, {0, 0, -20, 20}},
      // Range 4: the first and the last candidate of the direct search.
      {"range 4, last candidate", kCompareCentre256, 320, 300, 4, {{20, 20}, {24, 24}}, {0, 0, 4, 4}},
      {"range 4, first candidate", kCompareCentre256, 320, 300, 4, {{20, 20}, {16, 16}}, {0, 0, -4, -4}},
      {"range 4, mixed ends", kCompareCentre256, 320, 300, 4, {{20, 20}, {24, 16}}, {0, 0, 4, -4}},
      // Range 5: quarter pass over +-2, so +-8, then +-4: +-12, the first or last candidate of both passes.
      {"range 5, 11 needs the quarter pass", kCompareCentre256, 320, 300, 5, {{20, 20}, {31, 8}}, {0, 0, 11, -12}},
      {"range 5, last candidates", kCompareCentre256, 320, 300, 5, {{20, 20}, {32, 32}}, {0, 0, 12, 12}},
      {"range 5, first candidates", kCompareCentre256, 320, 300, 5, {{20, 20}, {8, 8}}, {0, 0, -12, -12}}};
  for (const auto& c : cases) {
    Stack st(c.w, c.h, c.corners, 30);
    ASSERT_TRUE(RegisterFrames(c.method, static_cast<int>(c.corners.size()), c.range, c.range, st.in)) << c.what;
    Ints got;
    for (size_t k = 0; k < c.corners.size(); ++k) got.insert(got.end(), {st.in[k].offset_x, st.in[k].offset_y});
    EXPECT_EQ(got, c.want) << c.what;
  }
  // Range 4 does not reach 5.
  Stack five(320, 300, {{20, 20}, {25, 20}}, 20);
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 4, 4, five.in));
  EXPECT_NE(five.in[1].offset_x, 5);
}

// Identical 48 x 40 frames: rows differ by h(y / 4) = ((y / 4) * 7 mod 13) x 3000, columns half dark, half bright per
// `period`.
Image Striped(int period) {
  Image img;
  AllocateImagePlanes(img, 48, 40, false);
  for (int i = 0; i < 48 * 40; ++i) {
    const int y = i / 48, x = i % 48;
    const int v = ((y / 4) * 7 % 13) * 3000 + (x % period < period / 2 ? 0 : 20000);
    img.r[i] = img.g[i] = img.b[i] = static_cast<uint16_t>(v);
  }
  return img;
}

TEST(RegisterFrames, TiesKeepTheFirstDisplacementAndShortMemoryChangesNothing) {
  // Period 2, range 4: every even dx with dy = 0 scores 0; the scan meets (-4, 0) first.
  Image a = Striped(2), b = Striped(2);
  StackInput in[2] = {{&a, 100, 0, 0}, {&b, 100, 0, 0}};
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 4, 4, in));
  EXPECT_EQ(Ints({in[1].offset_x, in[1].offset_y}), Ints({-4, 0}));
  // Period 8, range 8: the quarter pass ties at -2, 0, 2 and keeps -2 (-8); the fine pass over -12..-4 finds -8.
  Image c = Striped(8), d = Striped(8);
  StackInput in8[2] = {{&c, 100, 0, 0}, {&d, 100, 0, 0}};
  ASSERT_TRUE(RegisterFrames(kCompareCentre256, 2, 8, 8, in8));
  EXPECT_EQ(Ints({in8[1].offset_x, in8[1].offset_y}), Ints({-8, 0}));
  StackInput kept[2] = {{&a, 100, 7, 7}, {&a, 100, 9, 9}};
  SetAvailableMemoryForTest(100);
  EXPECT_FALSE(RegisterFrames(kCompareCentre256, 2, 4, 4, kept));
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(kept[1].offset_x, 9);
}

// Placement, shift and combine through CompositeAuto are checked through the engine's block and by the cross-check.
TEST(CompositeAuto, RowsWithoutImageOrWeightAreNotUsed) {
  Image flat = MakeFlatImage(40, 30, 1000), empty;
  CompositeJob job;
  job.images[0] = job.images[1] = &flat;
  job.images[2] = &empty;
  job.weights[0] = job.weights[2] = 100;  // row 2 has weight 0
  job.range_x = job.range_y = 1;
  Image out = MakeFlatImage(1, 1, 7);
  EXPECT_EQ(CompositeAuto(job, out), kOpTooFewInputs);
  job.weights[1] = 100;
  SetAvailableMemoryForTest(1000);  // the brightness planes need 2400 bytes each
  EXPECT_EQ(CompositeAuto(job, out), kOpNoMemory);
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(PlaneValues(out.r.get(), out), Ints({7}));
  ASSERT_EQ(CompositeAuto(job, out), kOpMade);
  EXPECT_EQ(out.width, 41);  // ties keep (-1, -1)
}

}  // namespace
}  // namespace tavo
