// SPDX-License-Identifier: MIT
#include "filters/distortion.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

// 5 x 5 position image (R = x * 1000 + row). D = (50 / 4)^1.5 = 44.194,
// centre (2, 2). k = 1: the corner (0, 0) has f = 1 - 8 / 44.194 = 0.81898,
// source (0.36204, 0.36204), fx = fy = 92: (1000 * 92 * 164 + 1 * 164 * 92
// + 1001 * 92 * 92) / 65536 = 359. The other samples come from a plain
// restatement in Python.
TEST(Distortion, CornerShift) {
  struct Case {
    int k;
    std::vector<int> want_r;  // row 0 first
  } const cases[] = {
      // Everything but the last row and column is kept.
      {0, {0, 1000, 2000, 3000, 0, 1, 1001, 2001, 3001, 0, 2, 1002, 2002, 3002, 0,
           3, 1003, 2003, 3003, 0, 0, 0, 0, 0, 0}},
      // Outward: filled from further in, the last row and column included.
      {1, {359, 1109, 2000, 2886, 3637, 223, 1044, 2001, 2954, 3774, 181, 1021, 2002, 2978, 3818,
           225, 1045, 2002, 2956, 3776, 363, 1113, 2003, 2890, 3640}},
      // Inward: the border samples fall outside and turn black.
      {-1, {0, 0, 0, 0, 0, 0, 954, 2000, 3043, 0, 0, 978, 2002, 3021, 0,
            0, 956, 2003, 3046, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Image img = MakePositionImage(5, 5);
    EXPECT_EQ(ApplyDistortion(img, {c.k}), kOpMade);
    EXPECT_EQ(PlaneValues(img.r.get(), img), c.want_r) << c.k;
  }
}

TEST(Distortion, TinyImagesAndHugeShifts) {
  // One pixel: its only sample fails x0 < w - 1. A shift that throws every
  // source position far outside gives black, not a wild read.
  Image one = MakeFlatImage(1, 1, 800);
  EXPECT_EQ(ApplyDistortion(one, {5}), kOpMade);
  EXPECT_EQ(Sample(one.r.get(), one, 0, 0), 0);
  Image big = MakeFlatImage(3, 2, 800);
  EXPECT_EQ(ApplyDistortion(big, {-2147483647 - 1}), kOpMade);
  EXPECT_EQ(Sample(big.g.get(), big, 0, 0), 0);
}

}  // namespace
}  // namespace tavo
