// SPDX-License-Identifier: MIT
#include "stack/composite_points.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/slots.h"
#include "tests/stack/star_field.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(MarkedPoints, DistanceAndAngle) {
  struct Case {
    MarkedPoints m;
    double angle;
  };
  // Display y grows downwards; angles in thousandths of a degree.
  const Case cases[] = {{{0, 0, 10, 0}, 0},       {{0, 0, 10, 10}, 45000},  {{0, 0, -10, 0}, 180000},
                        {{0, 0, -10, 10}, 135000}, {{5, 5, 5, 9}, 90000},   {{5, 5, 5, 1}, -90000},
                        {{5, 5, 5, 5}, -90000}};
  for (const Case& c : cases) EXPECT_NEAR(MarkedAngle(c.m), c.angle, 1e-6) << c.m.bx << "," << c.m.by;
  EXPECT_DOUBLE_EQ(MarkedDistance({1, 1, 4, 5}), 5.0);
}

// Same points in both: no resize, no turn, offset (0, 0), so the result is
// the plain combine of the two inputs where they lie.
TEST(CompositeByPoints, SamePointsCombineInPlace) {
  const Image a = MakeNoiseImage(9, 7, 1), b = MakeNoiseImage(9, 7, 2);
  PointCompositeJob job;
  job.images[0] = &a, job.images[2] = &b;  // row 2 empty: b is input 2
  job.weights[0] = job.weights[2] = 100;
  job.points[0] = job.points[2] = {1, 2, 7, 5};
  job.normalise = false;
  Image got, want;
  ASSERT_EQ(CompositeByPoints(job, got), kOpMade);
  const StackInput in[2] = {{&a, 100, 0, 0}, {&b, 100, 0, 0}};
  ASSERT_TRUE(CombineStack(in, 2, 9, 7, kCombineAverage, -1, false, want));
  EXPECT_TRUE(SamePlanes(got, want));
  job.weights[2] = 0;  // one input left
  EXPECT_EQ(CompositeByPoints(job, got), kOpTooFewInputs);
}

// Two windows of one sky: b starts 3 columns right and 2 rows lower in the
// world than a. Stars at world (25, 20) and (40, 30): a stored (15, 10) and
// (30, 20), display rows 29 - row = 19 and 9; b stored (12, 12) and (27,
// 22), display 17 and 7. Midpoints: a (46 / 2, 31 / 2) = (23, 15), b (40 /
// 2, 35 / 2) = (20, 17); offset of b (3, -2), canvas y moved by 2: a at (0,
// 2), b at (3, 0); canvas 43 x 32. Canvas (x, y) is world (x + 10, y + 8).
TEST(CompositeByPoints, ShiftOnlyLaysWindowsOnTheWorld) {
  const Image world = MakeStarWorld(80, 60, 5);
  const Image a = CropWorld(world, 10, 10, 40, 30), b = CropWorld(world, 13, 8, 40, 30);
  PointCompositeJob job;
  job.images[0] = &a, job.images[1] = &b;
  job.weights[0] = job.weights[1] = 100;
  job.points[0] = {15, 19, 30, 9};
  job.points[1] = {12, 17, 27, 7};
  job.mode = kCombineMin;
  Image out;
  ASSERT_EQ(CompositeByPoints(job, out), kOpMade);
  ASSERT_EQ(out.width, 43);
  ASSERT_EQ(out.height, 32);
  for (int y = 2; y < 30; ++y) {
    for (int x = 3; x < 40; ++x) ASSERT_EQ(Sample(out.g.get(), out, x, y), Sample(world.g.get(), world, x + 10, y + 8));
  }
}

// Gaussian star of peak 30000 at (x, y) stored.
void Star(Image& img, double x, double y) {
  for (int row = 0; row < img.height; ++row) {
    for (int col = 0; col < img.width; ++col) {
      const double d2 = (col - x) * (col - x) + (row - y) * (row - y);
      const size_t i = static_cast<size_t>(row) * img.width + col;
      for (int c = 0; c < 3; ++c) img.Channel(c)[i] += static_cast<uint16_t>(30000 * std::exp(-d2 / 4.5));
    }
  }
}

// Intensity-weighted centre of the 9 x 9 window around (x, y).
void Centroid(const Image& img, int x, int y, double* cx, double* cy) {
  double s = 0, sx = 0, sy = 0;
  for (int row = y - 4; row <= y + 4; ++row) {
    for (int col = x - 4; col <= x + 4; ++col) {
      const double v = Sample(img.r.get(), img, col, row);
      s += v, sx += v * col, sy += v * row;
    }
  }
  *cx = sx / s, *cy = sy / s;
}

// Image b shows the stars of a turned 10 degrees anticlockwise and scaled
// by 1.1 about (60, 50), then moved by (5, -3). Marking A and B on both
// must bring the third star C of b back onto a's C within a pixel.
TEST(AlignByPoints, UndoesTurnAndScaleAtTheStars) {
  const double stars[3][2] = {{30, 40}, {90, 60}, {50, 80}};  // A, B, C stored
  Image a, b;
  AllocateImagePlanes(a, 120, 110, true);
  AllocateImagePlanes(b, 120, 110, true);
  const double t = 10 * 3.14159265358979 / 180, k = 1.1;
  double moved[3][2];
  for (int s = 0; s < 3; ++s) {
    const double dx = stars[s][0] - 60, dy = stars[s][1] - 50;
    moved[s][0] = 60 + k * (dx * std::cos(t) - dy * std::sin(t)) + 5;
    moved[s][1] = 50 + k * (dx * std::sin(t) + dy * std::cos(t)) - 3;
    Star(a, stars[s][0], stars[s][1]);
    Star(b, moved[s][0], moved[s][1]);
  }
  auto marks = [](const double (&p)[3][2]) {
    return MarkedPoints{static_cast<int>(std::lround(p[0][0])), 109 - static_cast<int>(std::lround(p[0][1])),
                        static_cast<int>(std::lround(p[1][0])), 109 - static_cast<int>(std::lround(p[1][1]))};
  };
  const MarkedPoints mb = marks(moved);
  int ox = 0, oy = 0;
  ASSERT_EQ(AlignByPoints(a.height, marks(stars), &b, &mb, 1, &ox, &oy), kOpMade);
  double cx = 0, cy = 0;
  Centroid(b, 50 - ox, 80 - oy, &cx, &cy);
  EXPECT_NEAR(cx + ox, 50, 1.0);
  EXPECT_NEAR(cy + oy, 80, 1.0);
}

Image Pixel(int r, int g, int b) {
  Image img;
  AllocateImagePlanes(img, 1, 1, false);
  img.r[0] = static_cast<uint16_t>(r), img.g[0] = static_cast<uint16_t>(g), img.b[0] = static_cast<uint16_t>(b);
  return img;
}

TEST(CompositeLrgb, ColourAndLuminanceStages) {
  struct Case {
    int l, l_weight, r, g, b, r_weight;
    std::vector<int> want;
  };
  const Case cases[] = {
      // No L: the channels as they are, R at half weight.
      {0, 0, 1000, 2000, 3000, 50, {500, 2000, 3000}},
      // Y_L 3000, Y_C (299000 + 1174000 + 342000) / 1000 = 1815, Y = 300000
      // / 200 = 1500; R (1500000 / 1815) x 2 = 826 x 2, G 1652 x 2, B 2479 x 2.
      {3000, 100, 1000, 2000, 3000, 100, {1652, 3304, 4958}},
      // Black colour: 1, 1, 1 with Y_C 1; Y = 100000 / 200 = 500; 2 x 500.
      {1000, 100, 0, 0, 0, 100, {1000, 1000, 1000}},
      // p 50: Y = (2000 x 50 + 1000 x 50) / 200 = 750; (750 x 1000 / 1000) x 2.
      {2000, 50, 1000, 1000, 1000, 100, {1500, 1500, 1500}},
  };
  for (const Case& c : cases) {
    const Image l = Pixel(c.l, c.l, c.l), rgb = Pixel(c.r, c.g, c.b);
    LrgbJob job;
    job.images[0] = &l;
    job.weights[0] = c.l_weight;
    for (int row = 1; row < 4; ++row) job.images[row] = &rgb, job.weights[row] = 100;
    job.weights[1] = c.r_weight;
    for (MarkedPoints& p : job.points) p = {0, 0, 100, 100};
    Image out;
    ASSERT_EQ(CompositeLrgb(job, out), kOpMade);
    EXPECT_EQ(PixelValues(out, 0, 0), c.want) << c.l << " " << c.r;
  }
  LrgbJob missing;
  Image none;
  EXPECT_EQ(CompositeLrgb(missing, none), kOpTooFewInputs);
}

}  // namespace
}  // namespace tavo
