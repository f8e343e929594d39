// SPDX-License-Identifier: MIT
#include "stack/background_image.h"

#include <gtest/gtest.h>
#include <omp.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

using Ints = std::vector<int>;

// Reference 2 x 2 (row 0: 10, 20; row 1: 30, 65535) under a 4 x 4 target:
// the last column and row extend it, + 1 with 65535 wrapping to 0. Peak
// grid: row 1 and column 1 only, reference (1, 1) = 65535.
TEST(ImageBackground, EdgeExtensionWrapAndPeak) {
  const uint16_t ref[4] = {10, 20, 30, 65535};
  uint16_t out[16];
  EXPECT_EQ(ImageBackground(out, 4, 4, ref, 2, 2), 65535);
  EXPECT_EQ(Ints({out[0], out[3], out[12], out[15], out[5]}), Ints({11, 21, 31, 0, 0}));
}

TEST(ApplyImageBackground, FlatFrameModes) {
  struct Case {
    int mode, background, shift, want;
  };
  const Case cases[] = {
      // B 1001, peak 1000, s 62: (62000 / 1001 = 61) x 16.
      {kBackgroundImageDivide, 1000, 0, 976},
      // 1000 - 1001 + 30 x 256.
      {kBackgroundImageSubtract, 1000, 30, 7679},
      // A background of 65535 is 0 after the + 1: divide gives 65535.
      {kBackgroundImageDivide, 65535, 0, 65535},
      {kBackgroundImageReplace, 7, 0, 8},
  };
  for (const Case& c : cases) {
    Image img = MakeFlatImage(8, 8, 1000);
    const Image bg = MakeFlatImage(8, 8, static_cast<uint16_t>(c.background));
    ASSERT_EQ(ApplyImageBackground(img, c.mode, bg, c.shift), kOpMade);
    EXPECT_EQ(PixelValues(img, 7, 0), Ints({c.want, c.want, c.want})) << c.mode << " " << c.background;
  }
  Image img = MakeFlatImage(8, 8, 1000);
  EXPECT_EQ(ApplyImageBackground(img, 2, img, 0), kOpNothingToDo);
}

// 64 x 64 of level 1000; half resolution 32 x 32, area 32 (steps of 8,
// fewer near the edges), smoothing 2 (a 3 x 3 box).
Image Generated(const Image& in, int exclude_zero) {
  Image out;
  EXPECT_EQ(MakeBackgroundData(in, out, {32, 2, exclude_zero}), kOpMade);
  return out;
}

// A star of 5 x 5 pixels reaches at most 4 of the 25 candidates, so the
// third and fourth smallest stay 1000 everywhere.
TEST(GenerateBackground, FlatStaysFlatAndStarsLeaveNoTrace) {
  Image in = MakeFlatImage(64, 64, 1000);
  for (int y = 30; y < 35; ++y) {
    for (int x = 30; x < 35; ++x) in.r[static_cast<size_t>(y) * 64 + x] = 30000;
  }
  const Image out = Generated(in, 1);
  EXPECT_TRUE(SamePlanes(out, MakeFlatImage(64, 64, 1000)));
}

// Columns 0..15 black (half columns 0..7). At half column 12 the grid step
// is 12 / 2 = 6: candidates at columns 6, 12, 18, 24, one of them black in
// each of the five grid rows (half row 16, step (32 - 16 - 1) / 2 = 7).
// Columns 11 and 13 likewise reach black ones. Without the flag the four
// smallest are 0 there; with it they are 1000. Full column 24, row 32.
TEST(GenerateBackground, ExcludeZeroKeepsBlackBordersOut) {
  Image in = MakeFlatImage(64, 64, 1000);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 16; ++x) in.r[static_cast<size_t>(y) * 64 + x] = 0;
  }
  EXPECT_EQ(Sample(Generated(in, 1).r.get(), in, 24, 32), 1000);
  EXPECT_EQ(Sample(Generated(in, 0).r.get(), in, 24, 32), 0);
}

TEST(GenerateBackground, SmallPlanesCopiedAndOddEdgesRepeated) {
  const Image small = MakePositionImage(4, 7);
  Image out;
  ASSERT_EQ(MakeBackgroundData(small, out, {8, 2, 1}), kOpMade);
  EXPECT_TRUE(SamePlanes(out, small));
  // 13 x 11: the last column and row repeat the ones before them.
  const Image noise = MakeNoiseImage(13, 11, 4);
  ASSERT_EQ(MakeBackgroundData(noise, out, {8, 2, 1}), kOpMade);
  for (int y = 0; y < 11; ++y) EXPECT_EQ(Sample(out.g.get(), out, 12, y), Sample(out.g.get(), out, 11, y));
  for (int x = 0; x < 13; ++x) EXPECT_EQ(Sample(out.b.get(), out, x, 10), Sample(out.b.get(), out, x, 9));
}

TEST(GenerateBackground, SameBitsWithOneAndTwoThreads) {
  const Image in = MakeNoiseImage(530, 520, 8);
  Image one, two;
  omp_set_num_threads(1);
  ASSERT_EQ(MakeBackgroundData(in, one, {64, 16, 1}), kOpMade);
  omp_set_num_threads(2);
  ASSERT_EQ(MakeBackgroundData(in, two, {64, 16, 1}), kOpMade);
  EXPECT_TRUE(SamePlanes(one, two));
}

}  // namespace
}  // namespace tavo
