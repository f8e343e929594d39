// SPDX-License-Identifier: MIT
// Star detection and matching recover known shifts, rotations and scales
// on synthetic star fields.
#include <gtest/gtest.h>

#include <cmath>

#include "stack/deep/float_frame.h"
#include "stack/deep/match.h"
#include "stack/deep/stars.h"
#include "tests/stack/deep_sky.h"

namespace tavo {
namespace {

constexpr int kW = 480, kH = 360;

FrameMeasure Measure(const Image& image) {
  FloatFrame lum;
  EXPECT_EQ(FloatFromImage(image, 1, &lum), kOpMade);
  FrameMeasure m;
  MeasureStars(lum.Plane(0), kW, kH, StarParams(), &image, &m);
  return m;
}

TEST(DeepRegister, KnownTransformsAreRecovered) {
  const std::vector<SkyStar> sky = SkyStars(70, kW, kH, 5);
  const FrameMeasure reference = Measure(RenderSky(kW, kH, sky, Similarity(), 1.5, 1000, 20, 1));
  ASSERT_GE(reference.stars.size(), 40u);
  EXPECT_NEAR(reference.fwhm, 2.3548 * 1.5, 0.3);  // the stars' own width
  const struct {
    const char* name;
    Similarity truth;
  } cases[] = {
      {"shift", Turn(0, 1, 0, 0, 12.3, -7.8)},
      {"rotation", Turn(1.5, 1, kW / 2.0, kH / 2.0, 0, 0)},
      {"rotation, scale and shift", Turn(-2, 1.02, kW / 2.0, kH / 2.0, 5.5, 3.25)},
  };
  for (const auto& c : cases) {
    const FrameMeasure frame = Measure(RenderSky(kW, kH, sky, c.truth, 1.5, 1000, 20, 2));
    const Registration reg = RegisterStars(reference.stars, frame.stars, MatchParams());
    ASSERT_TRUE(reg.ok) << c.name;
    EXPECT_GE(reg.matched, 30) << c.name;
    EXPECT_LT(reg.residual, 0.1) << c.name;
    // Every corner and the centre land within 0.05 pixel of the truth.
    for (const auto& [x, y] : {std::pair{0, 0}, {kW, 0}, {0, kH}, {kW, kH}, {kW / 2, kH / 2}}) {
      double tx, ty, ex, ey;
      MapPoint(c.truth, x, y, &tx, &ty);
      MapPoint(reg.transform, x, y, &ex, &ey);
      EXPECT_LT(std::hypot(ex - tx, ey - ty), 0.05) << c.name << " at " << x << "," << y;
    }
  }
}

TEST(DeepRegister, AnotherFieldDoesNotMatch) {
  const FrameMeasure reference = Measure(RenderSky(kW, kH, SkyStars(70, kW, kH, 5), Similarity(), 1.5, 1000, 20, 1));
  const FrameMeasure other = Measure(RenderSky(kW, kH, SkyStars(70, kW, kH, 99), Similarity(), 1.5, 1000, 20, 1));
  EXPECT_FALSE(RegisterStars(reference.stars, other.stars, MatchParams()).ok);
}

// A lone hot pixel and a straight trail look like nothing a star does.
TEST(DeepRegister, HotPixelsAndTrailsAreNoStars) {
  Image image = RenderSky(kW, kH, {}, Similarity(), 1.5, 1000, 0, 1);
  image.r[100 * kW + 100] = image.g[100 * kW + 100] = image.b[100 * kW + 100] = 30000;
  for (int x = 200; x < 260; ++x) {
    for (int y = 199; y <= 201; ++y) image.r[y * kW + x] = image.g[y * kW + x] = image.b[y * kW + x] = 9000;
  }
  EXPECT_TRUE(Measure(image).stars.empty());
}

}  // namespace
}  // namespace tavo
