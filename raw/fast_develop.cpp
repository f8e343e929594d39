// SPDX-License-Identifier: MIT
#include "raw/fast_develop.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

#include "core/memory.h"
#include "core/sample.h"
#include "raw/libraw_session.h"

namespace tavo {
namespace {

constexpr size_t kParallelPixels = 1 << 18;
constexpr int kMostParts = 8;

// Start of part k of [0, count) split into `parts` contiguous parts.
int PartStart(int count, int parts, int k) { return static_cast<int>(static_cast<int64_t>(count) * k / parts); }

// Runs body(begin, end) over [0, count) in as many contiguous parts as
// OpenMP may use threads (at most kMostParts), each on its own thread, the
// first on this one; returns when all are done. Plain threads rather than
// an OpenMP team: a team's idle workers spin between and after regions
// and, on a busy machine, take processor time from the thread that still
// works. Every caller writes each output element from inputs no part
// changes, so the result does not depend on the split.
template <typename Body>
void RunInParts(int count, bool parallel, const Body& body) {
  int parts = parallel ? std::min(omp_get_max_threads(), kMostParts) : 1;
  parts = std::max(1, std::min(parts, count));
  std::thread workers[kMostParts];
  int started = 1;
  for (; started < parts; ++started) {
    const int begin = PartStart(count, parts, started), end = PartStart(count, parts, started + 1);
    try {
      workers[started] = std::thread([&body, begin, end] { body(begin, end); });
    } catch (...) {
      break;  // no thread to be had: this one does the rest
    }
  }
  for (int k = started; k < parts; ++k) body(PartStart(count, parts, k), PartStart(count, parts, k + 1));
  body(0, PartStart(count, parts, 1));
  for (int k = 1; k < started; ++k) workers[k].join();
}

// Weighted mean of the non-zero channel-c samples of the 3 x 3 window
// around (x, y); the centre counts with `centre_weight` (0: left out).
// Points outside the mosaic are skipped.
uint16_t WindowMean(const uint16_t* records, int width, int height, int x, int y, int c,
                    int centre_weight) {
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

// WindowMean away from the border, unrolled: `p` is the centre sample of
// the channel, `stride` the distance to the same sample one row down. A zero
// sample adds nothing to the sum; only its weight has to be left out.
inline uint16_t InteriorMean(const uint16_t* p, size_t stride, int centre_weight) {
  const int up = p[-static_cast<ptrdiff_t>(stride)], down = p[stride], left = p[-4], right = p[4];
  const int ul = p[-static_cast<ptrdiff_t>(stride) - 4], ur = p[-static_cast<ptrdiff_t>(stride) + 4];
  const int dl = p[stride - 4], dr = p[stride + 4];
  const int sum = centre_weight * p[0] + 2 * (up + down + left + right) + ul + ur + dl + dr;
  const int weight = (p[0] != 0 ? centre_weight : 0) +
                     2 * ((up != 0) + (down != 0) + (left != 0) + (right != 0)) + (ul != 0) + (ur != 0) +
                     (dl != 0) + (dr != 0);
  return weight == 0 ? 0 : static_cast<uint16_t>(sum / weight);
}

void DemosaicPixel(const uint16_t* records, int width, int height, int pattern, int x, int y,
                   uint16_t out[3]) {
  const uint16_t* here = records + (static_cast<size_t>(y) * width + x) * 4;
  for (int c = 0; c < 3; ++c) {
    if (pattern == kPatternNone) {
      out[c] = here[c];
    } else if (pattern == kPattern6x6) {
      out[c] = WindowMean(records, width, height, x, y, c, 16);
    } else {
      out[c] = here[c] != 0 ? here[c] : WindowMean(records, width, height, x, y, c, 0);
    }
  }
}

// Mean of the points of `offsets` around (x, y) that lie inside the
// plane, and how many there were.
struct PointSum {
  int sum;
  int count;
};

PointSum SumInside(const uint16_t* plane, int width, int height, int x, int y, const int (*offsets)[2],
                   int n) {
  PointSum s{0, 0};
  for (int k = 0; k < n; ++k) {
    const int xx = x + offsets[k][0], yy = y + offsets[k][1];
    if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
    s.sum += plane[static_cast<size_t>(yy) * width + xx];
    ++s.count;
  }
  return s;
}

constexpr int kCross[4][2] = {{0, -1}, {-1, 0}, {1, 0}, {0, 1}};
constexpr int kRing8[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
// The 5 x 5 window without its corners and centre.
constexpr int kRing20[20][2] = {{-1, -2}, {0, -2}, {1, -2}, {-2, -1}, {-1, -1}, {0, -1}, {1, -1},
                                {2, -1},  {-2, 0}, {-1, 0}, {1, 0},  {2, 0},   {-2, 1}, {-1, 1},
                                {0, 1},   {1, 1},  {2, 1},  {-1, 2}, {0, 2},   {1, 2}};

uint16_t Sharpen(int v, int u, int sharpness) {
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

}  // namespace

FastDevelopParams ClampFastParams(const FastDevelopParams& p) {
  FastDevelopParams c = p;
  for (int i = 0; i < 3; ++i) {
    const double g = p.gamma[i];
    c.gamma[i] = std::isnan(g) ? 2.2 : g < 1.0 ? 1.0 : g > 4.0 ? 4.0 : g;
    c.black[i] = ClampInt(p.black[i], 0, 32);
    c.white[i] = ClampInt(p.white[i], 128, 255);
  }
  c.sharpness = ClampInt(p.sharpness, 0, 8);
  c.radius = ClampInt(p.radius, 0, 1);
  c.false_colour = ClampInt(p.false_colour, 0, 4);
  c.saturation = ClampInt(p.saturation, 0, 4);
  c.hue_shift = ClampInt(p.hue_shift, -36, 36);
  return c;
}

void BuildToneTable(int black, int white, double gamma, uint16_t* out) {
  const double x0 = (black + 8) * 128.0;
  const double x1 = (white - 4) * 256.0;
  const double s0 = 2048.0 / x0;
  const double s1 = 2048.0 / (65536.0 - x1);
  const double delta = x0 - x1;
  const double x0_2 = x0 * x0, x1_2 = x1 * x1;
  const double x0_3 = x0_2 * x0, x1_3 = x1_2 * x1;
  const double a = (delta * (s0 + s1) + 124928.0) / (delta * delta * delta);
  const double p = (s0 * x0 - s1 * x1 + 62464.0 - 2.0 * a * (x0_3 - x1_3)) / (x0_2 - x1_2);
  const double r = s0 - 3.0 * a * x0_2 - 2.0 * p * x0;
  const double e = 1024.0 - a * x0_3 - p * x0_2 - r * x0;
  const double inv = 1.0 / gamma;
  const double k = 65535.0 / std::pow(65535.0, inv);
  out[0] = 0;
  // Entries are independent; the power function dominates the cost.
  RunInParts(65535, true, [&](int begin, int end) {
    for (int v = begin + 1; v <= end; ++v) {
      const double dv = v;
      double y;
      if (dv < x0) {
        y = 1024.0 * (dv * dv) / x0_2;
      } else if (dv < x1) {
        y = a * (dv * dv * dv) + p * (dv * dv) + r * dv + e;
      } else {
        y = (dv - 65536.0) * s1 + 65536.0;
      }
      if (y <= 0.0) {
        out[v] = 0;
        continue;
      }
      const double t = std::trunc(std::pow(y, inv) * k);
      out[v] = t >= 65535.0 ? 65535 : static_cast<uint16_t>(t);
    }
  });
}

void ToneMosaicRows(uint16_t* records, int width, int row_begin, int row_end,
                    const uint16_t* const tables[3]) {
  for (int y = row_begin; y < row_end; ++y) {
    uint16_t* p = records + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x, p += 4) {
      for (int c = 0; c < 3; ++c) p[c] = tables[c][p[c]];  // table[0] is 0
    }
  }
}

void DemosaicRows(const uint16_t* records, int width, int height, int pattern, int row_begin,
                  int row_end, uint16_t* r, uint16_t* g, uint16_t* b) {
  const size_t stride = static_cast<size_t>(width) * 4;
  const int centre_weight = pattern == kPattern6x6 ? 16 : 0;
  uint16_t* planes[3] = {r, g, b};
  uint16_t out[3];
  for (int y = row_begin; y < row_end; ++y) {
    const size_t row = static_cast<size_t>(height - 1 - y) * width;  // bottom row first
    const bool inner_row = y > 0 && y < height - 1;
    for (int x = 0; x < width; ++x) {
      if (inner_row && x > 0 && x < width - 1 && pattern != kPatternNone) {
        const uint16_t* here = records + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
        for (int c = 0; c < 3; ++c) {
          planes[c][row + x] = pattern == kPattern2x2 && here[c] != 0
                                   ? here[c]
                                   : InteriorMean(here + c, stride, centre_weight);
        }
        continue;
      }
      DemosaicPixel(records, width, height, pattern, x, y, out);
      for (int c = 0; c < 3; ++c) planes[c][row + x] = out[c];
    }
  }
}

void LuminanceStage(const uint16_t* r, const uint16_t* g, const uint16_t* b, int width, int height,
                    int sharpness, int radius, uint16_t* t1, uint16_t* t2) {
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  // Each pass reads only the finished plane of the pass before, so rows may
  // be shared out in any order and the result stays the same.
  const bool parallel = n >= kParallelPixels;
  RunInParts(height, parallel, [&](int first, int last) {
    for (size_t i = static_cast<size_t>(first) * width; i < static_cast<size_t>(last) * width; ++i) {
      t2[i] = static_cast<uint16_t>(((r[i] + g[i] + b[i]) / 3) >> 2);
    }
  });
  RunInParts(height, parallel, [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      const size_t at = static_cast<size_t>(y) * width;
      const bool inner_row = y > 0 && y < height - 1;
      // Border: the centre and its edge neighbours inside (4 on an edge,
      // 3 at a corner, fewer on a 1-pixel-wide image).
      auto border = [&](int x) {
        const PointSum s = SumInside(t2, width, height, x, y, kCross, 4);
        t1[at + x] = static_cast<uint16_t>((s.sum + t2[at + x]) / (s.count + 1));
      };
      if (!inner_row || width < 3) {
        for (int x = 0; x < width; ++x) border(x);
        continue;
      }
      border(0);
      const uint16_t* c = t2 + at;
      const uint16_t* up = c - width;
      const uint16_t* down = c + width;
      uint16_t* out = t1 + at;
      for (int x = 1; x < width - 1; ++x) {
        out[x] = static_cast<uint16_t>((c[x] + up[x] + down[x] + c[x - 1] + c[x + 1]) / 5);
      }
      border(width - 1);
    }
  });
  if (sharpness == 0) {
    std::memcpy(t2, t1, n * sizeof(uint16_t));
    return;
  }
  RunInParts(height, parallel, [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      const size_t at = static_cast<size_t>(y) * width;
      const bool fast_row = radius == 0 && y > 0 && y < height - 1 && width >= 3;
      for (int x = 0; x < width; ++x) {
        const size_t i = at + x;
        const int v = t1[i];
        int u;
        if (fast_row && x > 0 && x < width - 1) {
          const uint16_t* up = t1 + i - width;
          const uint16_t* down = t1 + i + width;
          u = (up[-1] + up[0] + up[1] + t1[i - 1] + t1[i + 1] + down[-1] + down[0] + down[1]) >> 3;
        } else {
          u = RingMean(t1, width, height, x, y, radius);
        }
        t2[i] = Sharpen(v, u, sharpness);
      }
    }
  });
}

int RingMean(const uint16_t* plane, int width, int height, int x, int y, int radius) {
  const PointSum s = radius == 0 ? SumInside(plane, width, height, x, y, kRing8, 8)
                                 : SumInside(plane, width, height, x, y, kRing20, 20);
  return s.count > 0 ? s.sum / s.count : plane[static_cast<size_t>(y) * width + x];
}

int SaturationGain(int hue_shift, int saturation) {
  const int h = hue_shift < 0 ? -hue_shift : hue_shift;
  if (h < 60) return h + 15 * saturation;
  if (h < 120) return 15 * saturation + 120 - h;
  return h + 15 * saturation - 120;
}

namespace {

struct ColourJob {
  int width, height;
  const uint16_t* in[3];
  uint16_t* out[3];
  const uint16_t* t1;
  const uint16_t* t2;
  int f, gain, hue_shift;
};

// kF is the false-colour strength when it is a known small value (its
// divisions then become multiplications), or -1 to read it from the job.
template <int kF>
void ColourRow(const ColourJob& job, int y) {
  const int f = kF >= 0 ? kF : job.f;
  const int width = job.width, height = job.height, gain = job.gain, hue_shift = job.hue_shift;
  const size_t at = static_cast<size_t>(y) * width;
  const bool inner_row = y > 0 && y < height - 1;
  for (int x = 0; x < width; ++x) {
    const size_t i = at + x;
    if (job.t1[i] == 0) {
      for (int c = 0; c < 3; ++c) job.out[c][i] = 0;
      continue;
    }
    int src[3];
    const bool interior = inner_row && x > 0 && x < width - 1;
    for (int c = 0; c < 3; ++c) {
      src[c] = job.in[c][i];
      if (f == 0) continue;
      if (interior) {
        const uint16_t* p = job.in[c] + i;
        const uint16_t* up = p - width;
        const uint16_t* down = p + width;
        const int sum = up[-1] + up[0] + up[1] + p[-1] + p[1] + down[-1] + down[0] + down[1];
        src[c] = ((f * sum) / 8 + src[c]) / (f + 1);
      } else {
        const PointSum s = SumInside(job.in[c], width, height, x, y, kRing8, 8);
        if (s.count > 0) src[c] = ((f * s.sum) / s.count + src[c]) / (f + 1);
      }
    }
    int rot[3];
    if (hue_shift > 0) {
      const int h = hue_shift;
      rot[0] = ((120 - h) * src[0] + h * src[2]) / 120;
      rot[1] = ((120 - h) * src[1] + h * src[0]) / 120;
      rot[2] = ((120 - h) * src[2] + h * src[1]) / 120;
    } else if (hue_shift < 0) {
      const int h = -hue_shift;
      rot[0] = ((120 - h) * src[0] + h * src[1]) / 120;
      rot[1] = ((120 - h) * src[1] + h * src[2]) / 120;
      rot[2] = ((120 - h) * src[2] + h * src[0]) / 120;
    } else {
      for (int c = 0; c < 3; ++c) rot[c] = src[c];
    }
    const int m = (rot[0] + rot[1] + rot[2]) / 3;
    const double t1 = job.t1[i];
    for (int c = 0; c < 3; ++c) {
      // The product can pass 2^31 (bright, saturated, raised luminance),
      // so it is formed in 64 bits. |lifted| < 2^18 and t2 < 2^16 keep it
      // below 2^34, exact in a double; the quotient by t1 (below 2^16) is
      // then either a whole number, or at least 2^-16 away from one while
      // rounding the division moves it by at most 2^-19: truncating the
      // double quotient gives the integer quotient, at a lower cost than
      // an integer division.
      const int64_t lifted = ((rot[c] - m) * gain) / 60 + rot[c];
      const int64_t product = lifted * job.t2[i];
      job.out[c][i] = ClampSample(static_cast<int64_t>(static_cast<double>(product) / t1));
    }
  }
}

// Every output pixel depends only on the input planes, which this stage
// does not change when the rows overlap (false colour writes elsewhere; in
// place, a pixel reads only itself): rows may run in any order.
template <int kF>
void ColourPixels(const ColourJob& job) {
  const size_t n = static_cast<size_t>(job.width) * static_cast<size_t>(job.height);
  RunInParts(job.height, n >= kParallelPixels, [&job](int first, int last) {
    for (int y = first; y < last; ++y) ColourRow<kF>(job, y);
  });
}

}  // namespace

void ColourStage(Image& target, const uint16_t* t1, const uint16_t* t2, int false_colour,
                 int saturation, int hue_shift, Plane scratch[3]) {
  const int f = false_colour > 0 ? false_colour : 0;
  ColourJob job{target.width, target.height, {target.r.get(), target.g.get(), target.b.get()}, {},
                t1, t2, f, SaturationGain(hue_shift, saturation), hue_shift};
  for (int c = 0; c < 3; ++c) job.out[c] = f > 0 ? scratch[c].get() : target.Channel(c);
  switch (f) {
    case 0: ColourPixels<0>(job); break;
    case 1: ColourPixels<1>(job); break;
    case 2: ColourPixels<2>(job); break;
    case 3: ColourPixels<3>(job); break;
    case 4: ColourPixels<4>(job); break;
    default: ColourPixels<-1>(job); break;
  }
  if (f > 0) {
    target.r.swap(scratch[0]);
    target.g.swap(scratch[1]);
    target.b.swap(scratch[2]);
  }
}

uint64_t FastDevelopScratchBytes(int width, int height, int false_colour) {
  const int planes = false_colour > 0 ? 5 : 2;
  return ImageBytes(width, height, 2 * planes);
}

bool FastDevelop(uint16_t* records, int width, int height, int pattern,
                 const FastDevelopParams& params, Image& target) {
  if (width <= 0 || height <= 0 || target.width != width || target.height != height) return false;
  const FastDevelopParams p = ClampFastParams(params);
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  Plane t1 = NewPlane(n, false), t2 = NewPlane(n, false);
  Plane scratch[3];
  if (!t1 || !t2) return false;
  if (p.false_colour > 0) {
    for (Plane& plane : scratch) {
      plane = NewPlane(n, false);
      if (!plane) return false;
    }
  }
  std::vector<uint16_t> tables(3 * 65536);
  for (int c = 0; c < 3; ++c) BuildToneTable(p.black[c], p.white[c], p.gamma[c], &tables[c * 65536]);
  const uint16_t* const table_ptrs[3] = {&tables[0], &tables[65536], &tables[2 * 65536]};

  // Every sample depends only on its own input (stage 1) or on the finished
  // mosaic (stage 2), so the parts give the same result in any order. Small
  // images are not worth starting threads for.
  const bool parallel = n >= kParallelPixels;
  const auto go_on = [&](int stage) { return ReportProgress(p.progress, stage / 4.0, kProgressRawDevelop); };
  if (!go_on(0)) return false;
  RunInParts(height, parallel, [&](int first, int last) { ToneMosaicRows(records, width, first, last, table_ptrs); });
  if (!go_on(1)) return false;
  RunInParts(height, parallel, [&](int first, int last) {
    DemosaicRows(records, width, height, pattern, first, last, target.r.get(), target.g.get(), target.b.get());
  });
  if (!go_on(2)) return false;
  LuminanceStage(target.r.get(), target.g.get(), target.b.get(), width, height, p.sharpness, p.radius,
                 t1.get(), t2.get());
  if (!go_on(3)) return false;
  ColourStage(target, t1.get(), t2.get(), p.false_colour, p.saturation, p.hue_shift, scratch);
  return true;
}

}  // namespace tavo
