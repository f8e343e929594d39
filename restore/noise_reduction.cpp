// SPDX-License-Identifier: MIT
#include "restore/noise_reduction.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/memory.h"
#include "core/sample.h"

namespace tavo {
namespace {

constexpr int kDiffs = 65536;  // |v - c| of 16-bit samples
constexpr int64_t kParallelMin = 1 << 12;

// g depends on |v - c| alone (d = -T and d = T both give 1), so the weight
// for each spatial value (4, 8 or 10; 0 never weighs) is a table of |v - c|.
struct WeightTables {
  uint16_t w4[kDiffs], w8[kDiffs], w10[kDiffs];
};

void FillTables(WeightTables& t, int threshold) {
  const int limit = 1280 * threshold;
  for (int d = 0; d < kDiffs; ++d) {
    const double g = d < limit ? 1.0 : (d - limit) / 256.0 + 1.0;
    t.w4[d] = static_cast<uint16_t>(64 * 4 / g);
    t.w8[d] = static_cast<uint16_t>(64 * 8 / g);
    t.w10[d] = static_cast<uint16_t>(64 * 10 / g);
  }
}

struct Tap {
  int dx, dy;
  const uint16_t* weight;
};

// The taps of an area with non-zero spatial weight: 8 for 3 x 3, 20 for 5 x 5.
template <int kRadius>
constexpr int TapCount() {
  return kRadius == 1 ? 8 : 20;
}

template <int kRadius>
void MakeTaps(const WeightTables& t, Tap* taps) {
  int n = 0;
  for (int dy = -kRadius; dy <= kRadius; ++dy) {
    for (int dx = -kRadius; dx <= kRadius; ++dx) {
      switch (kNoiseSpatial[dy + 2][dx + 2]) {
        case 4: taps[n++] = {dx, dy, t.w4}; break;
        case 8: taps[n++] = {dx, dy, t.w8}; break;
        case 10: taps[n++] = {dx, dy, t.w10}; break;
        default: break;
      }
    }
  }
}

// rows[dy + kRadius] is the plane row y + dy, clamped. Sums fit 32 bits:
// at most 65535 x 64 x 136 (the spatial weights add up to 136) twice.
template <int kRadius, bool kClampX>
void FilterRow(const uint16_t* const* rows, int width, int x_from, int x_to, const Tap* taps, int s, uint16_t* out) {
  const uint16_t* centre = rows[kRadius];
  for (int x = x_from; x < x_to; ++x) {
    const int c = centre[x];
    int32_t a = 0, n = 0;
    for (int t = 0; t < TapCount<kRadius>(); ++t) {
      const int xx = kClampX ? std::clamp(x + taps[t].dx, 0, width - 1) : x + taps[t].dx;
      const int v = rows[taps[t].dy + kRadius][xx];
      const int w = taps[t].weight[v > c ? v - c : c - v];
      a += v * w;
      n += w;
    }
    if (n == 0) n = 1;
    out[x] = ClampSample((2 * a / n + (s - 1) * c) / (s + 1));
  }
}

template <int kRadius>
void FilterPlane(const uint16_t* in, uint16_t* out, int width, int height, const WeightTables& tables, int s) {
  Tap taps[TapCount<kRadius>()];
  MakeTaps<kRadius>(tables, taps);
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(width) * height >= kParallelMin)
  for (int y = 0; y < height; ++y) {
    const uint16_t* rows[2 * kRadius + 1];
    for (int dy = -kRadius; dy <= kRadius; ++dy) {
      rows[dy + kRadius] = in + static_cast<size_t>(std::clamp(y + dy, 0, height - 1)) * width;
    }
    uint16_t* dst = out + static_cast<size_t>(y) * width;
    // Columns whose whole neighbourhood lies inside the row need no clamping.
    const int inner_from = std::min(kRadius, width), inner_to = std::max(inner_from, width - kRadius);
    FilterRow<kRadius, true>(rows, width, 0, inner_from, taps, s, dst);
    FilterRow<kRadius, false>(rows, width, inner_from, inner_to, taps, s, dst);
    FilterRow<kRadius, true>(rows, width, inner_to, width, taps, s, dst);
  }
}

}  // namespace

uint64_t NoiseReductionWorkBytes(int width, int height) {
  return ImageBytes(width, height, 2) + sizeof(WeightTables);
}

OpStatus ApplyNoiseReduction(Image& image, const NoiseParams& p) {
  if (image.Empty() || !image.r || !image.g || !image.b) return kOpNothingToDo;
  const int width = image.width, height = image.height;
  if (!MemoryFits(NoiseReductionWorkBytes(width, height))) return kOpNoMemory;
  std::unique_ptr<WeightTables> tables(new (std::nothrow) WeightTables);
  Plane result = NewPlane(image.PixelCount(), false);
  if (!tables || !result) return kOpNoMemory;
  FillTables(*tables, std::clamp(p.threshold, 0, kNoiseThresholdMax));
  const int s = 6 - std::clamp(p.strength, kNoiseStrengthMin, kNoiseStrengthMax);
  for (int c = 0; c < 3; ++c) {
    uint16_t* plane = image.Channel(c);
    if (p.area <= 4) {
      FilterPlane<1>(plane, result.get(), width, height, *tables, s);
    } else {
      FilterPlane<2>(plane, result.get(), width, height, *tables, s);
    }
    std::memcpy(plane, result.get(), image.PixelCount() * 2);
  }
  return kOpMade;
}

}  // namespace tavo
