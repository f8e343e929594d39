// SPDX-License-Identifier: MIT
#include "core/plane_stats.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <numeric>
#include <tuple>
#include <vector>

#include "tests/test_images.h"

namespace tavo {
namespace {

// The plain two passes: the mean first, then every row walked from it.
PlaneStats SlowStats(const std::vector<uint16_t>& p, int w, int h) {
  int64_t means = 0, levels = 0;
  for (int y = 0; y < h; ++y) means += std::accumulate(&p[y * w], &p[y * w] + w, int64_t{0}) / w;
  const int m = static_cast<int>(means / h);
  for (int y = 0; y < h; ++y) {
    int l = m;
    for (int x = 0; x < w; ++x) l = p[y * w + x] < l ? (l + p[y * w + x]) / 2 : l;
    levels += l;
  }
  return {*std::max_element(p.begin(), p.end()), static_cast<int>(levels / h), m};
}

TEST(PlaneStats, FlatPlaneIsItsOwnBackground) {
  const std::vector<uint16_t> flat(40 * 30, 1000);
  const PlaneStats s = ComputePlaneStats(flat.data(), 40, 30);
  EXPECT_EQ(std::tuple(s.max, s.dark, s.mean), std::tuple(1000, 1000, 1000));
}

// Sizes around the 8 x 8 tiles, and planes whose sampled mean misses the
// true one (the mass sits on columns the sampling grid skips) so that the
// rows must be walked again; on one thread and on two (the 400 x 300 planes
// are split between threads).
TEST(PlaneStats, SameAsThePlainTwoPassesOnOneOrTwoThreads) {
  const struct {
    int w, h, kind;
  } cases[] = {{1, 1, 0}, {1, 13, 0}, {13, 1, 0}, {8, 8, 0}, {9, 17, 0}, {300, 41, 0}, {203, 120, 1},
               {203, 120, 2}, {64, 64, 3}, {400, 300, 1}, {400, 300, 2}};
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
        p[static_cast<size_t>(y) * c.w + x] = static_cast<uint16_t>(v);
      }
    }
    const PlaneStats want = SlowStats(p, c.w, c.h);
    for (int threads = 1; threads <= 2; ++threads) {
      omp_set_num_threads(threads);
      const PlaneStats got = ComputePlaneStats(p.data(), c.w, c.h);
      EXPECT_EQ(std::tuple(got.mean, got.max, got.dark), std::tuple(want.mean, want.max, want.dark))
          << c.w << "x" << c.h << " kind " << c.kind << " threads " << threads;
    }
  }
}

}  // namespace
}  // namespace tavo
