// SPDX-License-Identifier: MIT
#include "stack/background_quad.h"

#include <algorithm>
#include <cmath>

#include "core/memory.h"
#include "core/sample.h"

namespace tavo {
namespace {

// Below this many samples a thread team costs more than it saves.
constexpr int64_t kParallelMin = 1 << 16;


}  // namespace

bool QuadraticBackground(uint16_t* out, int width, int height, int amplitude, int floor, int curve,
                         int* peak) {
  if (width <= 0 || height <= 0) return false;
  const double e = curve * 0.01;
  const double w = width, h = height;
  // Truncation to a whole number is part of the surface's definition.
  const double corner = std::pow(std::sqrt((w * w + h * h) * 0.25), e);
  // Powers beyond 2^62 only arise for sides of millions of pixels; such a
  // strip has no meaningful centre and is left alone.
  if (!(corner < 0x1p62)) return false;
  const int64_t dmax = static_cast<int64_t>(corner);
  if (dmax <= 0) return false;
  const int64_t step = amplitude / 16;
  const int64_t cx = width / 2, cy = height / 2;
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(width) * height >= kParallelMin)
  for (int y = 0; y < height; ++y) {
    uint16_t* row = out + static_cast<size_t>(y) * width;
    const int64_t ry = y - cy;
    for (int x = 0; x < width; ++x) {
      const int64_t rx = x - cx;
      const double d2 = static_cast<double>(rx * rx + ry * ry);
      const int64_t dist = static_cast<int64_t>(std::pow(std::sqrt(d2), e));
      // (dmax - D) x step passes 64 bits for long strips with a curve near 3.
      const int64_t v = static_cast<int64_t>(static_cast<__int128>(dmax - dist) * step / dmax);
      row[x] = ClampSample(v * 16 + floor);
    }
  }
  *peak = amplitude + floor;
  return true;
}

void ApplyBackgroundPlane(uint16_t* plane, const uint16_t* background, size_t count, int how, int peak,
                          int offset) {
  const int64_t scale = peak / 16;
  const ptrdiff_t n = static_cast<ptrdiff_t>(count);
  switch (how) {
    case kBackgroundDivide:
#pragma omp parallel for schedule(static) if (n >= kParallelMin)
      for (ptrdiff_t i = 0; i < n; ++i) {
        const int64_t b = background[i];
        plane[i] = b == 0 ? 65535 : ClampSample(plane[i] * scale / b * 16);
      }
      break;
    case kBackgroundSubtract:
#pragma omp parallel for schedule(static) if (n >= kParallelMin)
      for (ptrdiff_t i = 0; i < n; ++i) {
        plane[i] = ClampSample(static_cast<int64_t>(plane[i]) - background[i] + offset);
      }
      break;
    case kBackgroundReplace:
      std::copy(background, background + count, plane);
      break;
    default:
      break;
  }
}

OpStatus ApplyQuadraticBackground(Image& image, int mode, const int levels[6], int curve) {
  if (mode < kBackgroundDivide || mode > kBackgroundReplace) return kOpNothingToDo;
  if (image.Empty() || !image.r) return kOpNothingToDo;
  if (image.monochrome != 1 && (!image.g || !image.b)) return kOpNothingToDo;
  if (image.width == 1 && image.height == 1) return kOpNothingToDo;  // no distance to fall off over
  curve = std::clamp(curve, kCurveMin, kCurveMax);
  const size_t count = image.PixelCount();
  Plane scratch = NewPlane(count, false);
  if (!scratch) return kOpNoMemory;
  const int planes = image.monochrome == 1 ? 1 : 3;
  constexpr int kLevelLimit = 1 << 24;  // far beyond any 16-bit level; keeps the sums in range
  for (int c = 0; c < planes; ++c) {
    const int centre = std::clamp(levels[2 * c], -kLevelLimit, kLevelLimit);
    const int periphery = std::clamp(levels[2 * c + 1], -kLevelLimit, kLevelLimit);
    int peak = 0;
    if (!QuadraticBackground(scratch.get(), image.width, image.height, centre - periphery, kBackgroundFloor,
                             curve, &peak)) {
      return kOpNothingToDo;
    }
    ApplyBackgroundPlane(image.Channel(c), scratch.get(), count, mode, peak, centre + kBackgroundFloor);
  }
  return kOpMade;
}

}  // namespace tavo
