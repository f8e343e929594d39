// SPDX-License-Identifier: MIT
#include "stack/background_points.h"

#include <gtest/gtest.h>
#include <omp.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

using Ints = std::vector<int>;

SkyPoint Point(int x, int row, int level) { return {x, row, {level, level, level}}; }

TEST(FitPointBackground, FlatLevelsAndDegenerateSets) {
  struct Case {
    std::vector<SkyPoint> points;
    int mode, shift, want;
  };
  const Case cases[] = {
      // All at level 1000: a = 0, b = 1000; 1500 - 1000 + 2 x 256.
      {{Point(2, 3, 1000), Point(9, 1, 1000), Point(5, 7, 1000)}, 4, 2, 1012},
      // Divide: 1500 x trunc(1000) / 1000.
      {{Point(2, 3, 1000), Point(9, 1, 1000), Point(5, 7, 1000)}, 3, 0, 1500},
      // One place, two levels: no pair to take a slope from, a = 0, b =
      // the mean 1100, so 1500 - 1100 and no NaN anywhere.
      {{Point(4, 4, 1000), Point(4, 4, 1200)}, 4, 0, 400},
      // Fewer than two points: unchanged.
      {{Point(4, 4, 1000)}, 4, 0, 1500},
  };
  for (const Case& c : cases) {
    Image img = MakeFlatImage(12, 10, 1500);
    FitPointBackground(img, c.points.data(), static_cast<int>(c.points.size()), c.mode, c.shift);
    EXPECT_EQ(PixelValues(img, 0, 9), Ints({c.want, c.want, c.want})) << c.points.size() << " " << c.mode;
  }
}

// Levels 1000 + 2 d^2 around (20, 20) of a 40 x 40 image. With e = 1 a
// tilt moves the centre: (x - 10)^2 - 20 (x - 10) = (x - 20)^2 - 100, so
// the first centre searched, (10, 10), fits exactly with px = py = -20, a =
// 2 and b = 1000 + 2 x 200; being first it wins, with any thread count.
TEST(FitSkyModel, FirstOfTheExactFitsWins) {
  std::vector<SkyPoint> points;
  const int places[5][2] = {{20, 20}, {30, 20}, {20, 5}, {2, 35}, {37, 38}};
  for (const auto& p : places) {
    const int d2 = (p[0] - 20) * (p[0] - 20) + (p[1] - 20) * (p[1] - 20);
    points.push_back(Point(p[0], p[1], 1000 + 2 * d2));
  }
  omp_set_num_threads(1);
  const SkyModel one = FitSkyModel(points.data(), 5, 1, 40, 40);
  omp_set_num_threads(2);
  const SkyModel two = FitSkyModel(points.data(), 5, 1, 40, 40);
  EXPECT_EQ(std::vector<double>({one.cx, one.cy, one.e}), std::vector<double>({10, 10, 1.0}));
  EXPECT_NEAR(one.px, -20, 1e-9);
  EXPECT_NEAR(one.py, -20, 1e-9);
  EXPECT_NEAR(one.a, 2, 1e-6);
  EXPECT_NEAR(one.b, 1400, 1e-3);
  EXPECT_EQ(std::vector<double>({one.px, one.py, one.a, one.b}), std::vector<double>({two.px, two.py, two.a, two.b}));
}

}  // namespace
}  // namespace tavo
