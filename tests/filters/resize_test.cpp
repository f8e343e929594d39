// SPDX-License-Identifier: MIT
#include "filters/resize.h"

#include <gtest/gtest.h>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(ReduceResizeFactors, EachDivisorOnceThenHalving) {
  struct Case {
    int to, from, want_to, want_from;
  } const cases[] = {
      {8, 4, 4, 2},         // 2 divides once only
      {9, 27, 3, 9},        // 3 once; 9 would divide again but 3 % 9 != 0
      {1500, 3000, 2, 4},   // 2, 3, 5 and 25 once each: 2 is left twice
      {4999, 6000, 2499, 3000},  // coprime, then halved below 4096
      {8193, 1, 4096, 1},   // halving leaves 0, which stands for 1
  };
  for (const Case& c : cases) {
    int to = c.to, from = c.from;
    ReduceResizeFactors(&to, &from);
    EXPECT_EQ(to, c.want_to) << c.to << "/" << c.from;
    EXPECT_EQ(from, c.want_from) << c.to << "/" << c.from;
  }
}

TEST(LanczosWeights, PhaseZeroSharpensThroughTheDiagonals) {
  // r = sqrt 2: 2 sin(4.44288) sin(2.22144) / (2 pi^2) = 2 (-0.96390)
  // (0.79569) / 19.7392 = -0.077710; axis taps (r = 1, 2) are 0, the rest
  // lie beyond 2. Sum 1 - 4 x 0.077710 = 0.689158: centre 1.451045,
  // diagonals -0.112761.
  double w[25];
  LanczosWeights(0, 0, w);
  EXPECT_NEAR(w[12], 1.451045, 1e-6);
  for (const int i : {6, 8, 16, 18}) EXPECT_NEAR(w[i], -0.112761, 1e-6);
  for (const int i : {2, 7, 10, 11, 13, 14, 17, 22, 0, 4, 20, 24}) EXPECT_NEAR(w[i], 0.0, 1e-12);
}

// Values encode position: R = x * 1000 + row.
struct ResizeCase {
  const char* what;
  int w, h, method, x_to, x_from, y_to, y_from;
  int want_w, want_h;
  std::vector<int> want_r;  // row 0 first
};

const ResizeCase kResizeCases[] = {
    // sx = x * 2 / 5 with the factor as given: 0 0 0 1 1.
    {"nearest 5/2", 2, 1, kResizeNearest, 5, 2, 1, 1, 5, 1, {0, 0, 0, 1000, 1000}},
    // 4 x 4 halved is a box average (new height 2 is not > 8 / 3): boxes end
    // below the last index, so (1, 0) takes column 2 of rows 0, 1 and (1, 1)
    // the single sample (2, 2). (0, 0): (0 + 1000 + 1 + 1001) / 2 / 2.
    {"bilinear halving boxes", 4, 4, kResizeBilinear, 1, 2, 1, 2, 2, 2, {500, 2000, 502, 2002}},
    // Width doubled, height halved: 2 x 4 -> 4 x 2 by boxes. Column boxes
    // [0, 0) and [1, 1) are empty and take columns 0 and 1; row boxes [0, 2)
    // and [2, 3). (0, 0): (0 + 1) / 1 / 2 = 0; (3, 0): 2001 / 2.
    {"boxes, widened and lowered", 2, 4, kResizeBilinear, 2, 1, 1, 2, 4, 2,
     {0, 0, 1000, 1000, 2, 2, 1002, 1002}},
    // 2 x 1 doubled by interpolation: fx = 64 at odd x, sy1 = sy = 0.
    // (1, 0): 1000 * 64 * 128 / 16384 = 500; the last column repeats.
    {"bilinear doubling", 2, 1, kResizeBilinear, 2, 1, 2, 1, 4, 2, {0, 500, 1000, 1000, 0, 500, 1000, 1000}},
};

TEST(Resize, HandWorkedCases) {
  for (const ResizeCase& c : kResizeCases) {
    Image img = MakePositionImage(c.w, c.h);
    EXPECT_EQ(ApplyResize(img, {c.x_to, c.x_from, c.y_to, c.y_from, c.method}), kOpMade) << c.what;
    EXPECT_EQ(img.width, c.want_w) << c.what;
    EXPECT_EQ(img.height, c.want_h) << c.what;
    EXPECT_EQ(PlaneValues(img.r.get(), img), c.want_r) << c.what;
  }
}

TEST(Resize, SameSizeAndOnePixel) {
  // to = from: bilinear copies exactly; Lanczos sharpens a lone peak by
  // the centre weight 1.451045 and its diagonal taps go negative -> 0.
  Image copy = MakeNoiseImage(5, 4, 2);
  EXPECT_EQ(ResizeBilinear(copy, 5, 5, 4, 4), kOpMade);
  EXPECT_TRUE(SamePlanes(copy, MakeNoiseImage(5, 4, 2)));
  std::vector<int> peak(25, 0);
  peak[12] = 1000;
  Image lanczos = MakeImageFromRows(5, 5, peak);
  EXPECT_EQ(ResizeLanczos(lanczos, 1, 1, 1, 1), kOpMade);
  EXPECT_EQ(Sample(lanczos.r.get(), lanczos, 2, 2), 1451);
  EXPECT_EQ(Sample(lanczos.r.get(), lanczos, 3, 3), 0);
  // A 1 x 1 image enlarged by every method repeats its only sample; one
  // halved has no pixel left.
  for (const int method : {kResizeNearest, kResizeBilinear, kResizeLanczos}) {
    Image one = MakeFlatImage(1, 1, 1000);
    EXPECT_EQ(ApplyResize(one, {3, 1, 2, 1, method}), kOpMade);
    for (const int v : PlaneValues(one.g.get(), one)) EXPECT_NEAR(v, 1000, 1) << method;
    EXPECT_EQ(ApplyResize(one, {1, 6, 1, 1, method}), kOpNothingToDo);
    EXPECT_EQ(one.width * 10 + one.height, 32);
  }
}

// A crop larger than the image takes it whole, but the resize still goes
// from the requested size: 8 x 6 at 50 % is 4 x 3 from 8 x 6, so the whole
// 4 x 3 image becomes 4 x 2 / 4 = 2 (4/8 reduced to 2/4) by 3 x 1 / 2 = 1.
TEST(CropResize, ResizesFromTheRequestedSize) {
  const Image src = MakePositionImage(4, 3);
  Image whole, half, none = MakeFlatImage(2, 2, 7);
  EXPECT_EQ(ApplyCropResize(src, whole, {4, 8, 6, kCropByScale, 0, 0, 100}), kOpMade);
  EXPECT_TRUE(SamePlanes(whole, src));
  EXPECT_EQ(ApplyCropResize(src, half, {4, 8, 6, kCropByScale, 0, 0, 50}), kOpMade);
  EXPECT_EQ(half.width * 10 + half.height, 21);
  EXPECT_EQ(ApplyCropResize(src, none, {4, 0, 6, kCropByScale, 0, 0, 50}), kOpNothingToDo);
  EXPECT_TRUE(SamePlanes(none, MakeFlatImage(2, 2, 7)));
}

}  // namespace
}  // namespace tavo
