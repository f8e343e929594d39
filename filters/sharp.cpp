// SPDX-License-Identifier: MIT
#include "filters/sharp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/memory.h"
#include "core/sample.h"
#include "filters/bands.h"

namespace tavo {
namespace {

// Window sums come from running sums along each row: the sum of columns
// lo..hi is prefix[hi + 1] - prefix[lo]. Rows longer than 32767 samples
// overflow 32 bits, but the difference taken modulo 2^32 is still exact
// because a window row never sums past 21 x 65535.
void PrefixRow(const uint16_t* row, int width, uint32_t* prefix) {
  uint32_t s = 0;
  prefix[0] = 0;
  for (int x = 0; x < width; ++x) {
    s += row[x];
    prefix[x + 1] = s;
  }
}

struct Setup {
  int width, height, radius, range, smoothing, enhancement;
  int half_width[2 * kSharpRadiusMax + 1];  // octagon half-width by dy + radius
};

// Adds one window row (half-width hw) to the sums and counts of every
// column, clipping at the left and right borders.
void AddWindowRow(const uint32_t* prefix, int width, int hw, uint32_t* sum, uint32_t* count) {
  const int mid_begin = std::min(hw, width), mid_end = std::max(width - hw, mid_begin);
  auto clipped = [&](int x) {
    const int lo = std::max(x - hw, 0), hi = std::min(x + hw, width - 1);
    sum[x] += prefix[hi + 1] - prefix[lo];
    count[x] += static_cast<uint32_t>(hi - lo + 1);
  };
  for (int x = 0; x < mid_begin; ++x) clipped(x);
  const uint32_t full = static_cast<uint32_t>(2 * hw + 1);
  for (int x = mid_begin; x < mid_end; ++x) {
    sum[x] += prefix[x + hw + 1] - prefix[x - hw];
    count[x] += full;
  }
  for (int x = mid_end; x < width; ++x) clipped(x);
}

void FilterRow(const Setup& s, const uint16_t* row, const uint32_t* sum, const uint32_t* count,
               uint16_t* out) {
  const int t = s.range, e = s.enhancement;
  const int sr = s.smoothing * s.radius, den = sr + 10;
  for (int x = 0; x < s.width; ++x) {
    const int v = row[x];
    int total = static_cast<int>(sum[x]), n = static_cast<int>(count[x]);
    if (s.radius == 1) {  // the centre is not part of the 8-neighbour mean
      total -= v;
      n -= 1;
      if (n == 0) {
        out[x] = static_cast<uint16_t>(v);
        continue;
      }
    }
    const int m = total / n;
    const int d = v - m;
    int result;
    if (d > -t && d < t) {
      result = (m * sr + v * 10) / den;
    } else if (d < 0) {
      result = v + ((d + t) * e) / 10;
    } else {
      result = v + ((d - t) * e) / 10;
    }
    out[x] = ClampSample(result);
  }
}

// Rows first..last - 1 of the output, keeping the running sums of the
// 2r + 1 source rows around the current one in a ring.
void FilterRows(const Setup& s, const uint16_t* plane, uint16_t* scratch, int first, int last) {
  const int w = s.width, h = s.height, r = s.radius;
  const size_t stride = static_cast<size_t>(w) + 1;
  const int ring_rows = 2 * r + 1;
  std::vector<uint32_t> ring(stride * ring_rows), sum(w), count(w);
  int next = std::max(first - r, 0);  // next source row to enter the ring
  for (int y = first; y < last; ++y) {
    const int top = std::min(y + r, h - 1);
    for (; next <= top; ++next) {
      PrefixRow(plane + static_cast<size_t>(next) * w, w, &ring[(next % ring_rows) * stride]);
    }
    std::fill(sum.begin(), sum.end(), 0u);
    std::fill(count.begin(), count.end(), 0u);
    for (int yy = std::max(y - r, 0); yy <= top; ++yy) {
      AddWindowRow(&ring[(yy % ring_rows) * stride], w, s.half_width[yy - y + r], sum.data(),
                   count.data());
    }
    const size_t offset = static_cast<size_t>(y) * w;
    FilterRow(s, plane + offset, sum.data(), count.data(), scratch + offset);
  }
}

}  // namespace

void ApplySharpSmoothPlane(uint16_t* plane, uint16_t* scratch, int width, int height, int radius,
                           int range, int smoothing, int enhancement) {
  if (width <= 0 || height <= 0) return;
  Setup s{width, height, radius, range, smoothing, enhancement, {}};
  const int reach = (radius + 2) / 3 + radius;  // |dx| + |dy| limit of the octagon
  for (int dy = -radius; dy <= radius; ++dy) {
    s.half_width[dy + radius] = std::min(radius, reach - std::abs(dy));
  }
  const int64_t samples = static_cast<int64_t>(width) * height;
  ForEachBand(height, samples, [&](int first, int last) { FilterRows(s, plane, scratch, first, last); });
  std::memcpy(plane, scratch, static_cast<size_t>(samples) * 2);
}

OpStatus ApplySharpSmooth(Image& image, const SharpSmoothParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const int flags = params.channels & kChannelFlagsAll;
  if (flags == 0) return kOpNothingToDo;
  if (image.monochrome != 1 && (!image.g || !image.b)) return kOpNothingToDo;
  Plane scratch = NewPlane(image.PixelCount(), false);
  if (!scratch) return kOpNoMemory;
  const int radius = ClampInt(params.radius, kSharpRadiusMin, kSharpRadiusMax);
  const int range = ClampInt(params.range, 0, kSharpRangeMax);
  const int smoothing = ClampInt(params.smoothing, 0, kSharpStrengthMax);
  const int enhancement = ClampInt(params.enhancement, 0, kSharpStrengthMax);
  const int bits[3] = {kChannelFlagR, kChannelFlagG, kChannelFlagB};
  for (int c = 0; c < 3; ++c) {
    const bool selected = image.monochrome == 1 ? c == 0 : (flags & bits[c]) != 0;
    if (!selected) continue;
    ApplySharpSmoothPlane(image.Channel(c), scratch.get(), image.width, image.height, radius,
                          range, smoothing, enhancement);
  }
  return kOpMade;
}

}  // namespace tavo
