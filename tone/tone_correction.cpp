// SPDX-License-Identifier: MIT
#include "tone/tone_correction.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/sample.h"
#include "core/slots.h"
#include "tone/pixel_runs.h"

namespace tavo {
namespace {

// Luminance of samples, in unsigned arithmetic so that the division by
// 1000 becomes a multiply and shift (the sum is below 2^26).
inline uint32_t Luma(uint32_t r, uint32_t g, uint32_t b) { return (r * 299 + g * 587 + b * 114) / 1000; }

// Four partial histograms, so that runs of one bin do not wait on each
// other's increments.
TAVO_PIXEL_KERNEL void CountRun(const uint16_t* r, const uint16_t* g, const uint16_t* b, int count,
                                uint32_t (*counts)[256]) {
  uint16_t bins[kPixelRun];
  for (int i = 0; i < count; ++i) bins[i] = static_cast<uint16_t>(Luma(r[i], g[i], b[i]) >> 8);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    ++counts[0][bins[i]];
    ++counts[1][bins[i + 1]];
    ++counts[2][bins[i + 2]];
    ++counts[3][bins[i + 3]];
  }
  for (; i < count; ++i) ++counts[0][bins[i]];
}

void LuminanceHistogram(const Image& image, double hist[256]) {
  const bool mono = image.monochrome == 1;
  const uint16_t* r = image.r.get();
  const uint16_t* g = mono ? r : image.g.get();
  const uint16_t* b = mono ? r : image.b.get();
  const int64_t n = static_cast<int64_t>(image.PixelCount());
  const int64_t runs = (n + kPixelRun - 1) / kPixelRun;
  // Per-thread integer counts added up afterwards: the sum does not depend
  // on how the pixels were split. A run adds at most 1024 to a bin, and the
  // thread's 32-bit counts are folded into 64-bit totals every 2^20 runs.
  uint64_t total[256] = {};
#pragma omp parallel if (runs >= kParallelRuns)
  {
    uint64_t local[256] = {};
    uint32_t counts[4][256] = {};
    int64_t pending = 0;
    const auto fold = [&] {
      for (int k = 0; k < 256; ++k) {
        local[k] += uint64_t{counts[0][k]} + counts[1][k] + counts[2][k] + counts[3][k];
        counts[0][k] = counts[1][k] = counts[2][k] = counts[3][k] = 0;
      }
    };
#pragma omp for schedule(static) nowait
    for (int64_t run = 0; run < runs; ++run) {
      const int64_t start = run * kPixelRun;
      CountRun(r + start, g + start, b + start, static_cast<int>(std::min<int64_t>(kPixelRun, n - start)), counts);
      if (++pending == (int64_t{1} << 20)) {
        fold();
        pending = 0;
      }
    }
    fold();
#pragma omp critical
    for (int k = 0; k < 256; ++k) total[k] += local[k];
  }
  for (int k = 0; k < 256; ++k) hist[k] = static_cast<double>(total[k]);
}

// The factor is at least 0 (T rises), so the product needs no lower limit.
TAVO_PIXEL_KERNEL void ScaleRun(uint16_t* r, uint16_t* g, uint16_t* b, int count, const double* factor) {
  for (int i = 0; i < count; ++i) {
    const double f = factor[Luma(r[i], g[i], b[i])];
    r[i] = static_cast<uint16_t>(std::min(r[i] * f, 65535.0));
    g[i] = static_cast<uint16_t>(std::min(g[i] * f, 65535.0));
    b[i] = static_cast<uint16_t>(std::min(b[i] * f, 65535.0));
  }
}

void Smooth(double h[256]) {
  double n[256];
  n[0] = (2 * h[0] + h[1] + h[2]) * 0.25;
  n[1] = (2 * h[1] + h[0] + h[2] + h[3]) * 0.2;
  for (int i = 2; i <= 253; ++i) n[i] = (2 * h[i] + h[i - 2] + h[i - 1] + h[i + 1] + h[i + 2]) * (1.0 / 6);
  n[254] = (h[253] + h[254] + 3 * h[255]) * 0.2;
  n[255] = (h[254] + 3 * h[255]) * 0.25;
  for (int i = 0; i < 256; ++i) h[i] = n[i];
}

}  // namespace

bool BuildToneCurve(const Image& image, int strength, double t[256]) {
  if (image.Empty() || !image.r) return false;
  double c[256];
  LuminanceHistogram(image, c);
  for (int pass = 0; pass < 10; ++pass) Smooth(c);
  for (int i = 1; i < 256; ++i) c[i] = c[i - 1] + c[i];
  const double total = c[255];
  if (!(total > 0)) return false;
  const double s = ClampInt(strength, 0, 100) * 0.01;
  for (int i = 0; i < 256; ++i) t[i] = (1 - s) * i * (1.0 / 255) + s * (c[i] / total);
  return true;
}

OpStatus ApplyToneCorrection(Image& image, const ToneCorrectionParams& params) {
  double t[256];
  if (!BuildToneCurve(image, params.strength, t)) return kOpNothingToDo;
  ExpandMonochrome(image);
  // The factor depends on the luminance alone: one entry per value.
  std::vector<double> factors(65536);
  factors[0] = t[0] * 256;
  for (int luma = 1; luma < 65536; ++luma) {
    const double y = luma;
    const double frac = y / 256 - std::floor(y / 256);
    const int k = luma / 256;
    factors[luma] = k == 0 ? t[0] * 256 : ((t[k] - t[k - 1]) * frac + t[k - 1]) * 65536 / y;
  }
  const double* factor = factors.data();
  ForEachPixelRunInPlace(image.r.get(), image.g.get(), image.b.get(), static_cast<int64_t>(image.PixelCount()),
                         [&](uint16_t* r, uint16_t* g, uint16_t* b, int count) { ScaleRun(r, g, b, count, factor); });
  return kOpMade;
}

}  // namespace tavo
