// SPDX-License-Identifier: MIT
// filters/warp.h - resampling by a per-pixel source position with the
// 8-bit bilinear weights shared by the rotation and the distortion
// correction.
#pragma once
#include <algorithm>
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
  // Output tiles keep the source area they read small: a turned row runs
  // across many source rows, and a whole output row's worth of them would
  // not stay in cache.
  constexpr int kTileRows = 32, kTileColumns = 128;
  ForEachBand(out.height, out.PixelCount(), [&](int first, int last) {
    for (int ty = first; ty < last; ty += kTileRows) {
      const int y_end = std::min(last, ty + kTileRows);
      for (int tx = 0; tx < nw; tx += kTileColumns) {
        const int x_end = std::min(nw, tx + kTileColumns);
        for (int y = ty; y < y_end; ++y) {
          uint16_t* dst[3];
          for (int c = 0; c < 3; ++c) dst[c] = out.Channel(c) + static_cast<size_t>(y) * nw;
          for (int x = tx; x < x_end; ++x) {
            double sx, sy;
            where(x, y, &sx, &sy);
            // floor(s) >= 0 and floor(s) < last hold exactly when 0 <= s <
            // last (last is whole), and for s >= 0 the floor is the
            // truncation. Tested as doubles, a position far outside (or no
            // number) never reaches an integer conversion.
            if (!(sx >= 0.0 && sx < last_x && sy >= 0.0 && sy < last_y)) {
              dst[0][x] = dst[1][x] = dst[2][x] = 0;
              continue;
            }
            const uint32_t x0 = static_cast<uint32_t>(sx), y0 = static_cast<uint32_t>(sy);
            const uint32_t fx = static_cast<uint32_t>((sx - x0) * 256.0);
            const uint32_t fy = static_cast<uint32_t>((sy - y0) * 256.0);
            const size_t i = static_cast<size_t>(y0) * w + x0;
            for (int c = 0; c < 3; ++c) {
              const uint16_t* p = in.Channel(c);
              // At most 65535 x 65536: fits 32 bits unsigned.
              const uint32_t v = p[i] * (256 - fx) * (256 - fy) + p[i + 1] * fx * (256 - fy) +
                                 p[i + w] * (256 - fx) * fy + p[i + w + 1] * fx * fy;
              dst[c][x] = static_cast<uint16_t>(v >> 16);
            }
          }
        }
      }
    }
  });
}

}  // namespace tavo
