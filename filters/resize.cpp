// SPDX-License-Identifier: MIT
#include "filters/resize.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "core/memory.h"
#include "core/sample.h"
#include "core/slots.h"
#include "filters/bands.h"

namespace tavo {
namespace {

// Four doubles handled as one value. Lane-wise arithmetic rounds the same
// however the target splits it, so every build gives the same samples.
typedef double Lanes4 __attribute__((vector_size(32)));

// The Lanczos rows. taps[dy][c] are the five source rows (dy = -2..2) of
// plane c, padded by two samples per side, so that source column sx + dx
// sits at sx + dx + 2; `phase_row` holds the 25 weights of each horizontal
// phase for the row's vertical phase. Every pixel adds its 25 products in
// one order, dy then dx, from 0: both row functions give the same bits.
using Taps = const double* const (&)[5][3];
using Outs = uint16_t* const (&)[3];

TAVO_AVX2_CLONES void LanczosRow(Taps taps, const double* phase_row, const int* sx, const int* px, int nw,
                                 Outs out) {
  for (int x = 0; x < nw; ++x) {
    const double* weight = phase_row + px[x] * 25;
    double r = 0.0, g = 0.0, b = 0.0;
    for (int dy = 0; dy < 5; ++dy) {
      const double* k = weight + dy * 5;
      const double* pr = taps[dy][0] + sx[x];
      const double* pg = taps[dy][1] + sx[x];
      const double* pb = taps[dy][2] + sx[x];
      for (int dx = 0; dx < 5; ++dx) {
        r += k[dx] * pr[dx];
        g += k[dx] * pg[dx];
        b += k[dx] * pb[dx];
      }
    }
    out[0][x] = ClampSampleDouble(r);
    out[1][x] = ClampSampleDouble(g);
    out[2][x] = ClampSampleDouble(b);
  }
}

// The same row when each source column steps by one whole column (den 1,
// an enlargement by a whole factor `num`, or none): output column j + k
// num takes source column sx[j] + k with the phase of column j, so four
// neighbouring k sit in four lanes and read four neighbouring samples.
TAVO_AVX2_CLONES void LanczosRowWhole(Taps taps, const double* phase_row, const int* sx, const int* px,
                                      int nw, int num, Outs out) {
  for (int j = 0; j < num && j < nw; ++j) {
    const double* weight = phase_row + px[j] * 25;
    const int count = (nw - j + num - 1) / num;
    int k = 0;
    for (; k + 4 <= count; k += 4) {
      Lanes4 r = {}, g = {}, b = {};
#pragma GCC unroll 5
      for (int dy = 0; dy < 5; ++dy) {
        const double* pr = taps[dy][0] + sx[j] + k;
        const double* pg = taps[dy][1] + sx[j] + k;
        const double* pb = taps[dy][2] + sx[j] + k;
#pragma GCC unroll 5
        for (int dx = 0; dx < 5; ++dx) {
          const double wt = weight[dy * 5 + dx];
          const Lanes4 w = {wt, wt, wt, wt};
          Lanes4 vr, vg, vb;
          std::memcpy(&vr, pr + dx, sizeof vr);
          std::memcpy(&vg, pg + dx, sizeof vg);
          std::memcpy(&vb, pb + dx, sizeof vb);
          r += w * vr;
          g += w * vg;
          b += w * vb;
        }
      }
      // ClampSampleDouble lane by lane, as selections on the whole vector.
      const Lanes4 zero = {}, top = {65535.0, 65535.0, 65535.0, 65535.0};
      r = zero < r ? r : zero;
      g = zero < g ? g : zero;
      b = zero < b ? b : zero;
      r = r < top ? r : top;
      g = g < top ? g : top;
      b = b < top ? b : top;
      for (int lane = 0; lane < 4; ++lane) {
        const size_t x = static_cast<size_t>(j) + static_cast<size_t>(k + lane) * num;
        out[0][x] = static_cast<uint16_t>(r[lane]);
        out[1][x] = static_cast<uint16_t>(g[lane]);
        out[2][x] = static_cast<uint16_t>(b[lane]);
      }
    }
    for (; k < count; ++k) {
      double r = 0.0, g = 0.0, b = 0.0;
      for (int i = 0; i < 25; ++i) {
        const int dy = i / 5, at = sx[j] + k + i % 5;
        r += weight[i] * taps[dy][0][at];
        g += weight[i] * taps[dy][1][at];
        b += weight[i] * taps[dy][2][at];
      }
      const size_t x = static_cast<size_t>(j) + static_cast<size_t>(k) * num;
      out[0][x] = ClampSampleDouble(r);
      out[1][x] = ClampSampleDouble(g);
      out[2][x] = ClampSampleDouble(b);
    }
  }
}

// Checks the new size and the memory for its planes and for `table_bytes`
// of per-column tables, fills fresh planes through `fill` and moves them
// into the image.
template <typename Fill>
OpStatus Resample(Image& image, int64_t new_width, int64_t new_height, uint64_t table_bytes,
                  Fill fill) {
  if (image.Empty() || !image.r || !image.g || !image.b) return kOpNothingToDo;
  if (new_width <= 0 || new_height <= 0) return kOpNothingToDo;
  if (new_width > INT_MAX || new_height > INT_MAX) return kOpNoMemory;
  const uint64_t bytes = ImageBytes(new_width, new_height, 6);
  if (bytes == 0 || !MemoryFits(bytes + table_bytes)) return kOpNoMemory;
  Image fresh;
  if (!AllocateImagePlanes(fresh, static_cast<int>(new_width), static_cast<int>(new_height), false)) {
    return kOpNoMemory;
  }
  fill(fresh);
  AdoptPlanes(image, fresh);
  return kOpMade;
}

int64_t Scaled(int side, int to, int from) { return static_cast<int64_t>(side) * to / from; }

const uint16_t* Row(const Image& image, int c, int y) {
  return image.Channel(c) + static_cast<size_t>(y) * image.width;
}
uint16_t* Row(Image& image, int c, int y) {
  return image.Channel(c) + static_cast<size_t>(y) * image.width;
}

// Position of output index i on the source axis and its remainder.
struct Step {
  int source, fraction;
};
Step StepAt(int64_t i, int num, int den, int scale) {
  const int64_t p = i * den;
  return {static_cast<int>(p / num), static_cast<int>((p % num) * scale / num)};
}

void FillInterpolated(const Image& src, Image& dst, int num_x, int den_x, int num_y, int den_y) {
  const int w = src.width, h = src.height, nw = dst.width;
  std::vector<int> sx(nw), sx1(nw), fx(nw);
  for (int x = 0; x < nw; ++x) {
    const Step s = StepAt(x, num_x, den_x, 128);
    sx[x] = s.source;
    sx1[x] = std::min(s.source + 1, w - 1);
    fx[x] = s.fraction;
  }
  ForEachBand(dst.height, dst.PixelCount(), [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      const Step s = StepAt(y, num_y, den_y, 128);
      const int fy = s.fraction, y1 = std::min(s.source + 1, h - 1);
      for (int c = 0; c < 3; ++c) {
        const uint16_t* a = Row(src, c, s.source);
        const uint16_t* b = Row(src, c, y1);
        uint16_t* out = Row(dst, c, y);
        for (int x = 0; x < nw; ++x) {
          const int f = fx[x];
          // At most 65535 x 128 x 128: fits 32 bits.
          const int v = a[sx[x]] * (128 - f) * (128 - fy) + a[sx1[x]] * f * (128 - fy) +
                        b[sx[x]] * (128 - f) * fy + b[sx1[x]] * f * fy;
          out[x] = static_cast<uint16_t>(v / 128 / 128);
        }
      }
    }
  });
}

// Box i covers source indices [first, end); the end is held below the last
// index, and a box left empty by that takes its first index alone.
void BoxRange(int64_t i, int num, int den, int size, int* first, int* end) {
  *first = static_cast<int>(i * den / num);
  *end = static_cast<int>(std::min<int64_t>((i + 1) * den / num, size - 1));
  if (*end <= *first) *end = *first + 1;
}

// (sum / columns) / rows equals sum / (columns x rows), the box mean. It is
// taken as (sum + 0.5) x (1 / columns) x (1 / rows): the mean is at most
// 65535, so the product is within 2^-35 of the true value, while a box
// below 2^34 samples keeps (sum + 0.5) / area at least 2^-35 from the next
// whole number. The sum itself (below 2^53) converts exactly.
void FillBoxes(const Image& src, Image& dst, int num_x, int den_x, int num_y, int den_y) {
  const int w = src.width, h = src.height, nw = dst.width;
  std::vector<int> bx0(nw), bx1(nw);
  std::vector<double> column_reciprocal(nw);
  for (int x = 0; x < nw; ++x) {
    BoxRange(x, num_x, den_x, w, &bx0[x], &bx1[x]);
    column_reciprocal[x] = 1.0 / (bx1[x] - bx0[x]);
  }
  ForEachBand(dst.height, dst.PixelCount(), [&](int first, int last) {
    // Running sums along the row of the box rows' column sums: a box's sum
    // is prefix[end] - prefix[first].
    std::vector<uint64_t> column(w), prefix(static_cast<size_t>(w) + 1);
    for (int y = first; y < last; ++y) {
      int y0, y1;
      BoxRange(y, num_y, den_y, h, &y0, &y1);
      const double row_reciprocal = 1.0 / (y1 - y0);
      for (int c = 0; c < 3; ++c) {
        std::fill(column.begin(), column.end(), 0);
        for (int yy = y0; yy < y1; ++yy) {
          const uint16_t* row = Row(src, c, yy);
          uint64_t* sums = column.data();
#pragma omp simd
          for (int x = 0; x < w; ++x) sums[x] += row[x];
        }
        uint64_t running = 0;
        for (int x = 0; x < w; ++x) {
          running += column[x];
          prefix[x + 1] = running;
        }
        uint16_t* out = Row(dst, c, y);
        for (int x = 0; x < nw; ++x) {
          const double sum = static_cast<double>(prefix[bx1[x]] - prefix[bx0[x]]);
          out[x] = static_cast<uint16_t>((sum + 0.5) * column_reciprocal[x] * row_reciprocal);
        }
      }
    }
  });
}

void FillLanczos(const Image& src, Image& dst, int num_x, int den_x, int num_y, int den_y) {
  const int w = src.width, h = src.height, nw = dst.width;
  std::vector<double> kernel(16 * 16 * 25);  // [py][px][tap]
  for (int py = 0; py < 16; ++py) {
    for (int px = 0; px < 16; ++px) LanczosWeights(px, py, &kernel[(py * 16 + px) * 25]);
  }
  std::vector<int> sx(nw), px(nw);
  for (int x = 0; x < nw; ++x) {
    const Step s = StepAt(x, num_x, den_x, 16);
    sx[x] = s.source;
    px[x] = s.fraction;
  }
  const size_t padded = static_cast<size_t>(w) + 4;
  ForEachBand(dst.height, dst.PixelCount(), [&](int first, int last) {
    // Source rows converted to doubles with two repeated border samples on
    // each side, so the taps need no clamping: column c sits at c + 2.
    // Slot yy % 5 holds row yy; the five rows around any sy are distinct.
    std::vector<double> rows(15 * padded);
    int held[5] = {-1, -1, -1, -1, -1};
    auto source_row = [&](int c, int yy) { return &rows[(c * 5 + yy % 5) * padded]; };
    for (int y = first; y < last; ++y) {
      const Step s = StepAt(y, num_y, den_y, 16);
      const double* taps[5][3];
      for (int dy = 0; dy < 5; ++dy) {
        const int yy = std::clamp(s.source + dy - 2, 0, h - 1);
        if (held[yy % 5] != yy) {
          held[yy % 5] = yy;
          for (int c = 0; c < 3; ++c) {
            const uint16_t* in = Row(src, c, yy);
            double* out = source_row(c, yy);
            out[0] = out[1] = in[0];
            for (int x = 0; x < w; ++x) out[x + 2] = in[x];
            out[w + 2] = out[w + 3] = in[w - 1];
          }
        }
        for (int c = 0; c < 3; ++c) taps[dy][c] = source_row(c, yy);
      }
      uint16_t* const out[3] = {Row(dst, 0, y), Row(dst, 1, y), Row(dst, 2, y)};
      const double* phase_row = &kernel[s.fraction * 16 * 25];
      if (den_x == 1) {
        LanczosRowWhole(taps, phase_row, sx.data(), px.data(), nw, num_x, out);
      } else {
        LanczosRow(taps, phase_row, sx.data(), px.data(), nw, out);
      }
    }
  });
}

}  // namespace

void ReduceResizeFactors(int* to, int* from) {
  const int limit = std::max(*to, *from) / 2;
  for (int d = 2; d <= limit; d = d == 2 ? 3 : d + 2) {
    if (*to % d == 0 && *from % d == 0) {
      *to /= d;
      *from /= d;
    }
  }
  while (*to > 4096 || *from > 4096) {
    *to /= 2;
    *from /= 2;
  }
  // Halving a lopsided pair (8193 / 1) would leave a 0; it stands for 1.
  *to = std::max(*to, 1);
  *from = std::max(*from, 1);
}

void LanczosWeights(int px, int py, double weights[25]) {
  constexpr double kPi = std::numbers::pi;
  double total = 0.0;
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const double ex = dx - px / 16.0, ey = dy - py / 16.0;
      const double r = std::sqrt(ex * ex + ey * ey);
      double k = 0.0;
      if (r == 0.0) {
        k = 1.0;
      } else if (r <= 2.0) {
        k = 2.0 * std::sin(kPi * r) * std::sin(kPi * r / 2.0) / (kPi * kPi * r * r);
      }
      weights[(dy + 2) * 5 + dx + 2] = k;
      total += k;
    }
  }
  for (int i = 0; i < 25; ++i) weights[i] /= total;
}

OpStatus ResizeNearest(Image& image, int x_to, int x_from, int y_to, int y_from) {
  x_to = std::max(x_to, 1), x_from = std::max(x_from, 1);
  y_to = std::max(y_to, 1), y_from = std::max(y_from, 1);
  const int64_t nw = Scaled(image.width, x_to, x_from), nh = Scaled(image.height, y_to, y_from);
  const Image& src = image;
  return Resample(image, nw, nh, static_cast<uint64_t>(std::max<int64_t>(nw, 0)) * 4, [&](Image& dst) {
    std::vector<int> sx(dst.width);
    for (int x = 0; x < dst.width; ++x) sx[x] = static_cast<int>(Scaled(x, x_from, x_to));
    ForEachBand(dst.height, dst.PixelCount(), [&](int first, int last) {
      for (int y = first; y < last; ++y) {
        const int sy = static_cast<int>(Scaled(y, y_from, y_to));
        for (int c = 0; c < 3; ++c) {
          const uint16_t* in = Row(src, c, sy);
          uint16_t* out = Row(dst, c, y);
          for (int x = 0; x < dst.width; ++x) out[x] = in[sx[x]];
        }
      }
    });
  });
}

OpStatus ResizeBilinear(Image& image, int x_to, int x_from, int y_to, int y_from) {
  x_to = std::max(x_to, 1), x_from = std::max(x_from, 1);
  y_to = std::max(y_to, 1), y_from = std::max(y_from, 1);
  ReduceResizeFactors(&x_to, &x_from);
  ReduceResizeFactors(&y_to, &y_from);
  const int64_t nw = Scaled(image.width, x_to, x_from), nh = Scaled(image.height, y_to, y_from);
  const bool interpolate = nh > 2 * static_cast<int64_t>(image.height) / 3;
  const Image& src = image;
  return Resample(image, nw, nh, static_cast<uint64_t>(std::max<int64_t>(nw, 0)) * 16, [&](Image& dst) {
    if (interpolate) {
      FillInterpolated(src, dst, x_to, x_from, y_to, y_from);
    } else {
      FillBoxes(src, dst, x_to, x_from, y_to, y_from);
    }
  });
}

OpStatus ResizeLanczos(Image& image, int x_to, int x_from, int y_to, int y_from) {
  x_to = std::max(x_to, 1), x_from = std::max(x_from, 1);
  y_to = std::max(y_to, 1), y_from = std::max(y_from, 1);
  ReduceResizeFactors(&x_to, &x_from);
  ReduceResizeFactors(&y_to, &y_from);
  const int64_t nw = Scaled(image.width, x_to, x_from), nh = Scaled(image.height, y_to, y_from);
  const Image& src = image;
  return Resample(image, nw, nh, static_cast<uint64_t>(std::max<int64_t>(nw, 0)) * 8, [&](Image& dst) {
    FillLanczos(src, dst, x_to, x_from, y_to, y_from);
  });
}

OpStatus ApplyResize(Image& image, const ResizeParams& p) {
  switch (p.method) {
    case kResizeNearest:
      return ResizeNearest(image, p.x_to, p.x_from, p.y_to, p.y_from);
    case kResizeBilinear:
      return ResizeBilinear(image, p.x_to, p.x_from, p.y_to, p.y_from);
    default:
      return ResizeLanczos(image, p.x_to, p.x_from, p.y_to, p.y_from);
  }
}

int KeepAspectTo(int typed_to, int typed_from, int other_from) {
  if (typed_from < 1) return 0;
  const int64_t v = (static_cast<int64_t>(other_from) * std::max(typed_to, 0) + 1) / typed_from;
  return static_cast<int>(std::clamp<int64_t>(v, 0, INT_MAX));
}

void CropResizeTarget(const CropResizeParams& p, int* x_to, int* y_to) {
  if (p.output_mode == kCropByScale) {
    *x_to = static_cast<int>(static_cast<int64_t>(p.crop_width) * p.scale / 100);
    *y_to = static_cast<int>(static_cast<int64_t>(p.crop_height) * p.scale / 100);
  } else {
    *x_to = p.output_width;
    *y_to = p.output_height;
  }
}

OpStatus ApplyCropResize(const Image& source, Image& destination, const CropResizeParams& p) {
  if (source.Empty() || !source.r || p.crop_width < 1 || p.crop_height < 1) return kOpNothingToDo;
  Image cut;
  if (!CropToSize(source, cut, p.anchor, p.crop_width, p.crop_height)) return kOpNoMemory;
  int x_to = 0, y_to = 0;
  CropResizeTarget(p, &x_to, &y_to);
  if (x_to != p.crop_width || y_to != p.crop_height) {
    const bool enlarge = p.crop_width <= x_to && p.crop_height <= y_to;
    const OpStatus status = enlarge ? ResizeLanczos(cut, x_to, p.crop_width, y_to, p.crop_height)
                                    : ResizeBilinear(cut, x_to, p.crop_width, y_to, p.crop_height);
    if (status != kOpMade) return status;
  }
  AdoptPlanes(destination, cut);
  destination.monochrome = cut.monochrome;
  return kOpMade;
}

}  // namespace tavo
