// SPDX-License-Identifier: MIT
#include "filters/rotate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/test_images.h"

namespace tavo {
namespace {

// A 3 x 2 position image (R = x * 1000 + row, row 0 at the bottom):
//   row 1:  1  1001  2001
//   row 0:  0  1000  2000
struct ExactCase {
  const char* what;
  int kind, angle;  // hundredths of a degree
  int want_w, want_h;
  std::vector<int> want_r;  // row 0 first
};

const ExactCase kExact[] = {
    // new(h - 1 - y, x) = old(x, y): old column x becomes row x, read from
    // the right.
    {"anticlockwise", kRotateByAngle, 9000, 2, 3, {1, 0, 1001, 1000, 2001, 2000}},
    // new(y, w - 1 - x) = old(x, y).
    {"clockwise", kRotateByAngle, -9000, 2, 3, {2000, 2001, 1000, 1001, 0, 1}},
    {"half turn", kRotateByAngle, -18000, 3, 2, {2001, 1001, 1, 2000, 1000, 0}},
    {"left-right", kMirrorLeftRight, 4500, 3, 2, {2000, 1000, 0, 2001, 1001, 1}},
    {"top-bottom", kMirrorTopBottom, 0, 3, 2, {1, 1001, 2001, 0, 1000, 2000}},
    // Angle 0 interpolates: same size, the last column and row black.
    {"angle 0", kRotateByAngle, 0, 3, 2, {0, 1000, 0, 0, 0, 0}},
};

TEST(Rotation, ExactTurnsAndMirrorsOnANonSquareImage) {
  for (const ExactCase& c : kExact) {
    Image img = MakePositionImage(3, 2);
    EXPECT_EQ(ApplyRotation(img, {c.kind, c.angle}), kOpMade) << c.what;
    EXPECT_EQ(img.width, c.want_w) << c.what;
    EXPECT_EQ(img.height, c.want_h) << c.what;
    EXPECT_EQ(PlaneValues(img.r.get(), img), c.want_r) << c.what;
  }
}

// Canvases and samples below come from a plain restatement of the mapping
// in Python.
TEST(Rotation, InterpolatedCanvas) {
  // 45 degrees on a flat 4 x 4: extents 4 sqrt 2 = 5.66 -> 5 x 5; inside
  // pixels keep 1000 exactly (the weights sum to 65536), the rest is black.
  Image flat = MakeFlatImage(4, 4, 1000);
  EXPECT_EQ(ApplyRotation(flat, {kRotateByAngle, 4500}), kOpMade);
  ASSERT_EQ(flat.width, 5);
  ASSERT_EQ(flat.height, 5);
  std::string mask;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const int v = Sample(flat.b.get(), flat, x, y);
      mask += v == 1000 ? '#' : v == 0 ? '.' : '?';
    }
    mask += '/';
  }
  EXPECT_EQ(mask, "...../..##./.####/..##./...../");
}

TEST(Rotation, PointsFollowThePicture) {
  // 45 degrees on 4 x 4: centres (2, 2) in and (2.5, 2.5) out. A point one
  // pixel right of the centre turns anticlockwise to (2.5 + c, 2.5 + s).
  Image img = MakeFlatImage(4, 4, 1000);
  PointPair points{2.0, 2.0, 3.0, 2.0};
  EXPECT_EQ(RotateImage(img, 45000, &points), kOpMade);
  const double c = std::cos(45 * 3.1415926 / 180), s = std::sin(45 * 3.1415926 / 180);
  EXPECT_NEAR(points.ax, 2.5, 1e-12);
  EXPECT_NEAR(points.ay, 2.5, 1e-12);
  EXPECT_NEAR(points.bx, 2.5 + c, 1e-12);
  EXPECT_NEAR(points.by, 2.5 + s, 1e-12);
}

// Every interpolated pixel of a one-pixel-wide source is black (x0 >= w -
// 1): at 12.5 degrees 1 x 7 turns into a 2 x 7 canvas, 1 x 1 stays 1 x 1.
TEST(Rotation, OnePixelWideTurnsBlack) {
  for (const int h : {1, 7}) {
    Image strip = MakeFlatImage(1, h, 500);
    EXPECT_EQ(ApplyRotation(strip, {kRotateByAngle, 1250}), kOpMade);
    EXPECT_EQ(strip.width * 10 + strip.height, h == 1 ? 11 : 27);
    for (const int v : PlaneValues(strip.r.get(), strip)) EXPECT_EQ(v, 0);
  }
}

}  // namespace
}  // namespace tavo
