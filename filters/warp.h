// SPDX-License-Identifier: MIT
// filters/warp.h - resampling by a per-pixel source position with the
// 8-bit bilinear weights shared by the rotation and the distortion
// correction.
#pragma once
#include <cmath>
#include <cstdint>

#include "core/image.h"
#include "filters/bands.h"

namespace tavo {

// Fills the three planes of `out` (already sized) from `in`: `where(x, y,
// &sx, &sy)` gives the source position of output pixel (x, y). With x0 =
// floor(sx), fx = trunc((sx - x0) 256), likewise y0, fy: black when x0 < 0,
// x0 >= w - 1, y0 < 0 or y0 >= h - 1 (and for positions that are no
// number); otherwise the four samples weighted (256 - f) or f per axis,
// summed in 32 bits unsigned and divided by 65536. Rows run in parallel.
template <typename Where>
void WarpBilinear(const Image& in, Image& out, Where where) {
  const int w = in.width, h = in.height, nw = out.width;
  const double last_x = w - 1, last_y = h - 1;
  ForEachBand(out.height, out.PixelCount(), [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      uint16_t* dst[3];
      for (int c = 0; c < 3; ++c) dst[c] = out.Channel(c) + static_cast<size_t>(y) * nw;
      for (int x = 0; x < nw; ++x) {
        double sx, sy;
        where(x, y, &sx, &sy);
        const double fx0 = std::floor(sx), fy0 = std::floor(sy);
        // Compared as doubles, so a position far outside never reaches an
        // integer conversion.
        if (!(fx0 >= 0.0 && fx0 < last_x && fy0 >= 0.0 && fy0 < last_y)) {
          dst[0][x] = dst[1][x] = dst[2][x] = 0;
          continue;
        }
        const uint32_t fx = static_cast<uint32_t>((sx - fx0) * 256.0);
        const uint32_t fy = static_cast<uint32_t>((sy - fy0) * 256.0);
        const size_t i = static_cast<size_t>(fy0) * w + static_cast<size_t>(fx0);
        for (int c = 0; c < 3; ++c) {
          const uint16_t* p = in.Channel(c);
          // At most 65535 x 65536: fits 32 bits unsigned.
          const uint32_t v = p[i] * (256 - fx) * (256 - fy) + p[i + 1] * fx * (256 - fy) +
                             p[i + w] * (256 - fx) * fy + p[i + w + 1] * fx * fy;
          dst[c][x] = static_cast<uint16_t>(v >> 16);
        }
      }
    }
  });
}

}  // namespace tavo
