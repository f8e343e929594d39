// SPDX-License-Identifier: MIT
#include "stack/background_quad.h"

#include <gtest/gtest.h>

#include <memory>

#include <vector>

#include "shell/ops/background_quad_op.h"
#include "core/memory.h"
#include "core/slots.h"
#include "engine/operations.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// 8 x 6 keeps the distances whole where it matters: the centre is (4, 3)
// and the corner distance sqrt((64 + 36) / 4) = 5; (7, 3) and (4, 0) lie 3
// away, (0, 3) 4, (0, 0) 5, (5, 3) 1.
constexpr int kW = 8, kH = 6;

int At(const std::vector<uint16_t>& p, int x, int y) { return p[static_cast<size_t>(y) * kW + x]; }

TEST(QuadraticBackground, LinearCurve) {
  // e = 1: Dmax = 5; amplitude 1600 -> step 100; v = (5 - d) * 100 / 5.
  std::vector<uint16_t> out(kW * kH);
  int peak = 0;
  ASSERT_TRUE(QuadraticBackground(out.data(), kW, kH, 1600, 1024, 100, &peak));
  EXPECT_EQ(peak, 2624);
  EXPECT_EQ(At(out, 4, 3), 2624);  // 100 * 16 + 1024
  EXPECT_EQ(At(out, 7, 3), 1664);  // 40 * 16 + 1024
  EXPECT_EQ(At(out, 4, 0), 1664);
  EXPECT_EQ(At(out, 0, 3), 1344);  // 20 * 16 + 1024
  EXPECT_EQ(At(out, 0, 0), 1024);  // the corner: floor
  EXPECT_EQ(At(out, 5, 4), 2304);  // d = 1.41, whole part 1: 80 * 16 + 1024
}

TEST(QuadraticBackground, SquareAndCubeCurves) {
  // e = 2: Dmax = 25. (7, 3): D = 9, v = 16 * 100 / 25 = 64; (0, 3): D = 16,
  // v = 36; (5, 3): D = 1, v = 96.
  std::vector<uint16_t> out(kW * kH);
  int peak = 0;
  ASSERT_TRUE(QuadraticBackground(out.data(), kW, kH, 1600, 1024, 200, &peak));
  EXPECT_EQ(At(out, 4, 3), 2624);
  EXPECT_EQ(At(out, 7, 3), 2048);
  EXPECT_EQ(At(out, 0, 3), 1600);
  EXPECT_EQ(At(out, 5, 3), 2560);
  EXPECT_EQ(At(out, 0, 0), 1024);
  // e = 3: Dmax = 125; (7, 3): D = 27, v = 98 * 100 / 125 = 78.4 -> 78.
  ASSERT_TRUE(QuadraticBackground(out.data(), kW, kH, 1600, 1024, 300, &peak));
  EXPECT_EQ(At(out, 7, 3), 2272);
}

TEST(QuadraticBackground, NegativeAmplitudeTruncatesTowardZeroAndClamps) {
  std::vector<uint16_t> out(kW * kH);
  int peak = 0;
  // -17 / 16 = -1 (not -2): centre v = 5 * -1 / 5 = -1 -> 1008.
  ASSERT_TRUE(QuadraticBackground(out.data(), kW, kH, -17, 1024, 100, &peak));
  EXPECT_EQ(At(out, 4, 3), 1008);
  EXPECT_EQ(peak, 1007);
  // -1600: centre -1600 + 1024 < 0 -> 0; (0, 3): -20 * 16 + 1024 = 704.
  ASSERT_TRUE(QuadraticBackground(out.data(), kW, kH, -1600, 1024, 100, &peak));
  EXPECT_EQ(At(out, 4, 3), 0);
  EXPECT_EQ(At(out, 0, 3), 704);
}

TEST(QuadraticBackground, OnePixelHasNoSurface) {
  uint16_t out = 77;
  int peak = 5;
  EXPECT_FALSE(QuadraticBackground(&out, 1, 1, 1600, 1024, 200, &peak));
  EXPECT_EQ(out, 77);
  EXPECT_EQ(peak, 5);
  // 2 x 1 has a corner distance of 1.
  uint16_t two[2] = {0, 0};
  EXPECT_TRUE(QuadraticBackground(two, 2, 1, 1600, 1024, 100, &peak));
  EXPECT_EQ(two[1], 2624);  // the centre column 1
  EXPECT_EQ(two[0], 1024);
}

TEST(ApplyBackgroundPlane, DivideSubtractReplace) {
  uint16_t plane[4] = {1000, 1000, 65535, 500};
  const uint16_t bg[4] = {1024, 0, 1024, 16};
  // peak 2048 -> s = 128. 1000 * 128 / 1024 = 125 -> 2000; B = 0 -> 65535;
  // 65535 * 128 / 1024 = 8191 -> 131056 -> 65535; 500 * 128 / 16 * 16.
  ApplyBackgroundPlane(plane, bg, 4, kBackgroundDivide, 2048, 0);
  EXPECT_EQ(plane[0], 2000);
  EXPECT_EQ(plane[1], 65535);
  EXPECT_EQ(plane[2], 65535);
  EXPECT_EQ(plane[3], 64000);
  // A huge peak would wrap 32-bit products; 64-bit ones clamp.
  uint16_t big[1] = {1000};
  const uint16_t bg1[1] = {1024};
  ApplyBackgroundPlane(big, bg1, 1, kBackgroundDivide, 1 << 30, 0);
  EXPECT_EQ(big[0], 65535);
  uint16_t sub[3] = {100, 5000, 65000};
  const uint16_t bg3[3] = {1000, 1000, 1000};
  ApplyBackgroundPlane(sub, bg3, 3, kBackgroundSubtract, 0, 2000);
  EXPECT_EQ(sub[0], 1100);
  EXPECT_EQ(sub[1], 6000);
  EXPECT_EQ(sub[2], 65535);
  ApplyBackgroundPlane(sub, bg3, 3, kBackgroundSubtract, 0, -5000);
  EXPECT_EQ(sub[0], 0);
  ApplyBackgroundPlane(sub, bg3, 3, kBackgroundReplace, 0, 0);
  EXPECT_EQ(sub[2], 1000);
}

Image Flat(uint16_t v) { return MakeFlatImage(kW, kH, v); }

int R(const Image& img, int x, int y) { return Sample(img.r.get(), img, x, y); }

// Levels of the three channels: centre, periphery in 16-bit units.
const int kCentre1024[6] = {1024, 0, 1024, 0, 1024, 0};

TEST(BackgroundOperation, MultiplicativeCentreAndCorner) {
  // Amplitude 1024, peak 2048, s = 128.
  // Surface (e = 2): centre 2048, (7, 3) 16 * 64 / 25 = 40 -> 1664, corner 1024.
  Image img = Flat(1000);
  img.r[3 * kW + 5] = 2048;  // (5, 3): surface 24 * 64 / 25 = 61 -> 2000
  ASSERT_EQ(ApplyQuadraticBackground(img, kBackgroundDivide, kCentre1024, 200), kOpMade);
  EXPECT_EQ(R(img, 4, 3), 992);   // (1000 * 128 / 2048 = 62) * 16
  EXPECT_EQ(R(img, 0, 0), 2000);  // (128000 / 1024 = 125) * 16
  EXPECT_EQ(R(img, 7, 3), 1216);  // (128000 / 1664 = 76) * 16
  EXPECT_EQ(R(img, 5, 3), 2096);  // (262144 / 2000 = 131) * 16
  EXPECT_EQ(Sample(img.b.get(), img, 0, 0), 2000);
  Image centre = Flat(2048);
  ApplyQuadraticBackground(centre, kBackgroundDivide, kCentre1024, 200);
  EXPECT_EQ(R(centre, 4, 3), 2048);
}

TEST(BackgroundOperation, SubtractiveSettingsRewriteTheLevels) {
  // Centre 10, periphery 4, shift 30 -> pair (10 - 8 + 30, 30 - 4) =
  // (32, 26): amplitude 1536, K = 32 * 256 + 1024 = 9216. On flat 20000:
  // centre 20000 - 2560 + 9216 = 26656 = 20000 + (30 - 4) * 256; corner
  // 20000 - 1024 + 9216 = 28192 = 20000 + (10 - 8 + 30) * 256; (7, 3):
  // surface 16 * 96 / 25 = 61 -> 2000, 27216.
  auto app = std::make_unique<AppState>();
  Back2Settings& back2 = app->settings.back2;
  back2.mode = 1;
  back2.shift = 30;
  for (int c = 0; c < 3; ++c) {
    back2.levels[2 * c] = 10;
    back2.levels[2 * c + 1] = 4;
  }
  Image img = Flat(20000);
  ASSERT_EQ(RunBackgroundQuadOn(*app, img), kOpMade);
  EXPECT_EQ(R(img, 4, 3), 26656);
  EXPECT_EQ(R(img, 0, 0), 28192);
  EXPECT_EQ(R(img, 7, 3), 27216);
  EXPECT_EQ(Sample(img.g.get(), img, 0, 0), 28192);
}

TEST(BackgroundOperation, MonochromeOnlyR) {
  Image img = Flat(1000);
  img.monochrome = 1;
  ApplyQuadraticBackground(img, kBackgroundDivide, kCentre1024, 200);
  EXPECT_EQ(R(img, 0, 0), 2000);
  EXPECT_EQ(Sample(img.g.get(), img, 0, 0), 1000);
  EXPECT_EQ(Sample(img.b.get(), img, 0, 0), 1000);
}

TEST(BackgroundOperation, LeftAloneCases) {
  Image one = MakeFlatImage(1, 1, 1000);
  EXPECT_EQ(ApplyQuadraticBackground(one, kBackgroundDivide, kCentre1024, 200), kOpNothingToDo);
  EXPECT_EQ(one.r[0], 1000);  // a single pixel has no distance to fall off over
  Image img = Flat(1000), before = Flat(1000);
  EXPECT_EQ(ApplyQuadraticBackground(img, 3, kCentre1024, 200), kOpNothingToDo);  // an image-background mode
  SetAvailableMemoryForTest(10);  // no scratch plane
  EXPECT_EQ(ApplyQuadraticBackground(img, kBackgroundDivide, kCentre1024, 200), kOpNoMemory);
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(img, before));
}

TEST(BackgroundOperation, ReplaceWritesTheSurface) {
  Image img = Flat(9);
  const int levels[6] = {1600, 0, 1600, 0, 1600, 0};
  ASSERT_EQ(ApplyQuadraticBackground(img, kBackgroundReplace, levels, 100), kOpMade);
  EXPECT_EQ(R(img, 4, 3), 2624);
  EXPECT_EQ(R(img, 0, 3), 1344);
  // The curve is taken as 100..300: 50 acts as 100.
  Image low = Flat(9);
  ASSERT_EQ(ApplyQuadraticBackground(low, kBackgroundReplace, levels, 50), kOpMade);
  EXPECT_EQ(R(low, 0, 3), 1344);
}

}  // namespace
}  // namespace tavo
