// SPDX-License-Identifier: MIT
#include "stack/background_image.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <utility>

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

namespace tavo {
namespace {

// The generation written out step by step, pixel by pixel.
std::vector<int> SlowBackground(const Image& img, int area, int smoothing) {
  const int W = img.width, H = img.height, w = W / 2, h = H / 2, q = area / 4, r = smoothing / 2;
  auto in = [&](int x, int y) { return int{img.r[static_cast<size_t>(y) * W + x]}; };
  std::vector<int> s(w * h), b1(w * h), b2(w * h), b3(w * h), out(W * H);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s[y * w + x] = (in(2 * x, 2 * y) + in(2 * x + 1, 2 * y) + in(2 * x, 2 * y + 1) + in(2 * x + 1, 2 * y + 1)) >> 2;
  }
  auto step = [&](int v, int n) {
    int st = q;
    if (v < 2 * q) st = v / 2;
    if (v >= n - 2 * q) st = (n - v - 1) / 2;
    return std::max(st, 2);
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::vector<int> c = {65535, 65535, 65535, 65535};
      for (int j = -2; j <= 2; ++j) {
        for (int i = -2; i <= 2; ++i) {
          const int xx = x + i * step(x, w), yy = y + j * step(y, h);
          if (xx >= 1 && xx <= w - 2 && yy >= 1 && yy <= h - 2 && s[yy * w + xx] > 0) c.push_back(s[yy * w + xx]);
        }
      }
      std::sort(c.begin(), c.end());
      b1[y * w + x] = (c[2] + c[3]) >> 1;
    }
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int reach = pass == 0 ? 1 : r;
        std::vector<int> v;
        for (int yy = std::max(y - reach, 0); yy <= std::min(y + reach, h - 1); ++yy) {
          for (int xx = std::max(x - reach, 0); xx <= std::min(x + reach, w - 1); ++xx) {
            v.push_back((pass == 0 ? b1 : b2)[yy * w + xx]);
          }
        }
        std::sort(v.begin(), v.end());
        long sum = 0;
        for (int e : v) sum += e;
        if (pass == 0) b2[y * w + x] = static_cast<int>((sum - v.front() - v.back()) / (long(v.size()) - 2));
        else b3[y * w + x] = static_cast<int>(sum / long(v.size()));
      }
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int v = b3[y * w + x];
      const bool lx = x == w - 1, ly = y == h - 1;
      out[2 * y * W + 2 * x] = v;
      out[2 * y * W + 2 * x + 1] = lx ? v : (v + b3[y * w + x + 1]) >> 1;
      out[(2 * y + 1) * W + 2 * x] = ly ? v : (v + b3[(y + 1) * w + x]) >> 1;
      out[(2 * y + 1) * W + 2 * x + 1] = lx || ly ? v : (v + b3[(y + 1) * w + x + 1]) >> 1;
    }
  }
  return out;
}

TEST(GenerateBackground, MatchesTheStepByStepComputation) {
  Image img = MakeNoiseImage(90, 64, 6);
  for (int i = 0; i < 300; ++i) img.r[i * 19] = 0;  // zeros to leave out
  for (const auto& [area, smoothing] : {std::pair{8, 2}, std::pair{32, 16}, std::pair{64, 6}}) {
    Image out;
    ASSERT_EQ(MakeBackgroundData(img, out, {area, smoothing, 1}), kOpMade);
    EXPECT_EQ(PlaneValues(out.r.get(), out), SlowBackground(img, area, smoothing)) << area << " " << smoothing;
  }
}

}  // namespace
}  // namespace tavo
