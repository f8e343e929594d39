// SPDX-License-Identifier: MIT
#include "filters/sharp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/sample.h"
#include "filters/bands.h"
#include "filters/divide.h"

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

constexpr int kMaxWindow = (2 * kSharpRadiusMax + 1) * (2 * kSharpRadiusMax + 1);

struct Setup {
  int width, height, radius, range, smoothing, enhancement;
  int half_width[2 * kSharpRadiusMax + 1];  // octagon half-width by dy + radius
  double reciprocal[kMaxWindow + 1];        // 1 / count
};

// Adds one window row (half-width hw) to the sums of every column,
// clipping at the left and right borders.
void AddWindowRow(const uint32_t* __restrict prefix, int width, int hw, uint32_t* __restrict sum) {
  const int mid_begin = std::min(hw, width), mid_end = std::max(width - hw, mid_begin);
  auto clipped = [&](int x) { sum[x] += prefix[std::min(x + hw, width - 1) + 1] - prefix[std::max(x - hw, 0)]; };
  for (int x = 0; x < mid_begin; ++x) clipped(x);
#pragma omp simd
  for (int x = mid_begin; x < mid_end; ++x) sum[x] += prefix[x + hw + 1] - prefix[x - hw];
  for (int x = mid_end; x < width; ++x) clipped(x);
}

struct Pull {
  int range, enhancement, smoothing_r;  // T, E, S r
  double smooth_reciprocal;             // 1 / (S r + 10)
};

// One sample from the sum and the reciprocal count of its window. Sums
// stay below 441 x 65535 < 2^25 and the smoothing numerator below 65535 x
// 510 < 2^26, so both divisions can go through DivideSmall. Written with
// selections only, so whole rows vectorise.
[[gnu::always_inline]] inline uint16_t Filter(const Pull& k, int v, int total, double reciprocal) {
  const int m = DivideSmall(total, reciprocal);
  const int d = v - m;
  const int smooth = DivideSmall(m * k.smoothing_r + v * 10, k.smooth_reciprocal);
  const int pushed = v + ((d < 0 ? d + k.range : d - k.range) * k.enhancement) / 10;
  const int result = d > -k.range && d < k.range ? smooth : pushed;
  return ClampSample(result);
}

// Output row y from the window sums of its columns; rows y + dy_lo .. y +
// dy_hi are inside the plane. Only the first and last r columns have
// clipped windows; the rest share one count.
TAVO_AVX2_CLONES void FilterRow(const Setup& s, int dy_lo, int dy_hi, const uint16_t* __restrict row,
               const uint32_t* __restrict sum, uint16_t* __restrict out) {
  const int w = s.width, r = s.radius;
  const Pull k{s.range, s.enhancement, s.smoothing * r, 1.0 / (s.smoothing * r + 10)};
  // r = 1 averages the 8 neighbours: the centre leaves the sum and count.
  const int centre_out = r == 1 ? 1 : 0;
  auto count_at = [&](int x) {
    int n = -centre_out;
    for (int dy = dy_lo; dy <= dy_hi; ++dy) {
      const int hw = s.half_width[dy + r];
      n += std::min(x + hw, w - 1) - std::max(x - hw, 0) + 1;
    }
    return n;
  };
  const int left_end = std::min(r, w), right_begin = std::max(w - r, left_end);
  for (int x = 0; x < left_end; ++x) {
    out[x] = Filter(k, row[x], static_cast<int>(sum[x]) - centre_out * row[x], s.reciprocal[count_at(x)]);
  }
  if (left_end < right_begin) {
    const double reciprocal = s.reciprocal[count_at(left_end)];
#pragma omp simd
    for (int x = left_end; x < right_begin; ++x) {
      out[x] = Filter(k, row[x], static_cast<int>(sum[x]) - centre_out * row[x], reciprocal);
    }
  }
  for (int x = right_begin; x < w; ++x) {
    out[x] = Filter(k, row[x], static_cast<int>(sum[x]) - centre_out * row[x], s.reciprocal[count_at(x)]);
  }
}

// The rows first..last - 1 of one thread, filtered in place. Every output
// row comes from the running sums of the 2r + 1 source rows around it,
// kept in a ring; the centre sample is still in the plane when its row is
// computed. The rows after the band belong to the next thread, which
// overwrites them, so their running sums are formed before any thread
// writes (the `halo`), as are those of the ring's first rows.
struct SharpBand {
  const Setup* s;
  uint16_t* plane;
  int first, last, next;  // next: the next source row to enter the ring
  std::vector<uint32_t> ring, halo, sum;
  std::vector<uint16_t> out;

  size_t Stride() const { return static_cast<size_t>(s->width) + 1; }
  uint32_t* Slot(int row) { return &ring[(row % (2 * s->radius + 1)) * Stride()]; }
  const uint16_t* Source(int row) const { return plane + static_cast<size_t>(row) * s->width; }

  void Prepare() {
    if (first >= last) return;
    const int r = s->radius, h = s->height;
    next = std::min(first + r, h);
    for (int row = std::max(first - r, 0); row < next; ++row) PrefixRow(Source(row), s->width, Slot(row));
    for (int row = last; row < std::min(last + r, h); ++row) {
      PrefixRow(Source(row), s->width, &halo[(row - last) * Stride()]);
    }
  }

  void Run() {
    const int w = s->width, h = s->height, r = s->radius;
    for (int y = first; y < last; ++y) {
      const int dy_lo = -std::min(y, r), dy_hi = std::min(h - 1 - y, r);
      for (; next <= y + dy_hi; ++next) {
        if (next < last) {
          PrefixRow(Source(next), w, Slot(next));
        } else {
          std::copy_n(&halo[(next - last) * Stride()], Stride(), Slot(next));
        }
      }
      std::fill(sum.begin(), sum.end(), 0u);
      for (int dy = dy_lo; dy <= dy_hi; ++dy) AddWindowRow(Slot(y + dy), w, s->half_width[dy + r], sum.data());
      FilterRow(*s, dy_lo, dy_hi, Source(y), sum.data(), out.data());
      std::copy(out.begin(), out.end(), plane + static_cast<size_t>(y) * w);
    }
  }
};

}  // namespace

void ApplySharpSmoothPlane(uint16_t* plane, int width, int height, int radius, int range,
                           int smoothing, int enhancement) {
  if (width <= 0 || height <= 0) return;
  radius = ClampInt(radius, kSharpRadiusMin, kSharpRadiusMax);
  if (radius == 1 && width == 1 && height == 1) return;  // no neighbour to compare with
  Setup s{width,
          height,
          radius,
          ClampInt(range, 0, kSharpRangeMax),
          ClampInt(smoothing, 0, kSharpStrengthMax),
          ClampInt(enhancement, 0, kSharpStrengthMax),
          {},
          {}};
  for (int n = 1; n <= kMaxWindow; ++n) s.reciprocal[n] = 1.0 / n;
  const int reach = (radius + 2) / 3 + radius;  // |dx| + |dy| limit of the octagon
  for (int dy = -radius; dy <= radius; ++dy) {
    s.half_width[dy + radius] = std::min(radius, reach - std::abs(dy));
  }
  const int64_t samples = static_cast<int64_t>(width) * height;
  ForEachBandInPlace(height, samples, [&](int first, int last) {
    const size_t stride = static_cast<size_t>(width) + 1;
    SharpBand band{&s,
                   plane,
                   first,
                   last,
                   0,
                   std::vector<uint32_t>(stride * (2 * radius + 1)),
                   std::vector<uint32_t>(stride * radius),
                   std::vector<uint32_t>(width),
                   std::vector<uint16_t>(width)};
    band.Prepare();
    return [band = std::move(band)]() mutable { band.Run(); };
  });
}

OpStatus ApplySharpSmooth(Image& image, const SharpSmoothParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const int flags = params.channels & kChannelFlagsAll;
  if (flags == 0) return kOpNothingToDo;
  if (image.monochrome != 1 && (!image.g || !image.b)) return kOpNothingToDo;
  const int bits[3] = {kChannelFlagR, kChannelFlagG, kChannelFlagB};
  for (int c = 0; c < 3; ++c) {
    const bool selected = image.monochrome == 1 ? c == 0 : (flags & bits[c]) != 0;
    if (!selected) continue;
    ApplySharpSmoothPlane(image.Channel(c), image.width, image.height, params.radius, params.range,
                          params.smoothing, params.enhancement);
  }
  return kOpMade;
}

}  // namespace tavo
