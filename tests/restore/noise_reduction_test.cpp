// SPDX-License-Identifier: MIT
#include "restore/noise_reduction.h"

#include <gtest/gtest.h>
#include <omp.h>

#include "core/memory.h"
#include "core/slots.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(NoiseReduction, FlatStaysFlat) {
  const int sizes[][2] = {{1, 1}, {6, 1}, {1, 6}, {5, 4}};
  for (const auto& size : sizes) {
    for (const NoiseParams& p : {NoiseParams{3, 10, 1}, NoiseParams{5, 0, 5}, NoiseParams{5, 10, 3}}) {
      for (const uint16_t value : {uint16_t{0}, uint16_t{777}, uint16_t{65535}}) {
        Image img = MakeFlatImage(size[0], size[1], value);
        ASSERT_EQ(ApplyNoiseReduction(img, p), kOpMade);
        EXPECT_TRUE(SamePlanes(img, MakeFlatImage(size[0], size[1], value))) << size[0] << "x" << size[1];
      }
    }
  }
}

TEST(NoiseReduction, HotPixelIsPulledDown) {
  // 60000 on 1000, area 3, T = 12800. A difference of 59000 gives g =
  // 46200/256 + 1 = 181.47, so the weights 512 (S = 8) and 640 (S = 10)
  // shrink to 2 and 3.
  // Hot pixel: A = 1000 x (4 x 2 + 4 x 3) = 20000, N = 20, 2A/N = 2000.
  // Right of it: A = 60000 x 3 + 1000 x (3 x 640 + 4 x 512) = 4148000,
  // N = 3971, 2A/N = 2089. Diagonal: A = 60000 x 2 + 1000 x (4 x 640 + 3 x
  // 512) = 4216000, N = 4098, 2A/N = 2057. out = (2A/N + (s - 1) c) / (s + 1).
  struct Case {
    int strength, hot, right, diagonal;
  };
  const Case cases[] = {
      {5, 1000, 1044, 1028},                                     // s = 1: halves
      {1, (2000 + 4 * 60000) / 6, (2089 + 4000) / 6, (2057 + 4000) / 6},  // s = 5
  };
  for (const Case& c : cases) {
    Image img = MakeFlatImage(5, 5, 1000);
    img.b[2 * 5 + 2] = 60000;
    img.monochrome = 1;  // every plane is filtered all the same
    ASSERT_EQ(ApplyNoiseReduction(img, {3, 10, c.strength}), kOpMade);
    EXPECT_EQ(Sample(img.b.get(), img, 2, 2), c.hot);
    EXPECT_EQ(Sample(img.b.get(), img, 3, 2), c.right);
    EXPECT_EQ(Sample(img.b.get(), img, 1, 3), c.diagonal);
    EXPECT_EQ(Sample(img.b.get(), img, 0, 0), 1000);  // out of reach of the hot pixel
  }
}

TEST(NoiseReduction, StepSurvivesWhileSmallNoiseIsAveraged) {
  // 12 x 8, columns 0..5 around 10000 and 6..11 around 50000, each with a
  // 0/100 checkerboard. Inside a half every neighbour counts fully: those
  // at odd distance (S = 10 four times, S = 4 eight times) are of the other
  // colour, weight 4608; the rest (S = 8, eight times) 4096; N = 8704.
  // High centre: 2A/N = 2 x (4608 x 10000 + 4096 x 10100) / 8704 = 20094,
  // strength 5 halves it: 10047. Low centre: 20105 -> 10052.
  Image img = MakeFlatImage(12, 8, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) img.r[y * 12 + x] = (x < 6 ? 10000 : 50000) + ((x + y) % 2) * 100;
  }
  ASSERT_EQ(ApplyNoiseReduction(img, {5, 10, 5}), kOpMade);
  EXPECT_EQ(Sample(img.r.get(), img, 2, 2), 10052);
  EXPECT_EQ(Sample(img.r.get(), img, 3, 2), 10047);
  EXPECT_EQ(Sample(img.r.get(), img, 8, 2), 50052);
  // Across the step the difference of 40000 leaves weights of 2..5 against
  // hundreds, so the edge columns move by a few hundred, where a plain mean
  // of the 5 x 5 weights would take them half way.
  for (int y = 0; y < 8; ++y) {
    EXPECT_LT(Sample(img.r.get(), img, 5, y), 10500) << y;
    EXPECT_GT(Sample(img.r.get(), img, 6, y), 49500) << y;
  }
}

TEST(NoiseReduction, NothingWithoutMemoryOrPixels) {
  const Image before = MakeNoiseImage(9, 7, 1);
  Image img;
  ASSERT_TRUE(DuplicateImage(before, img));
  SetAvailableMemoryForTest(static_cast<int64_t>(NoiseReductionWorkBytes(9, 7)) - 1);
  EXPECT_EQ(ApplyNoiseReduction(img, NoiseParams{}), kOpNoMemory);
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(img, before));
  Image empty;
  EXPECT_EQ(ApplyNoiseReduction(empty, NoiseParams{}), kOpNothingToDo);
}

TEST(NoiseReduction, SameResultOnOneAndTwoThreads) {
  const Image src = MakeNoiseImage(131, 67, 8);
  const int before = omp_get_max_threads();
  Image out[2];
  for (int t = 0; t < 2; ++t) {
    ASSERT_TRUE(DuplicateImage(src, out[t]));
    omp_set_num_threads(t + 1);
    ASSERT_EQ(ApplyNoiseReduction(out[t], {5, 4, 2}), kOpMade);
  }
  omp_set_num_threads(before);
  EXPECT_TRUE(SamePlanes(out[0], out[1]));
}

}  // namespace
}  // namespace tavo
