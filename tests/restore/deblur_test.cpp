// SPDX-License-Identifier: MIT
#include "restore/deblur.h"

#include <gtest/gtest.h>
#include <omp.h>

#include "core/memory.h"
#include "core/slots.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(DeblurKernel, ExtentAndNormalisation) {
  struct Case {
    int spread, dullness, radius;
    double centre_over_corner;  // bell at the centre / bell at a corner of the square
  };
  const Case cases[] = {
      // 1 / (r^2 + 1): row 6 peaks at 1/37 > 0.02, row 7 at 1/50, not above
      // 0.02; corner r^2 = 72.
      {10, 20, 6, 73.0},
      // 1 / ((r^2 / 10)^0.05 + 1): even the corner (r^2 = 200) is 0.46.
      {100, 1, 10, 2.1615863496415424},  // 20^0.05 + 1
      // 1 / ((2 r^2)^2 + 1): 0.2 at r^2 = 1, 1/17 at 2, 1/65 < 0.02 at 4.
      {5, 40, 1, 17.0},
      // 1 / ((10 r^2)^2.5 + 1): 1/317 at r^2 = 1, only the centre is used.
      {1, 50, 0, 1.0},
      {0, 0, 10, 2.462350573556962},  // taken as 1, 1: 2000^0.05 + 1
  };
  for (const Case& c : cases) {
    const DeblurKernel k = MakeDeblurKernel(c.spread, c.dullness);
    ASSERT_EQ(k.radius, c.radius) << c.spread << "/" << c.dullness;
    const int side = 2 * k.radius + 1;
    double sum = 0.0;
    for (int j = 0; j < side; ++j) {
      for (int i = 0; i < side; ++i) sum += k.k[j][i];
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);
    EXPECT_NEAR(k.k[k.radius][k.radius] / k.k[0][0], c.centre_over_corner, 1e-9);
  }
}

TEST(Deblur, FlatStaysFlatOnEveryShape) {
  // K sums to 1, so K * E = E and T = 0; clamped borders repeat the same
  // value, so no dark frame forms whatever the extent.
  const DeblurParams params[] = {{10, 20, 3, 1}, {100, 1, 5, 3}, {1, 50, 5, 3}, {37, 13, 2, 2}};
  const int sizes[][2] = {{1, 1}, {9, 1}, {1, 9}, {7, 5}};
  for (const DeblurParams& p : params) {
    for (const auto& size : sizes) {
      for (const uint16_t value : {uint16_t{0}, uint16_t{1}, uint16_t{12345}, uint16_t{65535}}) {
        Image img = MakeFlatImage(size[0], size[1], value);
        ASSERT_EQ(ApplyDeblur(img, p), kOpMade);
        EXPECT_TRUE(SamePlanes(img, MakeFlatImage(size[0], size[1], value)))
            << p.spread << "/" << p.dullness << " " << size[0] << "x" << size[1] << " " << value;
      }
    }
  }
}

TEST(Deblur, OneIterationIsThreeTimesTheImageLessTwiceItsBlur) {
  // Spread 0.5, dullness 4.0: bell 1, 0.2 (sides), 1/17 (corners), sum
  // 34.6/17, so K = 17, 3.4, 1 over 34.6. A 3460 bump on 20000 blurs to
  // 1700, 340, 100 above 20000; E = 3 O - 2 K * O. 17 columns: the bump at
  // x = 15 has neighbours in the 16-pixel lanes and in the one-pixel tail.
  Image img = MakeFlatImage(17, 5, 20000);
  img.r[2 * 17 + 15] = 23460;
  img.g[2 * 17 + 15] = 23460;
  img.monochrome = 1;
  Image emphasised;
  ASSERT_TRUE(DuplicateImage(img, emphasised));
  ASSERT_EQ(ApplyDeblur(img, {5, 40, 1, 0}), kOpMade);
  const int want[][3] = {{15, 2, 26980}, {16, 2, 19320}, {14, 2, 19320}, {15, 1, 19320},
                         {16, 3, 19800}, {14, 1, 19800}, {13, 2, 20000}, {0, 0, 20000}};
  for (const auto& w : want) EXPECT_EQ(Sample(img.r.get(), img, w[0], w[1]), w[2]) << w[0] << "," << w[1];
  EXPECT_EQ(Sample(img.g.get(), img, 15, 2), 23460);  // monochrome: R only
  // Emphasis 1: 2E - K * E. At the centre E - 20000 is 6980, -680 at the
  // sides, -200 at the corners: K * E = 20000 + (17 x 6980 - 4 x 3.4 x 680
  // - 4 x 200) / 34.6 = 23139.08; 53960 - 23139.08 = 30820.9.
  ASSERT_EQ(ApplyDeblur(emphasised, {5, 40, 1, 1}), kOpMade);
  EXPECT_EQ(Sample(emphasised.r.get(), emphasised, 15, 2), 30820);
}

TEST(Deblur, NothingWithoutMemoryOrPixels) {
  const Image before = MakeNoiseImage(20, 10, 5);
  Image img;
  ASSERT_TRUE(DuplicateImage(before, img));
  const DeblurParams p;
  SetAvailableMemoryForTest(static_cast<int64_t>(DeblurWorkBytes(20, 10, p)) - 1);
  EXPECT_EQ(ApplyDeblur(img, p), kOpNoMemory);
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(img, before));
  Image empty;
  EXPECT_EQ(ApplyDeblur(empty, p), kOpNothingToDo);
}

TEST(Deblur, SameResultOnOneAndTwoThreads) {
  const Image src = MakeNoiseImage(157, 61, 3);
  const int before = omp_get_max_threads();
  Image out[2];
  for (int t = 0; t < 2; ++t) {
    ASSERT_TRUE(DuplicateImage(src, out[t]));
    omp_set_num_threads(t + 1);
    ASSERT_EQ(ApplyDeblur(out[t], {23, 17, 4, 2}), kOpMade);
  }
  omp_set_num_threads(before);
  EXPECT_TRUE(SamePlanes(out[0], out[1]));
}

}  // namespace
}  // namespace tavo
