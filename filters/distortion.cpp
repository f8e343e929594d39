// SPDX-License-Identifier: MIT
#include "filters/distortion.h"

#include <cmath>
#include <cstdint>

#include "filters/warp.h"

namespace tavo {

OpStatus ApplyDistortion(Image& image, const DistortionParams& params) {
  if (image.Empty() || !image.r || !image.g || !image.b) return kOpNothingToDo;
  const int w = image.width, h = image.height;
  Image fresh;
  if (!AllocateImagePlanes(fresh, w, h, false)) return kOpNoMemory;
  const int64_t diagonal2 = static_cast<int64_t>(w) * w + static_cast<int64_t>(h) * h;
  const double d = std::pow(static_cast<double>(diagonal2) * 0.25, 1.5);
  const double q = -static_cast<double>(params.corner_shift) / d;
  const int64_t cx = w / 2, cy = h / 2;
  WarpBilinear(image, fresh, [&](int x, int y, double* sx, double* sy) {
    const int64_t dx = x - cx, dy = y - cy;
    const double f = static_cast<double>(dx * dx + dy * dy) * q + 1.0;
    *sx = f * static_cast<double>(dx) + static_cast<double>(cx);
    *sy = f * static_cast<double>(dy) + static_cast<double>(cy);
  });
  AdoptPlanes(image, fresh);
  return kOpMade;
}

}  // namespace tavo
