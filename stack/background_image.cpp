// SPDX-License-Identifier: MIT
#include "stack/background_image.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/memory.h"
#include "stack/background_quad.h"

namespace tavo {
namespace {

constexpr int64_t kParallelMin = 1 << 16;

// Grid step around half-resolution coordinate v of n: a quarter of the
// area, smaller near either end so that the grid stays inside, at least 2.
int GridStep(int v, int n, int quarter) {
  int s = quarter;
  if (v < 2 * quarter) s = v / 2;
  if (v >= n - 2 * quarter) s = (n - v - 1) / 2;
  return std::max(s, 2);
}

// Keeps a0 <= a1 <= a2 <= a3 the four smallest values seen: the same four
// as inserting v in ascending order, without a branch.
inline void KeepFourSmallest(int v, int& a0, int& a1, int& a2, int& a3) {
  int t = std::max(a0, v);
  a0 = std::min(a0, v);
  const int t1 = std::max(a1, t);
  a1 = std::min(a1, t);
  const int t2 = std::max(a2, t1);
  a2 = std::min(a2, t1);
  a3 = std::min(a3, t2);
}

// Row y of the robust background: per pixel the mean of the third and
// fourth smallest candidates above `threshold` on the 5 x 5 grid around it
// inside the one-pixel frame of s (w x h); slots start at 65535, and a
// candidate at or below the threshold counts as 65535, which changes none.
void RobustRow(const uint16_t* s, int w, int h, int y, int quarter, int threshold, uint16_t* out) {
  const int sy = GridStep(y, h, quarter);
  const uint16_t* rows[5];
  int nrows = 0;
  for (int j = -2; j <= 2; ++j) {
    const int yy = y + j * sy;
    if (yy >= 1 && yy <= h - 2) rows[nrows++] = s + static_cast<size_t>(yy) * w;
  }
  // Columns whose five candidates all lie inside at the full step.
  // (A quarter below 2 is stepped by 2: no fast columns then.)
  const int fast0 = quarter >= 2 ? 2 * quarter + 1 : w, fast1 = quarter >= 2 ? w - 2 * quarter - 1 : w;
  auto general = [&](int x) {
    const int sx = GridStep(x, w, quarter);
    int a0 = 65535, a1 = 65535, a2 = 65535, a3 = 65535;
    for (int r = 0; r < nrows; ++r) {
      for (int i = -2; i <= 2; ++i) {
        const int xx = x + i * sx;
        if (xx < 1 || xx > w - 2) continue;
        const int v = rows[r][xx];
        KeepFourSmallest(v <= threshold ? 65535 : v, a0, a1, a2, a3);
      }
    }
    out[x] = static_cast<uint16_t>((a2 + a3) >> 1);
  };
  for (int x = 0; x < std::min(fast0, w); ++x) general(x);
  // Chunks of columns at once, the slots kept as signed 16-bit values
  // (sample - 32768) so that the minimum and maximum are single vector
  // instructions; the order of the values is unchanged by the shift.
  constexpr int kChunk = 256;
  const int16_t cut = static_cast<int16_t>((threshold < 0 ? 0 : threshold + 1) - 32768);
  for (int x0 = fast0; x0 < fast1; x0 += kChunk) {
    const int n = std::min(kChunk, fast1 - x0);
    int16_t a0[kChunk], a1[kChunk], a2[kChunk], a3[kChunk];
    for (int k = 0; k < n; ++k) a0[k] = a1[k] = a2[k] = a3[k] = 32767;
    for (int r = 0; r < nrows; ++r) {
      for (int i = -2; i <= 2; ++i) {
        const uint16_t* src = rows[r] + x0 + i * quarter;
#pragma omp simd
        for (int k = 0; k < n; ++k) {
          int16_t v = static_cast<int16_t>(src[k] - 32768);
          v = v < cut ? int16_t{32767} : v;
          const int16_t t0 = std::max(a0[k], v);
          a0[k] = std::min(a0[k], v);
          const int16_t t1 = std::max(a1[k], t0);
          a1[k] = std::min(a1[k], t0);
          const int16_t t2 = std::max(a2[k], t1);
          a2[k] = std::min(a2[k], t1);
          a3[k] = std::min(a3[k], t2);
        }
      }
    }
    for (int k = 0; k < n; ++k) out[x0 + k] = static_cast<uint16_t>((a2[k] + a3[k] + 65536) >> 1);
  }
  for (int x = std::max(fast1, fast0); x < w; ++x) general(x);
}

// Mean of the 3 x 3 neighbours that lie in the plane without the smallest
// and the largest.
uint16_t TrimmedMean(const uint16_t* b, int w, int h, int x, int y) {
  int sum = 0, lo = 65535, hi = 0, n = 0;
  for (int yy = std::max(y - 1, 0); yy <= std::min(y + 1, h - 1); ++yy) {
    for (int xx = std::max(x - 1, 0); xx <= std::min(x + 1, w - 1); ++xx) {
      const int v = b[static_cast<size_t>(yy) * w + xx];
      sum += v, lo = std::min(lo, v), hi = std::max(hi, v), ++n;
    }
  }
  return static_cast<uint16_t>((sum - lo - hi) / (n - 2));
}

}  // namespace

int ImageBackground(uint16_t* out, int width, int height, const uint16_t* reference, int ref_width, int ref_height) {
  const int64_t n = static_cast<int64_t>(width) * height;
#pragma omp parallel for schedule(static) if (n >= kParallelMin)
  for (int y = 0; y < height; ++y) {
    const uint16_t* src = reference + static_cast<size_t>(std::min(y, ref_height - 1)) * ref_width;
    uint16_t* dst = out + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) dst[x] = static_cast<uint16_t>(src[std::min(x, ref_width - 1)] + 1);
  }
  int peak = 0;
  for (int y = height / 4; y < 3 * height / 4; y += 4) {
    const uint16_t* src = reference + static_cast<size_t>(std::min(y, ref_height - 1)) * ref_width;
    for (int x = width / 4; x < 3 * width / 4; x += 4) peak = std::max<int>(peak, src[std::min(x, ref_width - 1)]);
  }
  return peak;
}

OpStatus ApplyImageBackground(Image& image, int mode, const Image& background, const int offsets[3]) {
  if (mode < kBackgroundImageDivide || mode > kBackgroundImageReplace) return kOpNothingToDo;
  if (image.Empty() || !image.r || background.Empty() || !background.r) return kOpNothingToDo;
  const bool mono = image.monochrome == 1;
  const bool mono_background = background.monochrome == 1 || !background.g || !background.b;
  if (!mono && (!image.g || !image.b)) return kOpNothingToDo;
  const size_t count = image.PixelCount();
  Plane scratch = NewPlane(count, false);
  if (!scratch) return kOpNoMemory;
  for (int c = 0; c < (mono ? 1 : 3); ++c) {
    const uint16_t* ref = background.Channel(mono_background ? 0 : c);
    const int peak = ImageBackground(scratch.get(), image.width, image.height, ref, background.width, background.height);
    ApplyBackgroundPlane(image.Channel(c), scratch.get(), count, mode % 3, peak, offsets[c]);
  }
  return kOpMade;
}

OpStatus ApplyImageBackground(Image& image, int mode, const Image& background, int shift) {
  const int k = std::clamp(shift, -65536, 65536) * 256;
  const int offsets[3] = {k, k, k};
  return ApplyImageBackground(image, mode, background, offsets);
}

bool GenerateBackgroundPlane(uint16_t* out, const uint16_t* in, int width, int height, int area, int smoothing,
                             int threshold) {
  if (width <= 4 || height <= 4) {
    std::memmove(out, in, static_cast<size_t>(width) * height * 2);
    return true;
  }
  const int w = width / 2, h = height / 2;
  const size_t half = static_cast<size_t>(w) * h;
  if (!MemoryFits(half * 8)) return false;
  Plane s = NewPlane(half, false), b = NewPlane(half, false);
  std::unique_ptr<uint32_t[]> sums(new (std::nothrow) uint32_t[half]);
  if (!s || !b || !sums) return false;
  const bool parallel = static_cast<int64_t>(half) >= kParallelMin;
  const int quarter = area / 4, r = smoothing / 2;

#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    const uint16_t* r0 = in + static_cast<size_t>(2 * y) * width;
    const uint16_t* r1 = r0 + width;
    uint16_t* dst = s.get() + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) dst[x] = static_cast<uint16_t>((r0[2 * x] + r0[2 * x + 1] + r1[2 * x] + r1[2 * x + 1]) >> 2);
  }
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) RobustRow(s.get(), w, h, y, quarter, threshold, b.get() + static_cast<size_t>(y) * w);
  // The trimmed mean goes back into s, the box mean's row sums into sums.
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s[static_cast<size_t>(y) * w + x] = TrimmedMean(b.get(), w, h, x, y);
  }
// Box sums by running totals: along each row, then down each column in
  // bands of columns; the totals are exact, so any order gives the same.
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    const uint16_t* row = s.get() + static_cast<size_t>(y) * w;
    uint32_t* dst = sums.get() + static_cast<size_t>(y) * w;
    uint32_t sum = 0;
    for (int xx = 0; xx <= std::min(r, w - 1); ++xx) sum += row[xx];
    for (int x = 0; x < w; ++x) {
      dst[x] = sum;
      if (x + r + 1 < w) sum += row[x + r + 1];
      if (x - r >= 0) sum -= row[x - r];
    }
  }
  constexpr int kBand = 256;
  const int bands = (w + kBand - 1) / kBand;
#pragma omp parallel for schedule(static) if (parallel)
  for (int band = 0; band < bands; ++band) {
    const int x0 = band * kBand, x1 = std::min(x0 + kBand, w);
    uint32_t column[kBand];
    int count[kBand];
    for (int x = x0; x < x1; ++x) {
      column[x - x0] = 0;
      count[x - x0] = std::min(x + r, w - 1) - std::max(x - r, 0) + 1;
    }
    for (int yy = 0; yy <= std::min(r, h - 1); ++yy) {
      const uint32_t* src = sums.get() + static_cast<size_t>(yy) * w;
      for (int x = x0; x < x1; ++x) column[x - x0] += src[x];
    }
    for (int y = 0; y < h; ++y) {
      const uint32_t rows_in = static_cast<uint32_t>(std::min(y + r, h - 1) - std::max(y - r, 0) + 1);
      uint16_t* dst = b.get() + static_cast<size_t>(y) * w;
      for (int x = x0; x < x1; ++x) dst[x] = static_cast<uint16_t>(column[x - x0] / (rows_in * count[x - x0]));
      if (y + r + 1 < h) {
        const uint32_t* add = sums.get() + static_cast<size_t>(y + r + 1) * w;
        for (int x = x0; x < x1; ++x) column[x - x0] += add[x];
      }
      if (y - r >= 0) {
        const uint32_t* sub = sums.get() + static_cast<size_t>(y - r) * w;
        for (int x = x0; x < x1; ++x) column[x - x0] -= sub[x];
      }
    }
  }
  // Full size: each half-resolution sample and the halves towards its right,
  // upper and diagonal neighbours; the last half column and row stand alone.
  const uint16_t* b3 = b.get();
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    const uint16_t* cur = b3 + static_cast<size_t>(y) * w;
    const uint16_t* up = y + 1 < h ? cur + w : cur;
    uint16_t* o0 = out + static_cast<size_t>(2 * y) * width;
    uint16_t* o1 = o0 + width;
    for (int x = 0; x < w; ++x) {
      const int v = cur[x];
      const bool last_x = x + 1 >= w, last_y = y + 1 >= h;
      o0[2 * x] = static_cast<uint16_t>(v);
      o0[2 * x + 1] = static_cast<uint16_t>(last_x ? v : (v + cur[x + 1]) >> 1);
      o1[2 * x] = static_cast<uint16_t>(last_y ? v : (v + up[x]) >> 1);
      o1[2 * x + 1] = static_cast<uint16_t>(last_x || last_y ? v : (v + up[x + 1]) >> 1);
    }
    if (width % 2 == 1) o0[width - 1] = o0[width - 2], o1[width - 1] = o1[width - 2];
  }
  if (height % 2 == 1) {
    std::memcpy(out + static_cast<size_t>(height - 1) * width, out + static_cast<size_t>(height - 2) * width,
                static_cast<size_t>(width) * 2);
  }
  return true;
}

OpStatus MakeBackgroundData(const Image& source, Image& target, const BackgroundDataParams& params) {
  if (source.Empty() || !source.r) return kOpNothingToDo;
  const bool mono = source.monochrome == 1 || !source.g || !source.b;
  Image fresh;
  if (!AllocateImagePlanes(fresh, source.width, source.height, false)) return kOpNoMemory;
  const int area = std::clamp(params.area, 1, 1 << 20), smoothing = std::clamp(params.smoothing, 0, 64);
  const int threshold = params.exclude_zero == 1 ? 0 : -1;
  const int planes = mono ? 1 : 3;
  for (int c = 0; c < planes; ++c) {
    if (!ReportProgress(params.progress, static_cast<double>(c) / planes, kProgressBackground)) return kOpCancelled;
    if (!GenerateBackgroundPlane(fresh.Channel(c), source.Channel(c), source.width, source.height, area, smoothing,
                                 threshold)) {
      return kOpNoMemory;
    }
  }
  if (mono) {
    std::memcpy(fresh.g.get(), fresh.r.get(), fresh.PixelCount() * 2);
    std::memcpy(fresh.b.get(), fresh.r.get(), fresh.PixelCount() * 2);
  }
  AdoptPlanes(target, fresh);
  target.monochrome = source.monochrome == 1 ? 1 : 0;
  return kOpMade;
}

}  // namespace tavo
