// SPDX-License-Identifier: MIT
#include "core/plane_stats.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/test_images.h"

namespace tavo {
namespace {

// The plain two passes: the mean first, then every row walked from it.
PlaneStats SlowStats(const std::vector<uint16_t>& p, int w, int h) {
  int64_t means = 0;
  int big = 0;
  for (int y = 0; y < h; ++y) {
    int64_t s = 0;
    for (int x = 0; x < w; ++x) {
      s += p[y * w + x];
      big = std::max<int>(big, p[y * w + x]);
    }
    means += s / w;
  }
  const int m = static_cast<int>(means / h);
  int64_t levels = 0;
  for (int y = 0; y < h; ++y) {
    int l = m;
    for (int x = 0; x < w; ++x) l = p[y * w + x] < l ? (l + p[y * w + x]) / 2 : l;
    levels += l;
  }
  return {big, static_cast<int>(levels / h), m};
}

// 9 x 8 plane of 1000 with one 0 at column 8 (past the 8-wide tiles) of row
// 3. Row means 1000, row 3: 8000 / 9 = 888; mean (7000 + 888) / 8 = 986.
// Rows walk from 986 over samples of 1000 and stay; row 3 meets the 0 last:
// 493. Level (7 * 986 + 493) / 8 = 7395 / 8 = 924.
TEST(PlaneStats, HandWorkedPlanes) {
  std::vector<uint16_t> p(72, 1000);
  p[3 * 9 + 8] = 0;
  PlaneStats s = ComputePlaneStats(p.data(), 9, 8);
  EXPECT_EQ(s.mean, 986);
  EXPECT_EQ(s.max, 1000);
  EXPECT_EQ(s.dark, 924);
  std::vector<uint16_t> flat(40 * 30, 1000);  // a flat plane is its own level
  s = ComputePlaneStats(flat.data(), 40, 30);
  EXPECT_EQ(s.max, 1000);
  EXPECT_EQ(s.dark, 1000);
  EXPECT_EQ(s.mean, 1000);
}

// Sizes around the 8 x 8 tiles, and planes whose sampled mean misses the
// true one (the mass sits on columns the sampling grid skips) so that the
// rows must be walked again; on one thread and on two (the 400 x 300 planes
// are split between threads).
TEST(PlaneStats, SameAsThePlainTwoPassesOnOneOrTwoThreads) {
  const struct {
    int w, h, kind;
  } cases[] = {{1, 1, 0}, {1, 13, 0}, {13, 1, 0}, {8, 8, 0}, {9, 17, 0}, {300, 41, 0}, {203, 120, 1},
               {203, 120, 2}, {64, 64, 3}, {250, 30, 4}, {400, 300, 1}, {400, 300, 2}};
  for (const auto& c : cases) {
    const Image noise = MakeNoiseImage(c.w, c.h, static_cast<uint32_t>(c.w * 7 + c.kind));
    std::vector<uint16_t> p(static_cast<size_t>(c.w) * c.h);
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        const int n = noise.r[y * c.w + x];
        int v = n;  // kind 0: full-range noise
        if (c.kind == 1) v = 3000 + n % 700 + (n % 97 == 0 ? 40000 : 0);  // sky with stars
        if (c.kind == 2) v = x % 3 == 1 ? 60000 : n % 50;                  // mass off the grid
        if (c.kind == 3) v = (x + y) % 2 == 0 ? 65535 : 0;
        if (c.kind == 4) v = 20000 + x * 100 - y * 7;
        p[static_cast<size_t>(y) * c.w + x] = static_cast<uint16_t>(v);
      }
    }
    const PlaneStats want = SlowStats(p, c.w, c.h);
    for (int threads = 1; threads <= 2; ++threads) {
      omp_set_num_threads(threads);
      const PlaneStats got = ComputePlaneStats(p.data(), c.w, c.h);
      const std::string at = std::to_string(c.w) + "x" + std::to_string(c.h) + " kind " + std::to_string(c.kind) +
                             " threads " + std::to_string(threads);
      EXPECT_EQ(got.mean, want.mean) << at;
      EXPECT_EQ(got.max, want.max) << at;
      EXPECT_EQ(got.dark, want.dark) << at;
    }
  }
}

}  // namespace
}  // namespace tavo
