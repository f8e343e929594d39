// SPDX-License-Identifier: MIT
#include "filters/rotate.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "core/memory.h"
#include "filters/bands.h"
#include "filters/warp.h"

namespace tavo {
namespace {

bool HasPlanes(const Image& image) { return !image.Empty() && image.r && image.g && image.b; }

// The canvas and centres of a turn by theta; see RotateImage.
struct Turn {
  double cos_t, sin_t;
  double out_cx, out_cy, in_cx, in_cy;
  double width, height;  // trunc of the extents, not yet checked
};

Turn MakeTurn(long long millidegrees, int w, int h) {
  // The eight-digit pi is part of the result: it fixes which canvas size
  // and which fractions a given angle gives.
  const double theta = static_cast<double>(millidegrees) * 0.001 * (1.0 / 180.0) * 3.1415926;
  Turn t{};
  t.cos_t = std::cos(theta);
  t.sin_t = std::sin(theta);
  const double cx[4] = {0.0, double(w), double(w), 0.0};
  const double cy[4] = {0.0, double(h), 0.0, double(h)};
  double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  for (int i = 0; i < 4; ++i) {
    const double x = t.cos_t * cx[i] - t.sin_t * cy[i];
    const double y = t.sin_t * cx[i] + t.cos_t * cy[i];
    if (i == 0 || x < min_x) min_x = x;
    if (i == 0 || x > max_x) max_x = x;
    if (i == 0 || y < min_y) min_y = y;
    if (i == 0 || y > max_y) max_y = y;
  }
  t.width = std::trunc(max_x - min_x);
  t.height = std::trunc(max_y - min_y);
  t.out_cx = std::floor(max_x - min_x) * 0.5;
  t.out_cy = std::floor(max_y - min_y) * 0.5;
  t.in_cx = w * 0.5;
  t.in_cy = h * 0.5;
  return t;
}

// new index of old (x, y) for a quarter turn; see RotateQuarter.
template <typename Index>
void Transpose(const Image& in, Image& out, Index index) {
  constexpr int kTile = 64;  // keeps both the reads and the writes in cache
  const int w = in.width, h = in.height;
  const int tiles_y = (h + kTile - 1) / kTile;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* src = in.Channel(c);
    uint16_t* dst = out.Channel(c);
    ForEachBand(tiles_y, in.PixelCount(), [&](int first, int last) {
      for (int ty = first; ty < last; ++ty) {
        const int y_end = std::min(h, (ty + 1) * kTile);
        for (int x0 = 0; x0 < w; x0 += kTile) {
          const int x_end = std::min(w, x0 + kTile);
          for (int y = ty * kTile; y < y_end; ++y) {
            const uint16_t* row = src + static_cast<size_t>(y) * w;
            for (int x = x0; x < x_end; ++x) dst[index(x, y)] = row[x];
          }
        }
      }
    });
  }
}

}  // namespace

OpStatus MirrorImage(Image& image, int kind) {
  if (!HasPlanes(image)) return kOpNothingToDo;
  const int w = image.width, h = image.height;
  for (int c = 0; c < 3; ++c) {
    uint16_t* p = image.Channel(c);
    if (kind == kMirrorLeftRight) {
#pragma omp parallel for schedule(static) if (image.PixelCount() >= kFilterParallelMin)
      for (int y = 0; y < h; ++y) std::reverse(p + static_cast<size_t>(y) * w, p + static_cast<size_t>(y + 1) * w);
    } else if (kind == kMirrorTopBottom) {
      for (int y = 0; y < h / 2; ++y) {
        std::swap_ranges(p + static_cast<size_t>(y) * w, p + static_cast<size_t>(y + 1) * w,
                         p + static_cast<size_t>(h - 1 - y) * w);
      }
    } else {
      return kOpNothingToDo;
    }
  }
  return kOpMade;
}

OpStatus RotateQuarter(Image& image, int millidegrees) {
  if (!HasPlanes(image)) return kOpNothingToDo;
  const int w = image.width, h = image.height;
  if (millidegrees == 180000 || millidegrees == -180000) {
    for (int c = 0; c < 3; ++c) {
      uint16_t* p = image.Channel(c);
      std::reverse(p, p + image.PixelCount());  // (x, y) -> (w - 1 - x, h - 1 - y)
    }
    return kOpMade;
  }
  if (millidegrees != 90000 && millidegrees != -90000) return kOpNothingToDo;
  Image fresh;
  if (!AllocateImagePlanes(fresh, h, w, false)) return kOpNoMemory;
  const size_t nw = static_cast<size_t>(h);
  if (millidegrees == 90000) {
    Transpose(image, fresh, [&](int x, int y) { return static_cast<size_t>(x) * nw + (h - 1 - y); });
  } else {
    Transpose(image, fresh, [&](int x, int y) { return static_cast<size_t>(w - 1 - x) * nw + y; });
  }
  AdoptPlanes(image, fresh);
  return kOpMade;
}

OpStatus RotateImage(Image& image, long long millidegrees, PointPair* points) {
  if (!HasPlanes(image)) return kOpNothingToDo;
  const Turn t = MakeTurn(millidegrees, image.width, image.height);
  if (!(t.width >= 1.0 && t.height >= 1.0)) return kOpNothingToDo;
  if (t.width > INT_MAX || t.height > INT_MAX) return kOpNoMemory;
  Image fresh;
  if (!AllocateImagePlanes(fresh, static_cast<int>(t.width), static_cast<int>(t.height), false)) {
    return kOpNoMemory;
  }
  WarpBilinear(image, fresh, [&t](int x, int y, double* sx, double* sy) {
    *sx = t.cos_t * (x - t.out_cx) - t.sin_t * (t.out_cy - y) + t.in_cx;
    *sy = t.in_cy - (t.cos_t * (t.out_cy - y) + t.sin_t * (x - t.out_cx));
  });
  AdoptPlanes(image, fresh);
  if (points != nullptr) {
    auto carry = [&t](double* x, double* y) {
      const double a = *x - t.in_cx, b = t.in_cy - *y;
      *x = t.out_cx + t.cos_t * a + t.sin_t * b;
      *y = t.out_cy - (t.cos_t * b - t.sin_t * a);
    };
    carry(&points->ax, &points->ay);
    carry(&points->bx, &points->by);
  }
  return kOpMade;
}

OpStatus ApplyRotation(Image& image, const RotateParams& params, PointPair* points) {
  if (params.kind == kMirrorLeftRight || params.kind == kMirrorTopBottom) {
    return MirrorImage(image, params.kind);
  }
  const long long millidegrees = static_cast<long long>(params.angle) * 10;
  if (millidegrees == 90000 || millidegrees == -90000 || millidegrees == 180000 ||
      millidegrees == -180000) {
    return RotateQuarter(image, static_cast<int>(millidegrees));
  }
  return RotateImage(image, millidegrees, points);
}

}  // namespace tavo
