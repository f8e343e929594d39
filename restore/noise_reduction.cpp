// SPDX-License-Identifier: MIT
#include "restore/noise_reduction.h"

#include <algorithm>
#include <cstring>

#include "core/memory.h"
#include "core/sample.h"

namespace tavo {
namespace {

constexpr int64_t kParallelMin = 1 << 12;

// g depends on |v - c| alone: with m = |v - c| - T, g = 1 for m <= 0 (d = -T
// and d = T both give 1) and g = (m + 256) / 256 otherwise, exactly in
// doubles. So trunc(64 S / g) is floor(16384 S / (m + 256)): if that
// quotient is whole the double division is exact; if not, it is at least
// 1 / 65791 away from a whole number, far beyond the rounding of a double
// below 1024. Both paths below use this exact integer form.
int Weight(int ad, int limit, int spatial) {
  const int m = ad - limit;
  return m <= 0 ? 64 * spatial : 16384 * spatial / (m + 256);
}

// Neighbours of non-zero spatial weight, grouped by that weight (10, 8, 4).
struct Taps {
  int radius;
  int spatial[3] = {10, 8, 4};
  int count[3] = {};
  int dx[3][8] = {}, dy[3][8] = {};
};

Taps MakeTaps(int radius) {
  Taps t;
  t.radius = radius;
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      for (int g = 0; g < 3; ++g) {
        if (kNoiseSpatial[dy + 2][dx + 2] != t.spatial[g]) continue;
        t.dx[g][t.count[g]] = dx;
        t.dy[g][t.count[g]] = dy;
        ++t.count[g];
      }
    }
  }
  return t;
}

// rows[dy + 2] is plane row y + dy, clamped. A and N fit 32 bits: at most
// 65535 x 64 x 136 (the spatial weights add up to 136), doubled.
uint16_t FilterPixel(const uint16_t* const* rows, int width, int x, const Taps& t, int limit, int s) {
  const int c = rows[2][x];
  int32_t a = 0, n = 0;
  for (int g = 0; g < 3; ++g) {
    for (int k = 0; k < t.count[g]; ++k) {
      const int v = rows[t.dy[g][k] + 2][std::clamp(x + t.dx[g][k], 0, width - 1)];
      const int w = Weight(v > c ? v - c : c - v, limit, t.spatial[g]);
      a += v * w;
      n += w;
    }
  }
  if (n == 0) n = 1;
  return ClampSample((2 * a / n + (s - 1) * c) / (s + 1));
}

// Eight pixels at a time, lane for lane the same integers as FilterPixel.
// The weight's quotient comes from a float division: for numerators 16384 x
// 4, 8 and 10 and every divisor 256..65791 the truncated float quotient is
// the integer quotient (checked over the whole range). The two final
// divisions are done in doubles: a quotient below 2^17 that is not whole
// lies at least 1/8704 from one, far beyond a double's rounding.
typedef int32_t Int8 __attribute__((vector_size(32)));
typedef float Float8 __attribute__((vector_size(32)));
typedef double Double8 __attribute__((vector_size(64)));
typedef uint16_t Short8 __attribute__((vector_size(16)));

inline void AddTap(const uint16_t* p, const Int8& c, int limit, int spatial, Int8& a, Int8& n) {
  Short8 raw;
  std::memcpy(&raw, p, sizeof raw);
  const Int8 v = __builtin_convertvector(raw, Int8);
  const Int8 d = v - c;
  const Int8 m = (d < 0 ? -d : d) - limit;
  const Int8 q = (m > 0 ? m : Int8{}) + 256;
  const int num = 16384 * spatial;
  const Int8 w = m <= 0 ? Int8{} + 64 * spatial
                        : __builtin_convertvector(static_cast<float>(num) / __builtin_convertvector(q, Float8), Int8);
  a += v * w;
  n += w;
}

__attribute__((target_clones("avx2", "default"))) void FilterRow(const uint16_t* const* rows, int width,
                                                                  const Taps& t, int limit, int s, uint16_t* out) {
  const int r = t.radius;
  int x = 0;
  for (; x < std::min(r, width); ++x) out[x] = FilterPixel(rows, width, x, t, limit, s);
  for (; x + 8 <= width - r; x += 8) {
    Short8 raw;
    std::memcpy(&raw, rows[2] + x, sizeof raw);
    const Int8 c = __builtin_convertvector(raw, Int8);
    Int8 a = {}, n = {};
    for (int g = 0; g < 3; ++g) {
      for (int k = 0; k < t.count[g]; ++k) AddTap(rows[t.dy[g][k] + 2] + x + t.dx[g][k], c, limit, t.spatial[g], a, n);
    }
    n -= n == 0;  // N = 0 becomes 1
    const Int8 mean2 = __builtin_convertvector(
        __builtin_convertvector(2 * a, Double8) / __builtin_convertvector(n, Double8), Int8);
    const Int8 blend = __builtin_convertvector(
        __builtin_convertvector(mean2 + (s - 1) * c, Double8) / static_cast<double>(s + 1), Int8);
    const Short8 result = __builtin_convertvector(blend, Short8);  // 0..65535 by construction
    std::memcpy(out + x, &result, sizeof result);
  }
  for (; x < width; ++x) out[x] = FilterPixel(rows, width, x, t, limit, s);
}

void FilterPlane(const uint16_t* in, uint16_t* out, int width, int height, const Taps& t, int limit, int s) {
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(width) * height >= kParallelMin)
  for (int y = 0; y < height; ++y) {
    const uint16_t* rows[5];
    for (int dy = -2; dy <= 2; ++dy) rows[dy + 2] = in + static_cast<size_t>(std::clamp(y + dy, 0, height - 1)) * width;
    FilterRow(rows, width, t, limit, s, out + static_cast<size_t>(y) * width);
  }
}

}  // namespace

uint64_t NoiseReductionWorkBytes(int width, int height) { return ImageBytes(width, height, 2); }

OpStatus ApplyNoiseReduction(Image& image, const NoiseParams& p) {
  if (image.Empty() || !image.r || !image.g || !image.b) return kOpNothingToDo;
  if (!MemoryFits(NoiseReductionWorkBytes(image.width, image.height))) return kOpNoMemory;
  Plane result = NewPlane(image.PixelCount(), false);
  if (!result) return kOpNoMemory;
  const Taps taps = MakeTaps(p.area <= 4 ? 1 : 2);
  const int limit = 1280 * std::clamp(p.threshold, 0, kNoiseThresholdMax);
  const int s = 6 - std::clamp(p.strength, kNoiseStrengthMin, kNoiseStrengthMax);
  for (int c = 0; c < 3; ++c) {
    FilterPlane(image.Channel(c), result.get(), image.width, image.height, taps, limit, s);
    std::memcpy(image.Channel(c), result.get(), image.PixelCount() * 2);
  }
  return kOpMade;
}

}  // namespace tavo
