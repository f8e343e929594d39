// SPDX-License-Identifier: MIT
// The background level needs the plane's mean before any row can be walked,
// which would take a second pass over the plane. Instead each row is walked
// from two starts lo <= hi around a guess of the mean while it is read for
// its sum. A walk's end level never decreases when its start level rises
// (a higher level stays at or above a lower one after every sample), so
// when both walks end on the same level, every start between them - the
// true mean included, once it is known to lie in [lo, hi] - ends there too.
// Only rows whose two walks differ, or every row when the guess was wrong,
// are walked again from the mean.
#include "core/plane_stats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavo {
namespace {

int WalkRow(const uint16_t* row, int from, int to, int level) {
  for (int x = from; x < to; ++x) {
    if (row[x] < level) level = (level + row[x]) / 2;
  }
  return level;
}

// Bracket of the mean from the histogram's sampling grid: the sampled mean
// plus or minus eight standard errors (and a little, so that a flat plane
// still brackets). Only speed depends on it.
void GuessMean(const uint16_t* plane, int width, int height, int* lo, int* hi) {
  const int step_x = width / 100 + 1, step_y = height / 100 + 1;
  double sum = 0, sum_sq = 0;
  int n = 0;
  for (int y = 0; y < height; y += step_y) {
    const uint16_t* row = plane + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int x = 0; x < width; x += step_x) {
      const double v = row[x];
      sum += v;
      sum_sq += v * v;
      ++n;
    }
  }
  const double mean = sum / n;
  const double sd = std::sqrt(std::max(0.0, sum_sq / n - mean * mean));
  const int reach = static_cast<int>(8 * sd / std::sqrt(static_cast<double>(n))) + 8;
  *lo = std::max(0, static_cast<int>(mean) - reach);
  *hi = std::min(65535, static_cast<int>(mean) + reach);
}

// Per row: its mean, its largest sample and where the walks from lo and hi
// ended. Rows are filled independently, so threads may share the rows and
// the sums are formed afterwards in row order.
struct RowPass {
  std::vector<int> mean, max;
  std::vector<uint16_t> end_lo, end_hi;
};

void ScalarRow(const uint16_t* row, int width, int lo, int hi, int y, RowPass& pass) {
  int64_t sum = 0;
  int biggest = 0, a = lo, b = hi;
  for (int x = 0; x < width; ++x) {
    const int v = row[x];
    sum += v;
    biggest = std::max(biggest, v);
    if (v < a) a = (a + v) / 2;
    if (v < b) b = (b + v) / 2;
  }
  const size_t i = static_cast<size_t>(y);
  pass.mean[i] = static_cast<int>(sum / width);
  pass.max[i] = biggest;
  pass.end_lo[i] = static_cast<uint16_t>(a);
  pass.end_hi[i] = static_cast<uint16_t>(b);
}

#if defined(__SSE2__)

// Eight rows at once, one row per 16-bit lane: 8 x 8 tiles are transposed
// so that each vector holds one column of the eight rows.
void Transpose8(__m128i* r) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// One walk step on complements u = 65535 - level, c = 65535 - v: the
// truncated (level + v) / 2 is 65535 minus the rounded-up mean of u and c,
// which is what the unsigned average gives, and the lower level is the
// larger complement: u := max(u, avg(u, c)), the max as avg + (u -sat avg).
inline __m128i WalkStep(__m128i u, __m128i c) {
  const __m128i avg = _mm_avg_epu16(u, c);
  return _mm_add_epi16(avg, _mm_subs_epu16(u, avg));
}

int64_t LaneSum(__m128i v) {
  alignas(16) int32_t t[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(t), v);
  return static_cast<int64_t>(t[0]) + t[1] + t[2] + t[3];
}

// Rows y .. y + 7. Sums use samples biased by -32768 so that the signed
// multiply-add adds pairs of them; a lane adds at most width / 8 pairs,
// which fits 32 bits for widths up to 2^18.
void Block8(const uint16_t* plane, int width, int lo, int hi, int y, RowPass& pass) {
  const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i ones = _mm_set1_epi16(1);
  const __m128i all = _mm_set1_epi16(-1);
  __m128i u_lo = _mm_set1_epi16(static_cast<short>(65535 - lo));
  __m128i u_hi = _mm_set1_epi16(static_cast<short>(65535 - hi));
  __m128i biased_max = _mm_set1_epi16(static_cast<short>(0x8000));
  __m128i sums[8];
  const uint16_t* rows[8];
  for (int k = 0; k < 8; ++k) {
    sums[k] = _mm_setzero_si128();
    rows[k] = plane + static_cast<size_t>(y + k) * static_cast<size_t>(width);
  }
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    __m128i r[8];
    for (int k = 0; k < 8; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + x));
      const __m128i b = _mm_xor_si128(v, bias);
      sums[k] = _mm_add_epi32(sums[k], _mm_madd_epi16(b, ones));
      biased_max = _mm_max_epi16(biased_max, b);
      r[k] = _mm_xor_si128(v, all);
    }
    Transpose8(r);
    for (int k = 0; k < 8; ++k) {
      u_lo = WalkStep(u_lo, r[k]);
      u_hi = WalkStep(u_hi, r[k]);
    }
  }
  alignas(16) uint16_t end_lo[8], end_hi[8];
  alignas(16) int16_t maxes[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(end_lo), u_lo);
  _mm_store_si128(reinterpret_cast<__m128i*>(end_hi), u_hi);
  _mm_store_si128(reinterpret_cast<__m128i*>(maxes), biased_max);
  int tiles_max = 0;
  for (int k = 0; k < 8; ++k) tiles_max = std::max(tiles_max, maxes[k] + 32768);
  for (int k = 0; k < 8; ++k) {
    int64_t sum = LaneSum(sums[k]) + int64_t{32768} * x;
    int biggest = tiles_max, a = 65535 - end_lo[k], b = 65535 - end_hi[k];
    for (int i = x; i < width; ++i) {  // the columns left over from the tiles
      const int v = rows[k][i];
      sum += v;
      biggest = std::max(biggest, v);
      if (v < a) a = (a + v) / 2;
      if (v < b) b = (b + v) / 2;
    }
    const size_t r = static_cast<size_t>(y + k);
    pass.mean[r] = static_cast<int>(sum / width);
    pass.max[r] = biggest;
    pass.end_lo[r] = static_cast<uint16_t>(a);
    pass.end_hi[r] = static_cast<uint16_t>(b);
  }
}

constexpr int kSimdWidthLimit = 1 << 18;

#endif

// Below this many samples a plane is done on one thread.
constexpr int64_t kParallelMin = 1 << 16;

}  // namespace

PlaneStats ComputePlaneStats(const uint16_t* plane, int width, int height) {
  PlaneStats stats;
  if (plane == nullptr || width <= 0 || height <= 0) return stats;
  int lo = 0, hi = 0;
  GuessMean(plane, width, height, &lo, &hi);
  const size_t rows = static_cast<size_t>(height), w = static_cast<size_t>(width);
  RowPass pass;
  pass.mean.resize(rows);
  pass.max.resize(rows);
  pass.end_lo.resize(rows);
  pass.end_hi.resize(rows);
  int first_scalar_row = 0;
#if defined(__SSE2__)
  if (width <= kSimdWidthLimit) {
    const int blocks = height / 8;
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(width) * height >= kParallelMin)
    for (int k = 0; k < blocks; ++k) Block8(plane, width, lo, hi, 8 * k, pass);
    first_scalar_row = 8 * blocks;
  }
#endif
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(width) * (height - first_scalar_row) >= kParallelMin)
  for (int y = first_scalar_row; y < height; ++y) ScalarRow(plane + static_cast<size_t>(y) * w, width, lo, hi, y, pass);

  int64_t sum_of_row_means = 0;
  for (size_t r = 0; r < rows; ++r) {
    sum_of_row_means += pass.mean[r];
    stats.max = r == 0 ? pass.max[r] : std::max(stats.max, pass.max[r]);
  }
  const int mean = static_cast<int>(sum_of_row_means / height);
  const bool bracketed = lo <= mean && mean <= hi;
  // The rows the guess did not settle are walked again from the mean; the
  // levels go back into end_lo.
#pragma omp parallel for schedule(dynamic, 64) if (static_cast<int64_t>(width) * height >= kParallelMin)
  for (int y = 0; y < height; ++y) {
    const size_t r = static_cast<size_t>(y);
    if (!bracketed || pass.end_lo[r] != pass.end_hi[r]) {
      pass.end_lo[r] = static_cast<uint16_t>(WalkRow(plane + r * w, 0, width, mean));
    }
  }
  int64_t level_sum = 0;
  for (size_t r = 0; r < rows; ++r) level_sum += pass.end_lo[r];
  stats.mean = mean;
  stats.dark = static_cast<int>(level_sum / height);
  return stats;
}

}  // namespace tavo
