// SPDX-License-Identifier: MIT
#include "stack/background_quad.h"

#include <gtest/gtest.h>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// 8 x 6 keeps the distances whole where it matters: the centre is (4, 3) and the corner distance sqrt((64 + 36) / 4) =
// 5; (7, 3) and (4, 0) lie 3 away, (0, 3) 4, (0, 0) 5, (5, 3) 1.
constexpr int kW = 8, kH = 6;

// The surface at (4, 3), (7, 3), (4, 0), (0, 3), (0, 0), (5, 3), (5, 4).
std::vector<int> Surface(int amplitude, int curve, int* peak) {
  std::vector<uint16_t> out(kW * kH);
  EXPECT_TRUE(QuadraticBackground(out.data(), kW, kH, amplitude, 1024, curve, peak));
  std::vector<int> at;
  for (const auto& [x, y] : {std::pair{4, 3}, {7, 3}, {4, 0}, {0, 3}, {0, 0}, {5, 3}, {5, 4}}) {
    at.push_back(out[y * kW + x]);
  }
  return at;
}

TEST(QuadraticBackground, CurvesTruncationAndClamps) {
  int peak = 0;
  // e = 1: Dmax = 5; step 1600 / 16 = 100; v = (5 - d) * 100 / 5, v * 16 + 1024. (5, 4): d = 1.41 -> 1: 80.
  EXPECT_EQ(Surface(1600, 100, &peak), Ints({2624, 1664, 1664, 1344, 1024, 2304, 2304}));
  EXPECT_EQ(peak, 2624);
  // e = 2: Dmax = 25; (7, 3): D = 9, v = 64; (0, 3): D = 16, v = 36; (5, 3): D = 1, 96; (5, 4): D = 2, 92.
  EXPECT_EQ(Surface(1600, 200, &peak), Ints({2624, 2048, 2048, 1600, 1024, 2560, 2496}));
  // e = 3: Dmax = 125; (7, 3): D = 27, v = 98 * 100 / 125 = 78.4 -> 78.
  EXPECT_EQ(Surface(1600, 300, &peak)[1], 2272);
  // -17 / 16 = -1 (not -2): centre 5 * -1 / 5 = -1 -> 1008.
  EXPECT_EQ(Ints({Surface(-17, 100, &peak)[0], peak}), Ints({1008, 1007}));
  // -1600: centre -1600 + 1024 < 0 -> 0; (0, 3): -20 * 16 + 1024 = 704.
  EXPECT_EQ(Ints({Surface(-1600, 100, &peak)[3], Surface(-1600, 100, &peak)[0]}), Ints({704, 0}));
  // 1 x 1 has no surface; 2 x 1 a corner distance of 1, centre column 1.
  uint16_t one = 77, two[2] = {0, 0};
  peak = 5;
  EXPECT_FALSE(QuadraticBackground(&one, 1, 1, 1600, 1024, 200, &peak));
  EXPECT_EQ(Ints({one, peak}), Ints({77, 5}));
  EXPECT_TRUE(QuadraticBackground(two, 2, 1, 1600, 1024, 100, &peak));
  EXPECT_EQ(std::vector<int>(two, two + 2), Ints({1024, 2624}));
}

TEST(ApplyBackgroundPlane, DivideSubtractReplace) {
  // Peak 2048 -> s = 128. 1000 * 128 / 1024 = 125 -> 2000; B = 0 -> 65535; 8191 x 16 -> 65535; 500 * 128 / 16 * 16.
  uint16_t plane[4] = {1000, 1000, 65535, 500};
  const uint16_t bg[4] = {1024, 0, 1024, 16};
  ApplyBackgroundPlane(plane, bg, 4, kBackgroundDivide, 2048, 0);
  EXPECT_EQ(std::vector<int>(plane, plane + 4), Ints({2000, 65535, 65535, 64000}));
  // A huge peak would wrap 32-bit products; 64-bit ones clamp.
  ApplyBackgroundPlane(plane, bg, 1, kBackgroundDivide, 1 << 30, 0);
  EXPECT_EQ(plane[0], 65535);
  uint16_t sub[3] = {100, 5000, 65000};
  const uint16_t bg3[3] = {1000, 1000, 1000};
  ApplyBackgroundPlane(sub, bg3, 3, kBackgroundSubtract, 0, 2000);
  EXPECT_EQ(std::vector<int>(sub, sub + 3), Ints({1100, 6000, 65535}));
  ApplyBackgroundPlane(sub, bg3, 3, kBackgroundSubtract, 0, -5000);
  EXPECT_EQ(sub[0], 0);
  ApplyBackgroundPlane(sub, bg3, 3, kBackgroundReplace, 0, 0);
  EXPECT_EQ(sub[2], 1000);
}

int R(const Image& img, int x, int y) { return Sample(img.r.get(), img, x, y); }

TEST(ApplyQuadraticBackground, ChannelsModesAndWhatIsLeftAlone) {
  // Centre 1024 over periphery 0: amplitude 1024, peak 2048, s = 128. Surface (e = 2): centre 2048, (7, 3) 16 * 64 / 25
  // = 40 -> 1664, corner 1024, (5, 3) 24 * 64 / 25 = 61 -> 2000.
  const int levels[6] = {1024, 0, 1024, 0, 1024, 0};
  Image img = MakeFlatImage(kW, kH, 1000);
  img.r[3 * kW + 5] = 2048;
  ASSERT_EQ(ApplyQuadraticBackground(img, kBackgroundDivide, levels, 200), kOpMade);
  // (1000 * 128 / 2048 = 62) * 16, (128000 / 1024) * 16, (128000 / 1664 = 76) * 16, (262144 / 2000 = 131) * 16.
  EXPECT_EQ(Ints({R(img, 4, 3), R(img, 0, 0), R(img, 7, 3), R(img, 5, 3)}), Ints({992, 2000, 1216, 2096}));
  EXPECT_EQ(Sample(img.b.get(), img, 0, 0), 2000);
  // Monochrome: R only.
  Image mono = MakeFlatImage(kW, kH, 1000);
  mono.monochrome = 1;
  ApplyQuadraticBackground(mono, kBackgroundDivide, levels, 200);
  EXPECT_EQ(PixelValues(mono, 0, 0), Ints({2000, 1000, 1000}));
  // Replace writes the surface; the curve is taken as 100..300, so 50 acts as 100: (0, 3) 20 * 16 + 1024.
  const int high[6] = {1600, 0, 1600, 0, 1600, 0};
  Image flat = MakeFlatImage(kW, kH, 9);
  ASSERT_EQ(ApplyQuadraticBackground(flat, kBackgroundReplace, high, 50), kOpMade);
  EXPECT_EQ(Ints({R(flat, 4, 3), R(flat, 0, 3)}), Ints({2624, 1344}));
  // A single pixel has no distance to fall off over; mode 3 uses a background image; no scratch plane: no change.
  Image one = MakeFlatImage(1, 1, 1000), keep = MakeFlatImage(kW, kH, 1000);
  EXPECT_EQ(ApplyQuadraticBackground(one, kBackgroundDivide, levels, 200), kOpNothingToDo);
  EXPECT_EQ(one.r[0], 1000);
  EXPECT_EQ(ApplyQuadraticBackground(keep, 3, levels, 200), kOpNothingToDo);
  SetAvailableMemoryForTest(10);
  EXPECT_EQ(ApplyQuadraticBackground(keep, kBackgroundDivide, levels, 200), kOpNoMemory);
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(keep, MakeFlatImage(kW, kH, 1000)));
}

}  // namespace
}  // namespace tavo
