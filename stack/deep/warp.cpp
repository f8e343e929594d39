// SPDX-License-Identifier: MIT
#include "stack/deep/warp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "filters/bands.h"
#include "filters/resize.h"

namespace tavo {
namespace {

// 16 x 16 phases of 25 weights each, in the resize's own order.
const std::vector<float>& LanczosTable() {
  static const std::vector<float> table = [] {
    std::vector<float> t(256 * 25);
    double w[25];
    for (int py = 0; py < 16; ++py) {
      for (int px = 0; px < 16; ++px) {
        LanczosWeights(px, py, w);
        for (int k = 0; k < 25; ++k) t[(py * 16 + px) * 25 + k] = static_cast<float>(w[k]);
      }
    }
    return t;
  }();
  return table;
}

// Whole part and rounded fraction (in 1 / steps) of a position >= 0 (so
// truncation is the floor).
void Split(double s, int steps, int* whole, int* part) {
  *whole = static_cast<int>(s);
  *part = static_cast<int>((s - *whole) * steps + 0.5);
  if (*part == steps) {
    ++*whole;
    *part = 0;
  }
}

// The kernel rows as 8 lanes: 5 taps and 3 zero weights.
typedef float Row8 __attribute__((vector_size(32)));
typedef int32_t Mask8 __attribute__((vector_size(32)));

const std::vector<Row8>& LanczosRows() {
  static const std::vector<Row8> rows = [] {
    std::vector<Row8> r(256 * 5);
    const float* t = LanczosTable().data();
    for (int phase = 0; phase < 256; ++phase) {
      for (int dy = 0; dy < 5; ++dy) {
        Row8 row = {};
        for (int dx = 0; dx < 5; ++dx) row[dx] = t[phase * 25 + dy * 5 + dx];
        r[phase * 5 + dy] = row;
      }
    }
    return r;
  }();
  return rows;
}

// The 25 taps of one output sample, all inside the plane and with three
// more samples readable after each row's five. The three extra lanes are
// cleared rather than weighted by 0, so a NaN there cannot leak in.
TAVO_AVX2_CLONES float Taps(const Row8* k, const float* p, size_t w) {
  const Mask8 five = {-1, -1, -1, -1, -1, 0, 0, 0};
  Row8 sum = {};
  for (int dy = 0; dy < 5; ++dy, p += w) {
    Row8 v;
    std::memcpy(&v, p, sizeof v);
    sum += k[dy] * reinterpret_cast<Row8>(reinterpret_cast<Mask8>(v) & five);
  }
  return (sum[0] + sum[1]) + (sum[2] + sum[3]) + sum[4];
}

}  // namespace

void WarpFrame(const FloatFrame& in, const Similarity& t, int method, FloatFrame* out) {
  const int w = in.width, h = in.height, ow = out->width, oh = out->height, channels = in.channels;
  const double last_x = w - 1, last_y = h - 1;
  const float* table = LanczosTable().data();
  const Row8* rows = LanczosRows().data();
  const float kNone = std::numeric_limits<float>::quiet_NaN();
  const bool lanczos = method != kWarpBilinear;
#pragma omp parallel for schedule(static) if (static_cast<long long>(ow) * oh > (1 << 16))
  for (int y = 0; y < oh; ++y) {
    for (int x = 0; x < ow; ++x) {
      double sx, sy;
      MapPoint(t, x, y, &sx, &sy);
      const size_t at = static_cast<size_t>(y) * ow + x;
      if (!(sx >= 0.0 && sx <= last_x && sy >= 0.0 && sy <= last_y)) {
        for (int c = 0; c < channels; ++c) out->Plane(c)[at] = kNone;
        continue;
      }
      if (lanczos) {
        int x0, y0, px, py;
        Split(sx, 16, &x0, &px);
        Split(sy, 16, &y0, &py);
        const float* k = table + (py * 16 + px) * 25;
        if (x0 >= 2 && x0 + 5 < w && y0 >= 2 && y0 + 2 < h) {
          const size_t corner = static_cast<size_t>(y0 - 2) * w + (x0 - 2);
          for (int c = 0; c < channels; ++c) out->Plane(c)[at] = Taps(rows + (py * 16 + px) * 5, in.Plane(c) + corner, w);
          continue;
        }
        int cols[5];
        for (int d = 0; d < 5; ++d) cols[d] = std::clamp(x0 + d - 2, 0, w - 1);
        for (int c = 0; c < channels; ++c) {
          const float* plane = in.Plane(c);
          float sum = 0.0f;
          for (int dy = 0; dy < 5; ++dy) {
            const float* row = plane + static_cast<size_t>(std::clamp(y0 + dy - 2, 0, h - 1)) * w;
            for (int dx = 0; dx < 5; ++dx) sum += k[dy * 5 + dx] * row[cols[dx]];
          }
          out->Plane(c)[at] = sum;
        }
      } else {
        int x0, y0, fx, fy;
        Split(sx, 256, &x0, &fx);
        Split(sy, 256, &y0, &fy);
        const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
        x0 = std::min(x0, w - 1);
        y0 = std::min(y0, h - 1);
        const float gx = fx / 256.0f, gy = fy / 256.0f;
        for (int c = 0; c < channels; ++c) {
          const float* plane = in.Plane(c);
          const float* r0 = plane + static_cast<size_t>(y0) * w;
          const float* r1 = plane + static_cast<size_t>(y1) * w;
          out->Plane(c)[at] = (r0[x0] * (1 - gx) + r0[x1] * gx) * (1 - gy) + (r1[x0] * (1 - gx) + r1[x1] * gx) * gy;
        }
      }
    }
  }
}

}  // namespace tavo
