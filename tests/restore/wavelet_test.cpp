// SPDX-License-Identifier: MIT
#include "restore/wavelet.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <cstring>
#include <vector>

#include "core/memory.h"
#include "core/slots.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

WaveletParams Gains(const int (&gains)[6], int enlarge = 0, int order = 2) {
  WaveletParams p;
  for (int i = 0; i < 6; ++i) p.gains[i] = gains[i];
  p.enlarge = enlarge;
  p.filter_order = order;
  return p;
}

Image Copy(const Image& src) {
  Image out;
  EXPECT_TRUE(DuplicateImage(src, out));
  return out;
}

TEST(Wavelet, FlatStaysFlatAndUnityGainsChangeNothing) {
  // A flat plane has no detail at any level, whatever the gains; with all
  // gains 1.0 any plane comes back as it was. Sizes cover one row, one
  // column and a side that is already a multiple of 32.
  const int odd[6] = {10, 0, 33, 500, 1, 90};
  const int sizes[][2] = {{1, 1}, {9, 1}, {1, 9}, {32, 32}, {37, 23}};
  for (const auto& size : sizes) {
    for (const uint16_t value : {uint16_t{0}, uint16_t{1}, uint16_t{12345}, uint16_t{65535}}) {
      for (int enlarge = 0; enlarge <= 1; ++enlarge) {
        for (int preset = 0; preset <= kWaveletPresetCount; ++preset) {
          Image img = MakeFlatImage(size[0], size[1], value);
          const WaveletParams p = Gains(preset < kWaveletPresetCount ? kWaveletPresets[preset] : odd, enlarge, 1 + preset * 2);
          ASSERT_EQ(ApplyWavelet(img, p), kOpMade);
          EXPECT_TRUE(SamePlanes(img, MakeFlatImage(size[0] << enlarge, size[1] << enlarge, value)))
              << size[0] << "x" << size[1] << " value " << value << " preset " << preset << " enlarge " << enlarge;
        }
      }
    }
    Image noise = MakeNoiseImage(size[0], size[1], 4);
    Image img = Copy(noise);
    ASSERT_EQ(ApplyWavelet(img, Gains(kWaveletPresets[0])), kOpMade);
    EXPECT_TRUE(SamePlanes(img, noise));
  }
}

TEST(Wavelet, BrightCornerPixelEnergyPerLevel) {
  // 31 x 31 pads to 32 x 32. One pixel v = 40960 at (0, 0), zero elsewhere:
  // level k holds v / 4^k at its corner, its 2 x 2 mean is v / 4^(k+1), and
  // the prediction from that mean is taken off at (0,0) in full (corner),
  // 0.76 and 0.24 of it along the first row and column, 0.54, 0.17, 0.17,
  // 0.12 in the block below. With m = v / 4^k the detail is 0.75 m, -0.19 m
  // (twice), -0.06 m (twice), -0.135 m, -0.0425 m (twice), -0.03 m:
  // energy 0.6646375 m^2. Level 4 is 2 x 2 with one coarse value: 160 less
  // 40 and three times -40, 14400 + 3 x 1600 = 19200. Residual 40^2.
  std::vector<uint16_t> plane(31 * 31, 0);
  plane[0] = 40960;
  double energy[6];
  ASSERT_TRUE(WaveletSubbandEnergy(plane.data(), 31, 31, energy));
  const double want[6] = {0.6646375 * 40960.0 * 40960.0, 0.6646375 * 10240.0 * 10240.0,
                          0.6646375 * 2560.0 * 2560.0,   0.6646375 * 640.0 * 640.0,
                          19200.0,                       1600.0};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(energy[k], want[k], want[k] * 1e-12) << "level " << k;
}

TEST(Wavelet, AGainOfTwoAddsItsBandOnceMore) {
  // The same corner pattern, m = 4096 over a flat 20000 (which has no
  // detail). "1(H)" at 2.0 adds the level-0 detail once more: 0.75 m,
  // -0.19 m, -0.06 m, -0.135 m, -0.0425 m, -0.03 m. "2" at 2.0 adds the
  // level-1 detail (m / 4 = 1024: 768 at its corner, -194.56 beside it) as
  // predicted onto level 0: 768 at (0, 0); 0.76 x 768 + 0.24 x -194.56 =
  // 536.99 at (1, 0).
  struct Case {
    int gains[6];
    int want[4][3];  // x, row, value
  };
  const Case cases[] = {
      {{10, 10, 10, 10, 10, 20}, {{0, 0, 27168}, {1, 0, 19221}, {2, 2, 19877}, {3, 3, 20000}}},
      {{10, 10, 10, 10, 20, 10}, {{0, 0, 24864}, {1, 0, 20536}, {0, 1, 20536}, {12, 12, 20000}}},
  };
  for (const Case& c : cases) {
    Image img = MakeFlatImage(31, 31, 20000);
    img.r[0] = 24096;
    img.monochrome = 1;
    ASSERT_EQ(ApplyWavelet(img, Gains(c.gains)), kOpMade);
    for (const auto& w : c.want) EXPECT_EQ(Sample(img.r.get(), img, w[0], w[1]), w[2]) << w[0] << "," << w[1];
  }
}

TEST(Wavelet, EnlargingDoublesTheSidesThroughTheSynthesis) {
  // Haar (order 1, h = 1, 1) with all gains 1.0: no analysis step, and the
  // one synthesis step with zero details repeats every sample 2 x 2.
  Image img = MakePositionImage(3, 2);
  ASSERT_EQ(ApplyWavelet(img, Gains(kWaveletPresets[0], 1, 1)), kOpMade);
  ASSERT_EQ(img.width, 6);
  ASSERT_EQ(img.height, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(Sample(img.g.get(), img, x, y), (x / 2) * 1000 + y / 2 + 1);
  }
  // Gain 2.0 on "1(H)" only: L = 1. The row (20000, 10000) less 32768,
  // padded to two rows: low -17768, high 5000 doubled to 10000; synthesis
  // gives -7768 and -27768, + 32768 = 25000 and 5000, each repeated.
  Image pair = MakeFlatImage(2, 1, 20000);
  pair.r[1] = 10000;
  pair.monochrome = 1;  // G and B still get the new size
  ASSERT_EQ(ApplyWavelet(pair, Gains({10, 10, 10, 10, 10, 20}, 1, 1)), kOpMade);
  const std::vector<int> row = {25000, 25000, 5000, 5000};
  for (int c = 0; c < 3; ++c) {
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) EXPECT_EQ(Sample(pair.Channel(c), pair, x, y), row[x]) << c;
    }
  }
  // With gain "5(L)" not 1.0, L = 5 and the coarse band takes gain 0: a
  // flat 12345 becomes 32768 + 0.7 x (12345 - 32768) = 18471.9.
  Image flat = MakeFlatImage(2, 3, 12345);
  ASSERT_EQ(ApplyWavelet(flat, Gains({7, 0, 33, 500, 1, 90}, 1, 4)), kOpMade);
  EXPECT_TRUE(SamePlanes(flat, MakeFlatImage(4, 6, 18471)));
}

TEST(Wavelet, MonochromeOnlyRAndNothingWithoutMemoryOrPixels) {
  Image img = MakeNoiseImage(40, 30, 2), before = Copy(img);
  img.monochrome = 1;
  ASSERT_EQ(ApplyWavelet(img, Gains(kWaveletPresets[3])), kOpMade);
  EXPECT_NE(0, std::memcmp(img.r.get(), before.r.get(), 40 * 30 * 2));
  EXPECT_EQ(0, std::memcmp(img.g.get(), before.g.get(), 40 * 30 * 2));
  EXPECT_EQ(0, std::memcmp(img.b.get(), before.b.get(), 40 * 30 * 2));

  for (int enlarge = 0; enlarge <= 1; ++enlarge) {
    Image kept = Copy(before);
    SetAvailableMemoryForTest(static_cast<int64_t>(WaveletWorkBytes(40, 30, Gains(kWaveletPresets[3], enlarge))) - 1);
    EXPECT_EQ(ApplyWavelet(kept, Gains(kWaveletPresets[3], enlarge)), kOpNoMemory);
    SetAvailableMemoryForTest(-1);
    EXPECT_TRUE(SamePlanes(kept, before));
  }
  Image empty;
  EXPECT_EQ(ApplyWavelet(empty, Gains(kWaveletPresets[3])), kOpNothingToDo);
}

TEST(Wavelet, SameResultOnOneAndTwoThreads) {
  const Image src = MakeNoiseImage(301, 203, 9);
  const int before = omp_get_max_threads();
  for (int enlarge = 0; enlarge <= 1; ++enlarge) {
    Image out[2];
    for (int t = 0; t < 2; ++t) {
      out[t] = Copy(src);
      omp_set_num_threads(t + 1);
      ASSERT_EQ(ApplyWavelet(out[t], Gains({7, 15, 20, 30, 50, 90}, enlarge, 3)), kOpMade);
    }
    EXPECT_TRUE(SamePlanes(out[0], out[1])) << "enlarge " << enlarge;
  }
  omp_set_num_threads(before);
}

}  // namespace
}  // namespace tavo
