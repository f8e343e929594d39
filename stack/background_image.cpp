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

// Mean of the third and fourth smallest candidates above `threshold` on
// the 5 x 5 grid around (x, y) inside the one-pixel frame of s (w x h).
uint16_t RobustSample(const uint16_t* s, int w, int h, int x, int y, int quarter, int threshold) {
  const int sx = GridStep(x, w, quarter), sy = GridStep(y, h, quarter);
  int least[4] = {65535, 65535, 65535, 65535};
  for (int j = -2; j <= 2; ++j) {
    const int yy = y + j * sy;
    if (yy < 1 || yy > h - 2) continue;
    for (int i = -2; i <= 2; ++i) {
      const int xx = x + i * sx;
      if (xx < 1 || xx > w - 2) continue;
      const int v = s[static_cast<size_t>(yy) * w + xx];
      if (v <= threshold || v >= least[3]) continue;
      int pos = 3;
      while (pos > 0 && least[pos - 1] > v) {
        least[pos] = least[pos - 1];
        --pos;
      }
      least[pos] = v;
    }
  }
  return static_cast<uint16_t>((least[2] + least[3]) >> 1);
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
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) b[static_cast<size_t>(y) * w + x] = RobustSample(s.get(), w, h, x, y, quarter, threshold);
  }
  // The trimmed mean goes back into s, the box mean's row sums into sums.
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s[static_cast<size_t>(y) * w + x] = TrimmedMean(b.get(), w, h, x, y);
  }
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    const uint16_t* row = s.get() + static_cast<size_t>(y) * w;
    uint32_t* dst = sums.get() + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      uint32_t sum = 0;
      for (int xx = std::max(x - r, 0); xx <= std::min(x + r, w - 1); ++xx) sum += row[xx];
      dst[x] = sum;
    }
  }
#pragma omp parallel for schedule(static) if (parallel)
  for (int y = 0; y < h; ++y) {
    const int y0 = std::max(y - r, 0), y1 = std::min(y + r, h - 1);
    for (int x = 0; x < w; ++x) {
      uint32_t sum = 0;
      for (int yy = y0; yy <= y1; ++yy) sum += sums[static_cast<size_t>(yy) * w + x];
      const uint32_t cells = static_cast<uint32_t>((std::min(x + r, w - 1) - std::max(x - r, 0) + 1) * (y1 - y0 + 1));
      b[static_cast<size_t>(y) * w + x] = static_cast<uint16_t>(sum / cells);
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
  for (int c = 0; c < (mono ? 1 : 3); ++c) {
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
