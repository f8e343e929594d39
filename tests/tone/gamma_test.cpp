// SPDX-License-Identifier: MIT
#include "tone/gamma.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

// Inputs probed in every case below.
const int kProbe[16] = {0,     1,     255,   256,   1000,  12800, 16384, 25600,
                        32767, 32768, 40000, 50000, 51200, 60000, 65280, 65535};

// Points written as input * 1000 + output, as the parameter block packs them.
GammaCurve Curve(int p1, int p2, int p3, int kind) {
  const GammaPoint points[3] = {{p1 / 1000, p1 % 1000}, {p2 / 1000, p2 % 1000}, {p3 / 1000, p3 % 1000}};
  return BuildGammaCurve(points, kind);
}

std::vector<int> MapProbe(int p1, int p2, int p3, int kind) {
  std::vector<uint16_t> plane(kProbe, kProbe + 16);
  ApplyGammaPlane(plane.data(), 4, 4, Curve(p1, p2, p3, kind));
  return std::vector<int>(plane.begin(), plane.end());
}

// Expected values were worked out in double precision from the curve formulas by a separate script (segment by x0, x1,
// x2; clamp; truncate). Whole curves of every shape are compared end to end by the cross-check (tests/reference).
TEST(GammaCurve, ProbesOfStraightPiecesAndTheSpacingRules) {
  const struct {
    const char* what;
    int p1, p2, p3, kind;
    std::vector<int> want;
  } cases[] = {
      // x0 becomes 1, so S2 runs from (1, 0) to (32768, 32768) with slope 32768/32767: 16384 -> 16383.49 -> 16383. S4
      // is the constant 65280 because x2 = 65280.
      {"default points, straight", 0, 128128, 255255, kCurveStraight,
       {0, 0, 254, 255, 999, 12799, 16383, 25599, 32766, 32768, 40000, 50000, 51200, 60000, 65280, 65280}},
      {"default points, curved", 0, 128128, 255255, kCurveCurved,
       {0, 0, 254, 255, 999, 12799, 16383, 25599, 32766, 32768, 40000, 50000, 51200, 60000, 65280, 65535}},
      // (50 -> 0): S1 is 0 v, black below 12800; (200 -> 255): S4 is the line to (65535, 65535).
      {"straight toe and shoulder", 50000, 128128, 200255, kCurveStraight,
       {0, 0, 0, 0, 0, 0, 5881, 21005, 32766, 32768, 45524, 63163, 65280, 65436, 65530, 65535}},
      // (100 -> 50) and (100 -> 150): the second input moves to 25601.
      {"equal inputs spread by one unit", 100050, 100150, 200200, kCurveStraight,
       {0, 0, 127, 128, 500, 6400, 8192, 12800, 41983, 41983, 45599, 50599, 51200, 60000, 65280, 65535}}};
  for (const auto& c : cases) EXPECT_EQ(MapProbe(c.p1, c.p2, c.p3, c.kind), c.want) << c.what;
  const GammaCurve spread = Curve(100050, 100150, 200200, 0), zero = Curve(0, 128128, 255255, kCurveCurved);
  EXPECT_EQ(std::vector<double>({spread.x0, spread.x1, zero.x0, zero.x1, zero.x2}),
            std::vector<double>({25600, 25601, 1, 32768, 65280}));
  // 999 -> 255, negative -> 0: the same as the clamped points.
  EXPECT_EQ(MapProbe(-5, 128128, 999999, kCurveCurved), MapProbe(0, 128128, 255255, kCurveCurved));
}

TEST(GammaCurve, OneUnitWideCurvedSegmentStartsAtItsPoint) {
  // (0 -> 0), (200 -> 100), (200 -> 230): the middle input steps down to x1 = 51199, so S3 spans one unit, from (51199,
  // 25600) to (51200, 58880). Its cubic has a3 near -3.3e4 against x1^3 near 1.3e14: each term must be one rounded
  // product with the exact power, or the sum at v = x1 lands two 8-bit steps off (26112). At x1 it is y1 = 25600.
  const GammaCurve c = Curve(0, 200100, 200230, kCurveCurved);
  EXPECT_EQ(std::vector<double>({c.x1, c.x2, 1.0 * MapGammaSample(c, 51199)}),
            std::vector<double>({51199, 51200, 25600}));
}

TEST(GammaCurve, TablePassMatchesPerSampleMappingAndEmptyPlanesStay) {
  // Every input through the plane pass (a lookup table) and the single-sample mapping; it rises up to the clamp.
  std::vector<uint16_t> plane(65536);
  for (int v = 0; v < 65536; ++v) plane[v] = static_cast<uint16_t>(v);
  const GammaCurve c = Curve(20040, 128150, 230250, kCurveCurved);
  ApplyGammaPlane(plane.data(), 256, 256, c);
  int mismatches = 0;
  for (int v = 0; v < 65536; ++v) mismatches += plane[v] != MapGammaSample(c, v);
  EXPECT_EQ(mismatches, 0);
  for (int v = 1; v < 60000; ++v) ASSERT_GE(plane[v], plane[v - 1]) << v;
  uint16_t v = 1234;
  ApplyGammaPlane(&v, 0, 1, c);
  ApplyGammaPlane(&v, 1, -1, c);
  ApplyGammaPlane(nullptr, 5, 5, c);
  EXPECT_EQ(v, 1234);
}

// Curves: R (128 -> 255), G the default points, B (128 -> 0), straight: 16384 -> 32639 (line to (32768, 65280)), 16383,
// 0.
TEST(ApplyGamma, ChannelsAndTheMonochromeRule) {
  GammaParams p;
  p.kind = kCurveStraight;
  for (int c = 0; c < 3; ++c) {
    p.points[c][0] = {0, 0};
    p.points[c][1] = {128, c == 0 ? 255 : c == 1 ? 128 : 0};
    p.points[c][2] = {255, 255};
  }
  Image colour = MakeFlatImage(1, 1, 16384);
  ASSERT_EQ(ApplyGamma(colour, p), kOpMade);
  EXPECT_EQ(PixelValues(colour, 0, 0), Ints({32639, 16383, 0}));
  // Monochrome: the R curve on R only, stale G and B stay; per channel, every plane starts from R.
  Image mono = MakeFlatImage(1, 1, 16384), per_channel = MakeFlatImage(1, 1, 16384);
  for (Image* m : {&mono, &per_channel}) m->g[0] = 7, m->b[0] = 9, m->monochrome = 1;
  ASSERT_EQ(ApplyGamma(mono, p), kOpMade);
  EXPECT_EQ(PixelValues(mono, 0, 0), Ints({32639, 7, 9}));
  p.per_channel = 1;
  ASSERT_EQ(ApplyGamma(per_channel, p), kOpMade);
  EXPECT_EQ(PixelValues(per_channel, 0, 0), Ints({32639, 16383, 0}));
  Image empty;
  EXPECT_EQ(ApplyGamma(empty, p), kOpNothingToDo);
}

}  // namespace
}  // namespace tavo
