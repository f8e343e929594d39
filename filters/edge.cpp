// SPDX-License-Identifier: MIT
#include "filters/edge.h"

#include <algorithm>
#include <vector>

#include "core/sample.h"
#include "filters/bands.h"
#include "filters/divide.h"

namespace tavo {
namespace {

struct Strengths {
  int range, enhancement, threshold, smoothing;
  double smooth_reciprocal;  // 1 / (S + 10)
};

Strengths MakeStrengths(int range, int enhancement, int threshold, int smoothing) {
  Strengths k{ClampInt(range, 0, kEdgeRangeMax), ClampInt(enhancement, 0, kEdgeStrengthMax),
              ClampInt(threshold, 0, kEdgeThresholdMax), ClampInt(smoothing, 0, kEdgeStrengthMax), 0};
  k.smooth_reciprocal = 1.0 / (k.smoothing + 10);
  return k;
}

// The result for one plane of a pixel whose 3 x 3 block has been summed.
// Sums stay below 17 x 65535 and numerators below 65535 x 60. The choices
// are written as arithmetic on 0/1 flags: the compiler then vectorises
// whole rows, and noise does not stall on mispredicted branches.
[[gnu::always_inline]] inline uint16_t EdgeResult(const Strengths& k, int v, int s9, int edge,
                                                  int bright, int s_hi, int n_hi, int s_lo, int n_lo) {
  const int side_sum = s_lo + bright * (s_hi - s_lo), side_count = n_lo + bright * (n_hi - n_lo);
  // Fewer than 3 on the own side: the mixed mean, pulled with S; else the
  // own side's mean, pulled with E.
  const int few = side_count < 3;
  const int mean = DivideExact(side_sum + few * s9, side_count + few * 9);
  const int strength = k.enhancement + few * (k.smoothing - k.enhancement);
  const int on_edge = DivideExact(v * 10 + mean * strength, strength + 10);
  const int flat = DivideSmall(v * 10 + DivideSmall(s9, 1.0 / 9) * k.smoothing, k.smooth_reciprocal);
  return static_cast<uint16_t>(flat + edge * (on_edge - flat));  // a weighted mean: within 0..65535
}

// One-plane form at column x1 of the rows below (a), at (b) and above (c),
// with the clamped neighbour columns x0 and x2.
[[gnu::always_inline]] inline uint16_t EdgePixel(const Strengths& k, const uint16_t* a, const uint16_t* b,
                                                 const uint16_t* c, int x0, int x1, int x2) {
  const int v = b[x1];
  const int s[9] = {a[x0], a[x1], a[x2], b[x0], v, b[x2], c[x0], c[x1], c[x2]};
  int mx = v, mn = v, s9 = 0, s_hi = 0, n_hi = 0, s_lo = 0, n_lo = 0;
#pragma GCC unroll 9
  for (int i = 0; i < 9; ++i) {
    mx = std::max(mx, s[i]);
    mn = std::min(mn, s[i]);
    s9 += s[i];
    const int hi = s[i] > v, lo = s[i] < v;
    s_hi += hi * s[i];
    n_hi += hi;
    s_lo += lo * s[i];
    n_lo += lo;
  }
  const int edge = mx - mn > k.range;
  const int bright = (mx - mn) * k.threshold + mn * 100 < v * 100;
  return EdgeResult(k, v, s9, edge, bright, s_hi, n_hi, s_lo, n_lo);
}

// Three-plane form at column x1: p[row][plane] are the rows below, at and
// above, l[row] their sums R + G + B.
[[gnu::always_inline]] inline void EdgePixelRgb(const Strengths& k, const uint16_t* const (&p)[3][3],
                                                const int* const (&l)[3], int x0, int x1, int x2,
                                                uint16_t* const (&out)[3]) {
  const int cols[3] = {x0, x1, x2};
  const int lc = l[1][x1];
  int mx = lc, mn = lc, n_lo = 0;
  int s9_r = 0, s9_g = 0, s9_b = 0, lo_r = 0, lo_g = 0, lo_b = 0;
#pragma GCC unroll 3
  for (int r = 0; r < 3; ++r) {
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) {
      const int x = cols[i];
      const int lv = l[r][x];
      mx = std::max(mx, lv);
      mn = std::min(mn, lv);
      // The centre is never below itself, so it joins no dark group; the
      // bright group is what is left of the 8 neighbours.
      const int dark = lv < lc;
      n_lo += dark;
      const int vr = p[r][0][x], vg = p[r][1][x], vb = p[r][2][x];
      s9_r += vr;
      s9_g += vg;
      s9_b += vb;
      lo_r += dark * vr;
      lo_g += dark * vg;
      lo_b += dark * vb;
    }
  }
  const int edge = mx - mn > 3 * k.range;
  const int bright = (mx - mn) * k.threshold + mn * 100 < lc * 100;
  const int n_hi = 8 - n_lo;
  const int vr = p[1][0][x1], vg = p[1][1][x1], vb = p[1][2][x1];
  out[0][x1] = EdgeResult(k, vr, s9_r, edge, bright, s9_r - vr - lo_r, n_hi, lo_r, n_lo);
  out[1][x1] = EdgeResult(k, vg, s9_g, edge, bright, s9_g - vg - lo_g, n_hi, lo_g, n_lo);
  out[2][x1] = EdgeResult(k, vb, s9_b, edge, bright, s9_b - vb - lo_b, n_hi, lo_b, n_lo);
}

// One output row of each form; the border columns repeat their edge.
TAVO_AVX2_CLONES void EdgeRow(const Strengths& k, const uint16_t* a, const uint16_t* b, const uint16_t* c,
                              int width, uint16_t* out) {
  const int last = width - 1;
  out[0] = EdgePixel(k, a, b, c, 0, 0, std::min(1, last));
#pragma omp simd
  for (int x = 1; x < last; ++x) out[x] = EdgePixel(k, a, b, c, x - 1, x, x + 1);
  if (last > 0) out[last] = EdgePixel(k, a, b, c, last - 1, last, last);
}

TAVO_AVX2_CLONES void EdgeRowRgb(const Strengths& k, const uint16_t* const (&p)[3][3], const int* const (&l)[3],
                                 int width, uint16_t* const (&out)[3]) {
  const int last = width - 1;
  EdgePixelRgb(k, p, l, 0, 0, std::min(1, last), out);
#pragma omp simd
  for (int x = 1; x < last; ++x) EdgePixelRgb(k, p, l, x - 1, x, x + 1, out);
  if (last > 0) EdgePixelRgb(k, p, l, last - 1, last, last, out);
}

size_t RowOffset(int y, int width) { return static_cast<size_t>(y) * static_cast<size_t>(width); }

// The rows first..last - 1 of one thread, filtered in place on one plane
// or on three (the three-plane form). A row's result needs the original
// rows around it: the row below is kept aside before it is overwritten,
// and the rows just outside the band, which the neighbouring threads
// overwrite, are copied before any thread writes.
struct EdgeBand {
  const Strengths* k;
  uint16_t* const* planes;
  int count, width, height, first, last;
  std::vector<uint16_t> below, halo, out;  // `count` rows each
  std::vector<int> sums;                   // R + G + B of rows yy % 3 (three planes)
  int held[3];

  uint16_t* Live(int c, int row) const { return planes[c] + RowOffset(row, width); }
  uint16_t* Copy(std::vector<uint16_t>& rows, int c) { return &rows[RowOffset(c, width)]; }

  void Prepare() {
    if (first >= last) return;
    for (int c = 0; c < count; ++c) {
      if (first > 0) std::copy_n(Live(c, first - 1), width, Copy(below, c));
      if (last < height) std::copy_n(Live(c, last), width, Copy(halo, c));
    }
  }

  void Run() {
    for (int y = first; y < last; ++y) {
      // Coordinates outside the plane repeat the border row or column.
      const uint16_t* p[3][3] = {};
      for (int c = 0; c < count; ++c) {
        p[1][c] = Live(c, y);
        p[0][c] = y == 0 ? p[1][c] : Copy(below, c);
        p[2][c] = y + 1 == height ? p[1][c] : y + 1 < last ? Live(c, y + 1) : Copy(halo, c);
      }
      if (count == 1) {
        EdgeRow(*k, p[0][0], p[1][0], p[2][0], width, Copy(out, 0));
      } else {
        const int ys[3] = {std::max(y - 1, 0), y, std::min(y + 1, height - 1)};
        const int* l[3];
        for (int r = 0; r < 3; ++r) {
          int* row_sum = &sums[RowOffset(ys[r] % 3, width)];
          if (held[ys[r] % 3] != ys[r]) {
            held[ys[r] % 3] = ys[r];
            for (int x = 0; x < width; ++x) row_sum[x] = p[r][0][x] + p[r][1][x] + p[r][2][x];
          }
          l[r] = row_sum;
        }
        uint16_t* const results[3] = {Copy(out, 0), Copy(out, 1), Copy(out, 2)};
        EdgeRowRgb(*k, p, l, width, results);
      }
      for (int c = 0; c < count; ++c) {
        std::copy_n(Live(c, y), width, Copy(below, c));
        std::copy_n(Copy(out, c), width, Live(c, y));
      }
    }
  }
};

void EnhanceInPlace(uint16_t* const* planes, int count, int width, int height, const Strengths& k) {
  if (width <= 0 || height <= 0) return;
  ForEachBandInPlace(height, static_cast<int64_t>(width) * height, [&](int first, int last) {
    const size_t rows = RowOffset(count, width);
    EdgeBand band{&k,
                  planes,
                  count,
                  width,
                  height,
                  first,
                  last,
                  std::vector<uint16_t>(rows),
                  std::vector<uint16_t>(rows),
                  std::vector<uint16_t>(rows),
                  std::vector<int>(count == 3 ? RowOffset(3, width) : 0),
                  {-1, -1, -1}};
    band.Prepare();
    return [band = std::move(band)]() mutable { band.Run(); };
  });
}

}  // namespace

void EnhanceEdgesPlane(uint16_t* plane, int width, int height, int range, int enhancement,
                       int threshold, int smoothing) {
  uint16_t* const planes[1] = {plane};
  EnhanceInPlace(planes, 1, width, height, MakeStrengths(range, enhancement, threshold, smoothing));
}

void EnhanceEdgesRgb(uint16_t* const planes[3], int width, int height, int range, int enhancement,
                     int threshold, int smoothing) {
  EnhanceInPlace(planes, 3, width, height, MakeStrengths(range, enhancement, threshold, smoothing));
}

OpStatus ApplyEdge(Image& image, const EdgeParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const int flags = params.channels & kChannelFlagsAll;
  if (flags == 0) return kOpNothingToDo;
  const bool mono = image.monochrome == 1;
  if (!mono && (!image.g || !image.b)) return kOpNothingToDo;
  const EdgeParams& p = params;
  const int w = image.width, h = image.height;
  if (!mono && flags == kChannelFlagsAll) {
    uint16_t* const planes[3] = {image.r.get(), image.g.get(), image.b.get()};
    EnhanceEdgesRgb(planes, w, h, p.range, p.enhancement, p.threshold, p.smoothing);
    return kOpMade;
  }
  const int bits[3] = {kChannelFlagR, kChannelFlagG, kChannelFlagB};
  for (int c = 0; c < 3; ++c) {
    const bool selected = mono ? c == 0 : (flags & bits[c]) != 0;
    if (selected) EnhanceEdgesPlane(image.Channel(c), w, h, p.range, p.enhancement, p.threshold, p.smoothing);
  }
  return kOpMade;
}

}  // namespace tavo
