// SPDX-License-Identifier: MIT
#include "tone/gamma.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavo {
namespace {

// Inputs probed in every case below.
const int kProbe[16] = {0, 1, 255, 256, 1000, 12800, 16384, 25600,
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

// Expected values were worked out in double precision from the curve
// formulas by a separate reference script (segment by x0, x1, x2; clamp;
// truncate).
TEST(GammaCurve, DefaultPointsStraight) {
  // x0 becomes 1, so S2 runs from (1, 0) to (32768, 32768) with slope
  // 32768/32767: 16384 -> 16384 * 1.0000305 - 1.0000305 = 16383.49 -> 16383.
  // S4 is the constant 65280 because x2 = 65280.
  const std::vector<int> want = {0,     0,     254,   255,   999,   12799, 16383, 25599,
                                 32766, 32768, 40000, 50000, 51200, 60000, 65280, 65280};
  EXPECT_EQ(MapProbe(0, 128128, 255255, kCurveStraight), want);
}

TEST(GammaCurve, DefaultPointsCurvedReachFullScale) {
  const std::vector<int> want = {0,     0,     254,   255,   999,   12799, 16383, 25599,
                                 32766, 32768, 40000, 50000, 51200, 60000, 65280, 65535};
  EXPECT_EQ(MapProbe(0, 128128, 255255, kCurveCurved), want);
}

TEST(GammaCurve, CurvedWithZeroFirstOutputUsesTheQuadraticPiece) {
  // S4 reaches exactly 65535 at v = 65535 in exact arithmetic; in doubles
  // a0 + a1 * v + a2 * (v * v) lands a hair below and truncates to 65534.
  const std::vector<int> want = {0,     0,     438,   440,   1714,  20025, 24877, 35840,
                                 43089, 43090, 49542, 57035, 57822, 62868, 65280, 65534};
  EXPECT_EQ(MapProbe(0, 100140, 255255, kCurveCurved), want);
}

TEST(GammaCurve, CurvedWithLiftedEndsUsesCubicPiecesAndClamps) {
  // Near the top the cubic overshoots 65535 and is clamped.
  const std::vector<int> want = {0,     2,     628,   631,   2394,  20057, 23705, 31849,
                                 38399, 38400, 46105, 56781, 57935, 64607, 65535, 65534};
  EXPECT_EQ(MapProbe(20040, 128150, 230250, kCurveCurved), want);
}

TEST(GammaCurve, StraightToeAndShoulder) {
  // First point (50 -> 0): S1 is the line 0 * v, so everything below 12800
  // is black. Last point (200 -> 255): S4 is the line to (65535, 65535).
  const std::vector<int> want = {0,     0,     0,     0,     0,     0,     5881,  21005,
                                 32766, 32768, 45524, 63163, 65280, 65436, 65530, 65535};
  EXPECT_EQ(MapProbe(50000, 128128, 200255, kCurveStraight), want);
  // First point (10 -> 100): x0 = 2560 > 255, so S1 is the line v * 10.
  const std::vector<int> low = {0,     10,    2550,  2560,  10000, 28029, 28880, 31067,
                                32767, 32768, 37036, 42937, 43645, 48839, 63153, 65535};
  EXPECT_EQ(MapProbe(10100, 128128, 250200, kCurveStraight), low);
}

TEST(GammaCurve, EqualInputsAreSpreadByOneUnit) {
  // (100 -> 50) and (100 -> 150): the second input moves to 25601.
  const std::vector<int> want = {0,     0,     127,   128,   500,   6400,  8192,  12800,
                                 41983, 41983, 45599, 50599, 51200, 60000, 65280, 65535};
  EXPECT_EQ(MapProbe(100050, 100150, 200200, kCurveStraight), want);
  const GammaCurve c = Curve(100050, 100150, 200200, kCurveStraight);
  EXPECT_EQ(c.x0, 25600.0);
  EXPECT_EQ(c.x1, 25601.0);
}

TEST(GammaCurve, OneUnitWideCurvedSegmentStartsAtItsPoint) {
  // (0 -> 0), (200 -> 100), (200 -> 230): the middle input steps down to
  // x1 = 51199, so S3 spans one unit, from (51199, 25600) to (51200, 58880).
  // Its cubic has a3 near -3.3e4 against x1^3 near 1.3e14: each term must be
  // one rounded product with the exact power, or the sum at v = x1 lands
  // two 8-bit steps off (26112). At v = x1 the cubic is y1 = 100 * 256.
  const GammaCurve c = Curve(0, 200100, 200230, kCurveCurved);
  EXPECT_EQ(c.x1, 51199.0);
  EXPECT_EQ(c.x2, 51200.0);
  EXPECT_EQ(MapGammaSample(c, 51199), 25600);
}

TEST(GammaCurve, ZeroInputMovesToOneUnit) {
  const GammaCurve c = Curve(0, 128128, 255255, kCurveCurved);
  EXPECT_EQ(c.x0, 1.0);
  EXPECT_EQ(c.x1, 32768.0);
  EXPECT_EQ(c.x2, 65280.0);
}

TEST(GammaCurve, OutOfRangePointsAreClampedNotFatal) {
  // 999 -> 255, negative -> 0: the same as the clamped points.
  EXPECT_EQ(MapProbe(-5, 128128, 999999, kCurveCurved), MapProbe(0, 128128, 255255, kCurveCurved));
}

TEST(GammaCurve, EmptyPlaneIsLeftAlone) {
  uint16_t v = 1234;
  ApplyGammaPlane(&v, 0, 1, Curve(0, 100140, 255255, kCurveCurved));
  ApplyGammaPlane(&v, 1, -1, Curve(0, 100140, 255255, kCurveCurved));
  ApplyGammaPlane(nullptr, 5, 5, Curve(0, 100140, 255255, kCurveCurved));
  EXPECT_EQ(v, 1234);
}

TEST(GammaCurve, TablePassMatchesPerSampleMapping) {
  // A full sweep of every input through the plane pass and through the
  // single-sample mapping must agree: the plane pass is a lookup table.
  std::vector<uint16_t> plane(65536);
  for (int v = 0; v < 65536; ++v) plane[v] = static_cast<uint16_t>(v);
  ApplyGammaPlane(plane.data(), 256, 256, Curve(20040, 128150, 230250, kCurveCurved));
  const GammaCurve c = Curve(20040, 128150, 230250, kCurveCurved);
  int mismatches = 0;
  for (int v = 0; v < 65536; ++v) mismatches += plane[v] != MapGammaSample(c, v);
  EXPECT_EQ(mismatches, 0);
  // And the curve is monotonic for these points up to the clamp.
  for (int v = 1; v < 60000; ++v) ASSERT_GE(plane[v], plane[v - 1]) << v;
}

}  // namespace
}  // namespace tavo
