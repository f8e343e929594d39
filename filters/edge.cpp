// SPDX-License-Identifier: MIT
#include "filters/edge.h"

#include <algorithm>
#include <cstring>

#include "core/memory.h"
#include "core/sample.h"
#include "filters/bands.h"

namespace tavo {
namespace {

struct Strengths {
  int range, enhancement, threshold, smoothing;
};

// Pull towards the mixed mean (few samples on the own side) or towards the
// own side's mean.
int OwnSide(int v, int s9, int side_sum, int side_count, const Strengths& k) {
  if (side_count < 3) {
    return (v * 10 + ((s9 + side_sum) / (9 + side_count)) * k.smoothing) / (k.smoothing + 10);
  }
  return (v * 10 + (side_sum / side_count) * k.enhancement) / (k.enhancement + 10);
}

int Flat(int v, int s9, const Strengths& k) {
  return (v * 10 + (s9 / 9) * k.smoothing) / (k.smoothing + 10);
}

// Three row pointers and clamped column indices around (x, y); calls
// `pixel` with the 9 sample offsets (row pointer index, column).
template <typename Pixel>
void ForEachPixel(int width, int height, int64_t samples, Pixel pixel) {
#pragma omp parallel for schedule(static) if (samples >= kFilterParallelMin)
  for (int y = 0; y < height; ++y) {
    const int below = std::max(y - 1, 0), above = std::min(y + 1, height - 1);
    for (int x = 0; x < width; ++x) {
      pixel(y, below, above, std::max(x - 1, 0), x, std::min(x + 1, width - 1));
    }
  }
}

}  // namespace

void EnhanceEdgesPlane(uint16_t* plane, uint16_t* scratch, int width, int height, int range,
                       int enhancement, int threshold, int smoothing) {
  if (width <= 0 || height <= 0) return;
  const Strengths k{range, enhancement, threshold, smoothing};
  const size_t w = static_cast<size_t>(width);
  const int64_t samples = static_cast<int64_t>(width) * height;
  ForEachPixel(width, height, samples, [&](int y, int y0, int y2, int x0, int x1, int x2) {
    const uint16_t* rows[3] = {plane + y0 * w, plane + y * w, plane + y2 * w};
    const int v = rows[1][x1];
    int mx = 0, mn = 65535, s9 = 0, s_hi = 0, n_hi = 0, s_lo = 0, n_lo = 0;
    for (const uint16_t* row : rows) {
      for (const int xx : {x0, x1, x2}) {
        const int s = row[xx];
        mx = std::max(mx, s);
        mn = std::min(mn, s);
        s9 += s;
        if (s > v) {
          s_hi += s;
          ++n_hi;
        } else if (s < v) {
          s_lo += s;
          ++n_lo;
        }
      }
    }
    int result;
    if (mx - mn > k.range) {
      const bool bright = (mx - mn) * k.threshold + mn * 100 < v * 100;
      result = bright ? OwnSide(v, s9, s_hi, n_hi, k) : OwnSide(v, s9, s_lo, n_lo, k);
    } else {
      result = Flat(v, s9, k);
    }
    scratch[y * w + x1] = ClampSample(result);
  });
  std::memcpy(plane, scratch, static_cast<size_t>(samples) * 2);
}

void EnhanceEdgesRgb(uint16_t* const planes[3], uint16_t* const scratch[3], int width, int height,
                     int range, int enhancement, int threshold, int smoothing) {
  if (width <= 0 || height <= 0) return;
  const Strengths k{range, enhancement, threshold, smoothing};
  const size_t w = static_cast<size_t>(width);
  const int64_t samples = static_cast<int64_t>(width) * height;
  ForEachPixel(width, height, samples, [&](int y, int y0, int y2, int x0, int x1, int x2) {
    const size_t centre = y * w + x1;
    const int lc = planes[0][centre] + planes[1][centre] + planes[2][centre];
    int mx = 0, mn = 3 * 65535, n_hi = 0, n_lo = 0;
    int s9[3] = {}, s_hi[3] = {}, s_lo[3] = {};
    for (const int yy : {y0, y, y2}) {
      for (const int xx : {x0, x1, x2}) {
        const size_t i = yy * w + xx;
        const int v[3] = {planes[0][i], planes[1][i], planes[2][i]};
        const int l = v[0] + v[1] + v[2];
        mx = std::max(mx, l);
        mn = std::min(mn, l);
        for (int c = 0; c < 3; ++c) s9[c] += v[c];
        if (yy == y && xx == x1) continue;  // the groups hold the 8 neighbours
        int* group = l < lc ? s_lo : s_hi;
        for (int c = 0; c < 3; ++c) group[c] += v[c];
        ++(l < lc ? n_lo : n_hi);
      }
    }
    const bool edge = mx - mn > 3 * k.range;
    const bool bright = (mx - mn) * k.threshold + mn * 100 < lc * 100;
    for (int c = 0; c < 3; ++c) {
      const int v = planes[c][centre];
      int result;
      if (!edge) {
        result = Flat(v, s9[c], k);
      } else if (bright) {
        result = OwnSide(v, s9[c], s_hi[c], n_hi, k);
      } else {
        result = OwnSide(v, s9[c], s_lo[c], n_lo, k);
      }
      scratch[c][centre] = ClampSample(result);
    }
  });
  for (int c = 0; c < 3; ++c) std::memcpy(planes[c], scratch[c], static_cast<size_t>(samples) * 2);
}

OpStatus ApplyEdge(Image& image, const EdgeParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const int flags = params.channels & kChannelFlagsAll;
  if (flags == 0) return kOpNothingToDo;
  const bool mono = image.monochrome == 1;
  if (!mono && (!image.g || !image.b)) return kOpNothingToDo;
  const bool three = !mono && flags == kChannelFlagsAll;
  const size_t count = image.PixelCount();
  Plane scratch[3];
  for (int c = 0; c < (three ? 3 : 1); ++c) {
    scratch[c] = NewPlane(count, false);
    if (!scratch[c]) return kOpNoMemory;
  }
  const int range = ClampInt(params.range, 0, kEdgeRangeMax);
  const int enhancement = ClampInt(params.enhancement, 0, kEdgeStrengthMax);
  const int threshold = ClampInt(params.threshold, 0, kEdgeThresholdMax);
  const int smoothing = ClampInt(params.smoothing, 0, kEdgeStrengthMax);
  const int w = image.width, h = image.height;
  if (three) {
    uint16_t* const planes[3] = {image.r.get(), image.g.get(), image.b.get()};
    uint16_t* const scratches[3] = {scratch[0].get(), scratch[1].get(), scratch[2].get()};
    EnhanceEdgesRgb(planes, scratches, w, h, range, enhancement, threshold, smoothing);
    return kOpMade;
  }
  const int bits[3] = {kChannelFlagR, kChannelFlagG, kChannelFlagB};
  for (int c = 0; c < 3; ++c) {
    const bool selected = mono ? c == 0 : (flags & bits[c]) != 0;
    if (selected) {
      EnhanceEdgesPlane(image.Channel(c), scratch[0].get(), w, h, range, enhancement, threshold,
                        smoothing);
    }
  }
  return kOpMade;
}

}  // namespace tavo
