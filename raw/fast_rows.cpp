// SPDX-License-Identifier: MIT
#include "raw/fast_rows.h"

#include <cstring>

#include "core/sample.h"
#include "raw/fast_develop.h"
#include "raw/libraw_session.h"

namespace tavo {
namespace {

// Built twice, for AVX2 and for the baseline x86-64; the loader picks one.
// Both give the same samples: integer arithmetic and correctly rounded
// float or double operations lane by lane, no fused multiply-adds.
#define TAVO_ROW_CLONES __attribute__((target_clones("avx2", "default")))

// The vector helpers below stay inside this file and are inlined, so the
// calling convention GCC warns about for 32-byte vectors never applies.
#pragma GCC diagnostic ignored "-Wpsabi"

using U16x8 = uint16_t __attribute__((vector_size(16)));
using U32x8 = uint32_t __attribute__((vector_size(32)));
using I32x8 = int32_t __attribute__((vector_size(32)));
using F32x8 = float __attribute__((vector_size(32)));

// Eight samples widened to 32 bits, and back (every lane 0..65535). Macros
// rather than functions: a function taking or returning a 32-byte vector
// needs AVX in its calling convention, which the baseline build of these
// loops lacks (one compiler refuses it outright).
#define LOAD8(p)                                 \
  (__extension__({                               \
    U16x8 loaded_;                               \
    std::memcpy(&loaded_, (p), sizeof loaded_);  \
    __builtin_convertvector(loaded_, U32x8);     \
  }))
#define STORE8(p, v)                                          \
  do {                                                        \
    const U16x8 stored_ = __builtin_convertvector((v), U16x8); \
    std::memcpy((p), &stored_, sizeof stored_);               \
  } while (false)

// ---- Demosaic --------------------------------------------------------------

// Weighted mean of the non-zero channel-c samples of the 3 x 3 window
// around (x, y); the centre counts with `centre_weight` (0: left out).
// Points outside the mosaic are skipped.
uint16_t WindowMean(const uint16_t* records, int width, int height, int x, int y, int c, int centre_weight) {
  int sum = 0, weight = 0;
  for (int dy = -1; dy <= 1; ++dy) {
    const int yy = y + dy;
    if (yy < 0 || yy >= height) continue;
    const uint16_t* row = records + static_cast<size_t>(yy) * width * 4;
    for (int dx = -1; dx <= 1; ++dx) {
      const int xx = x + dx;
      if (xx < 0 || xx >= width) continue;
      const int w = dx == 0 && dy == 0 ? centre_weight : (dx == 0 || dy == 0) ? 2 : 1;
      const int v = row[static_cast<size_t>(xx) * 4 + c];
      if (v == 0 || w == 0) continue;
      sum += w * v;
      weight += w;
    }
  }
  return weight == 0 ? 0 : static_cast<uint16_t>(sum / weight);
}

void DemosaicPixel(const uint16_t* records, int width, int height, int pattern, int x, int y, uint16_t out[3]) {
  const uint16_t* here = records + (static_cast<size_t>(y) * width + x) * 4;
  for (int c = 0; c < 3; ++c) {
    if (pattern == kPattern6x6) {
      out[c] = WindowMean(records, width, height, x, y, c, 16);
    } else {
      out[c] = here[c] != 0 ? here[c] : WindowMean(records, width, height, x, y, c, 0);
    }
  }
}

// WindowMean away from the border for every sample of n consecutive ones
// (all four channels of n / 4 pixels): `p` is the first, `stride` the
// distance to the same sample one row down. A zero sample adds nothing to
// the sum; only its weight is left out. The sum stays below 28 x 65536 and
// the mean below 65536, so the float quotient is within 2^-8 of the exact
// one, while a quotient that is not whole lies at least 1/28 from the next
// whole number: truncating it gives the integer quotient.
TAVO_ROW_CLONES void MeanRecords(const uint16_t* p, size_t stride, int n, int centre_weight, bool keep_present,
                                 uint16_t* out) {
  const uint16_t* up = p - stride;
  const uint16_t* down = p + stride;
  int j = 0;
  for (; j + 8 <= n; j += 8) {
    const U32x8 c = LOAD8(p + j), u = LOAD8(up + j), d = LOAD8(down + j), l = LOAD8(p + j - 4), r = LOAD8(p + j + 4);
    const U32x8 ul = LOAD8(up + j - 4), ur = LOAD8(up + j + 4), dl = LOAD8(down + j - 4), dr = LOAD8(down + j + 4);
    const U32x8 sum = static_cast<uint32_t>(centre_weight) * c + 2 * (u + d + l + r) + ul + ur + dl + dr;
    // A comparison gives -1 (all bits) where true.
    const I32x8 edges = (u != 0) + (d != 0) + (l != 0) + (r != 0);
    const I32x8 corners = (ul != 0) + (ur != 0) + (dl != 0) + (dr != 0);
    const I32x8 weight = -(centre_weight * (c != 0) + 2 * edges + corners);
    const I32x8 divisor = weight - (weight == 0);  // no weight: the sum is 0 too
    const F32x8 q = __builtin_convertvector(reinterpret_cast<I32x8>(sum), F32x8) /
                    __builtin_convertvector(divisor, F32x8);
    const U32x8 mean = reinterpret_cast<U32x8>(__builtin_convertvector(q, I32x8));
    STORE8(out + j, keep_present ? (c != 0 ? c : mean) : mean);
  }
  for (; j < n; ++j) {
    const uint16_t* s = p + j;
    const int v = s[0];
    if (keep_present && v != 0) {
      out[j] = static_cast<uint16_t>(v);
      continue;
    }
    const int a[4] = {s[-static_cast<ptrdiff_t>(stride)], s[stride], s[-4], s[4]};
    const int b[4] = {s[-static_cast<ptrdiff_t>(stride) - 4], s[-static_cast<ptrdiff_t>(stride) + 4], s[stride - 4],
                      s[stride + 4]};
    int sum = centre_weight * v, weight = v != 0 ? centre_weight : 0;
    for (int k = 0; k < 4; ++k) {
      sum += 2 * a[k] + b[k];
      weight += 2 * (a[k] != 0) + (b[k] != 0);
    }
    out[j] = weight == 0 ? 0 : static_cast<uint16_t>(sum / weight);
  }
}

TAVO_ROW_CLONES void SplitRecords(const uint16_t* records, int count, uint16_t* __restrict r,
                                  uint16_t* __restrict g, uint16_t* __restrict b) {
  for (int x = 0; x < count; ++x) {
    r[x] = records[4 * x];
    g[x] = records[4 * x + 1];
    b[x] = records[4 * x + 2];
  }
}

// ---- Luminance -------------------------------------------------------------

TAVO_ROW_CLONES void LumaSpan(const uint16_t* r, const uint16_t* g, const uint16_t* b, int width,
                              uint16_t* __restrict out) {
  int x = 0;
  for (; x + 8 <= width; x += 8) STORE8(out + x, ((LOAD8(r + x) + LOAD8(g + x) + LOAD8(b + x)) / 3) >> 2);
  for (; x < width; ++x) out[x] = static_cast<uint16_t>(((r[x] + g[x] + b[x]) / 3) >> 2);
}

TAVO_ROW_CLONES void CrossSpan(const uint16_t* up, const uint16_t* mid, const uint16_t* down, int begin, int end,
                               uint16_t* __restrict out) {
  int x = begin;
  for (; x + 8 <= end; x += 8) {
    STORE8(out + x,
           (LOAD8(mid + x) + LOAD8(up + x) + LOAD8(down + x) + LOAD8(mid + x - 1) + LOAD8(mid + x + 1)) / 5);
  }
  for (; x < end; ++x) out[x] = static_cast<uint16_t>((mid[x] + up[x] + down[x] + mid[x - 1] + mid[x + 1]) / 5);
}

// ---- Sharpening ------------------------------------------------------------

// Mean with the ring when the pixel differs from it by less than
// n = 4 (8 - sharpness), otherwise pushed away from it by (|d| - n) s / 2,
// clamped to 0..16383. With n = 0 both outer branches give v at d = 0.
inline uint16_t Sharpen(int v, int u, int sharpness) {
  const int n = 4 * (8 - sharpness);
  const int d = v - u;
  int result;
  if (d > -n && d < n) {
    result = (u + v) / 2;
  } else if (d >= n) {
    result = v + ((d - n) * sharpness) / 2;
  } else {
    result = v + ((d + n) * sharpness) / 2;
  }
  return static_cast<uint16_t>(ClampInt(result, 0, 16383));
}

// Sharpen for the pixels [begin, end) of row `t1`, which has at least
// `radius + 1` rows above and below; `stride` is the plane width.
TAVO_ROW_CLONES void SharpenSpan(const uint16_t* t1, ptrdiff_t stride, int begin, int end, int sharpness,
                                 int radius, uint16_t* __restrict out) {
  const I32x8 n = I32x8{} + 4 * (8 - sharpness);
  const I32x8 zero = I32x8{};
  int x = begin;
  for (; x + 8 <= end; x += 8) {
    const uint16_t* p = t1 + x;
    U32x8 u;
    if (radius == 0) {
      u = (LOAD8(p - stride - 1) + LOAD8(p - stride) + LOAD8(p - stride + 1) + LOAD8(p - 1) + LOAD8(p + 1) +
           LOAD8(p + stride - 1) + LOAD8(p + stride) + LOAD8(p + stride + 1)) >>
          3;
    } else {
      U32x8 sum = LOAD8(p - 2 * stride - 1) + LOAD8(p - 2 * stride) + LOAD8(p - 2 * stride + 1) +
                  LOAD8(p + 2 * stride - 1) + LOAD8(p + 2 * stride) + LOAD8(p + 2 * stride + 1) + LOAD8(p - 2) +
                  LOAD8(p - 1) + LOAD8(p + 1) + LOAD8(p + 2);
      for (const ptrdiff_t row : {-stride, stride}) {
        sum += LOAD8(p + row - 2) + LOAD8(p + row - 1) + LOAD8(p + row) + LOAD8(p + row + 1) + LOAD8(p + row + 2);
      }
      u = sum / 20;
    }
    const I32x8 v = reinterpret_cast<I32x8>(LOAD8(p)), ui = reinterpret_cast<I32x8>(u);
    const I32x8 d = v - ui;
    // Signed halving truncates toward zero: add 1 to a negative odd value first.
    const I32x8 up = (d - n) * sharpness, down = (d + n) * sharpness;
    I32x8 result = (ui + v) >> 1;
    result = d >= n ? v + (up >> 1) : result;
    result = d <= -n ? v + ((down - (down >> 31)) >> 1) : result;
    result = result < zero ? zero : result;
    result = result > 16383 ? I32x8{} + 16383 : result;
    STORE8(out + x, reinterpret_cast<U32x8>(result));
  }
  for (; x < end; ++x) {
    const uint16_t* p = t1 + x;
    int u;
    if (radius == 0) {
      u = (p[-stride - 1] + p[-stride] + p[-stride + 1] + p[-1] + p[1] + p[stride - 1] + p[stride] +
           p[stride + 1]) >>
          3;
    } else {
      int sum = 0;
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          if ((dx == 0 && dy == 0) || ((dx == -2 || dx == 2) && (dy == -2 || dy == 2))) continue;
          sum += p[dy * stride + dx];
        }
      }
      u = sum / 20;
    }
    out[x] = Sharpen(p[0], u, sharpness);
  }
}

// ---- Colour ----------------------------------------------------------------

// Hue rotation, saturation gain and the luminance ratio for one pixel of
// colour source s.
void FinishPixel(const int s[3], int t1, int t2, int gain, int hue_shift, uint16_t* const out[3], int x) {
  int rot[3];
  const int h = hue_shift < 0 ? -hue_shift : hue_shift;
  const int partner[3] = {hue_shift > 0 ? 2 : 1, hue_shift > 0 ? 0 : 2, hue_shift > 0 ? 1 : 0};
  for (int c = 0; c < 3; ++c) rot[c] = ((120 - h) * s[c] + h * s[partner[c]]) / 120;
  const int m = (rot[0] + rot[1] + rot[2]) / 3;
  for (int c = 0; c < 3; ++c) {
    // |lifted| < 2^18 and t2 < 2^16 keep the product below 2^34, exact in
    // a double; the quotient by t1 (below 2^16) is then either a whole
    // number, or at least 2^-16 away from one while rounding the division
    // moves it by at most 2^-19: truncating the double quotient gives the
    // integer quotient. Clamping before or after truncating is the same.
    const int lifted = ((rot[c] - m) * gain) / 60 + rot[c];
    const double q = static_cast<double>(lifted) * t2 / t1;
    out[c][x] = static_cast<uint16_t>(q <= 0.0 ? 0 : q >= 65535.0 ? 65535 : static_cast<int>(q));
  }
}

// One pixel by the general rule: the neighbours inside the image only.
void ColourPixel(const ColourRowJob& job, int x) {
  const int t1 = job.t1[x];
  if (t1 == 0) {
    for (uint16_t* out : job.out) out[x] = 0;
    return;
  }
  const int f = job.false_colour;
  int s[3];
  for (int c = 0; c < 3; ++c) {
    s[c] = job.cur[c][x];
    if (f == 0) continue;
    int sum = 0, count = 0;
    for (const uint16_t* row : {job.above[c], job.cur[c], job.below[c]}) {
      if (row == nullptr) continue;
      for (int dx = -1; dx <= 1; ++dx) {
        if ((row == job.cur[c] && dx == 0) || x + dx < 0 || x + dx >= job.width) continue;
        sum += row[x + dx];
        ++count;
      }
    }
    if (count > 0) s[c] = ((f * sum) / count + s[c]) / (f + 1);
  }
  FinishPixel(s, t1, job.t2[x], job.gain, job.hue_shift, job.out, x);
}


// Unsigned lanes: every value below is non-negative except the lifted
// difference, which is divided by its magnitude.
template <int kF>
[[gnu::always_inline]] inline void ColourSpan(const ColourRowJob& job, int begin, int end) {
  const uint32_t h = static_cast<uint32_t>(job.hue_shift < 0 ? -job.hue_shift : job.hue_shift);
  const bool forward = job.hue_shift > 0;
  const I32x8 gain = I32x8{} + job.gain;
  int x = begin;
  for (; x + 8 <= end; x += 8) {
    U32x8 s[3];
    for (int c = 0; c < 3; ++c) {
      const uint16_t* p = job.cur[c] + x;
      s[c] = LOAD8(p);
      if constexpr (kF > 0) {
        const uint16_t* a = job.above[c] + x;
        const uint16_t* b = job.below[c] + x;
        const U32x8 sum = LOAD8(a - 1) + LOAD8(a) + LOAD8(a + 1) + LOAD8(p - 1) + LOAD8(p + 1) + LOAD8(b - 1) +
                          LOAD8(b) + LOAD8(b + 1);
        s[c] = (((kF * sum) >> 3) + s[c]) / (kF + 1);
      }
    }
    U32x8 rot[3] = {s[0], s[1], s[2]};
    if (h != 0) {
      const U32x8 partner[3] = {forward ? s[2] : s[1], forward ? s[0] : s[2], forward ? s[1] : s[0]};
      for (int c = 0; c < 3; ++c) rot[c] = ((120 - h) * s[c] + h * partner[c]) / 120;
    }
    const I32x8 m = reinterpret_cast<I32x8>((rot[0] + rot[1] + rot[2]) / 3);
    const I32x8 t1 = reinterpret_cast<I32x8>(LOAD8(job.t1 + x));
    const I32x8 t2 = reinterpret_cast<I32x8>(LOAD8(job.t2 + x));
    const I32x8 divisor = t1 - (t1 == 0);  // 0 becomes 1; the pixel is black anyway
    const F32x8 inverse = 1.0f / __builtin_convertvector(divisor, F32x8);
    for (int c = 0; c < 3; ++c) {
      const I32x8 r = reinterpret_cast<I32x8>(rot[c]);
      const I32x8 a = (r - m) * gain;
      const I32x8 sign = a >> 31;  // 0 or -1
      const I32x8 magnitude = reinterpret_cast<I32x8>(reinterpret_cast<U32x8>((a ^ sign) - sign) / 60);
      I32x8 lifted = ((magnitude ^ sign) - sign) + r;
      // t2 >= 0 and t1 > 0: no lift, no light. The lift stays below 2^17:
      // c + (c - m) A / 60 is largest, 5/3 * 65535, for a pure primary
      // without hue shift; a shift narrows c - m more than it raises A.
      lifted = lifted < 0 ? I32x8{} : lifted;
      // trunc(min(lifted t2 / t1, 65535)) with 0 <= lifted < 2^17, 1 <= t1
      // and 0 <= t2 below 2^14. The product p (below 2^31) is exact in
      // integers. In floats, p * fl(1 / t1) lies within 3 * 2^-24 of p / t1
      // relatively, so below 2^17 within 0.012 of it: its truncation q is
      // floor(p / t1) or one off, and the remainder p - q t1 says which way.
      const I32x8 product = lifted * t2;
      I32x8 q = __builtin_convertvector(__builtin_convertvector(product, F32x8) * inverse, I32x8);
      const I32x8 rest = product - q * divisor;
      q = q - (rest >= divisor) + (rest < 0);  // a true comparison is -1
      const I32x8 v = q > 65535 ? I32x8{} + 65535 : q;
      STORE8(job.out[c] + x, reinterpret_cast<U32x8>(t1 == 0 ? I32x8{} : v));
    }
  }
  for (; x < end; ++x) ColourPixel(job, x);
}

TAVO_ROW_CLONES void ColourInner(const ColourRowJob& job, int begin, int end) {
  switch (job.false_colour) {
    case 0: ColourSpan<0>(job, begin, end); break;
    case 1: ColourSpan<1>(job, begin, end); break;
    case 2: ColourSpan<2>(job, begin, end); break;
    case 3: ColourSpan<3>(job, begin, end); break;
    default: ColourSpan<4>(job, begin, end); break;
  }
}

}  // namespace

void DemosaicRow(const uint16_t* records, int width, int height, int pattern, int y, uint16_t* r, uint16_t* g,
                 uint16_t* b) {
  const size_t stride = static_cast<size_t>(width) * 4;
  const uint16_t* row = records + static_cast<size_t>(y) * stride;
  if (pattern == kPatternNone) {
    SplitRecords(row, width, r, g, b);
    return;
  }
  uint16_t px[3];
  auto border = [&](int x) {
    DemosaicPixel(records, width, height, pattern, x, y, px);
    r[x] = px[0], g[x] = px[1], b[x] = px[2];
  };
  if (y == 0 || y == height - 1 || width < 3) {
    for (int x = 0; x < width; ++x) border(x);
    return;
  }
  border(0);
  border(width - 1);
  // Chunks small enough for the first-level cache.
  constexpr int kChunk = 512;
  uint16_t means[4 * kChunk];
  for (int x = 1; x < width - 1; x += kChunk) {
    const int count = std::min(kChunk, width - 1 - x);
    MeanRecords(row + static_cast<size_t>(x) * 4, stride, 4 * count, pattern == kPattern6x6 ? 16 : 0,
                pattern != kPattern6x6, means);
    SplitRecords(means, count, r + x, g + x, b + x);
  }
}

void LumaRow(const uint16_t* r, const uint16_t* g, const uint16_t* b, int width, uint16_t* out) {
  LumaSpan(r, g, b, width, out);
}

void CrossMeanRow(const uint16_t* up, const uint16_t* mid, const uint16_t* down, int width, uint16_t* out) {
  // Border: the centre and its edge neighbours inside (4 on an edge, 3 at
  // a corner, fewer on a 1-pixel-wide image).
  auto border = [&](int x) {
    int sum = mid[x], count = 1;
    for (const uint16_t* row : {up, down}) {
      if (row != nullptr) sum += row[x], ++count;
    }
    if (x > 0) sum += mid[x - 1], ++count;
    if (x < width - 1) sum += mid[x + 1], ++count;
    out[x] = static_cast<uint16_t>(sum / count);
  };
  if (up == nullptr || down == nullptr || width < 3) {
    for (int x = 0; x < width; ++x) border(x);
    return;
  }
  border(0);
  CrossSpan(up, mid, down, 1, width - 1, out);
  border(width - 1);
}

void SharpenRow(const uint16_t* t1, int width, int height, int y, int sharpness, int radius, uint16_t* out) {
  const int margin = radius + 1;
  const uint16_t* row = t1 + static_cast<size_t>(y) * width;
  auto general = [&](int x) { out[x] = Sharpen(row[x], RingMean(t1, width, height, x, y, radius), sharpness); };
  if (y < margin || y >= height - margin || width <= 2 * margin) {
    for (int x = 0; x < width; ++x) general(x);
    return;
  }
  for (int x = 0; x < margin; ++x) general(x);
  SharpenSpan(row, width, margin, width - margin, sharpness, radius, out);
  for (int x = width - margin; x < width; ++x) general(x);
}

void ColourRow(const ColourRowJob& job) {
  const int width = job.width;
  if (job.false_colour > 0 && (job.above[0] == nullptr || job.below[0] == nullptr || width < 3)) {
    for (int x = 0; x < width; ++x) ColourPixel(job, x);
    return;
  }
  if (job.false_colour == 0) {
    ColourInner(job, 0, width);
    return;
  }
  ColourPixel(job, 0);
  ColourInner(job, 1, width - 1);
  ColourPixel(job, width - 1);
}

}  // namespace tavo
