// SPDX-License-Identifier: MIT
#include "raw/fast_develop.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/memory.h"
#include "core/sample.h"
#include "raw/fast_rows.h"
#include "raw/libraw_session.h"

namespace tavo {
namespace {

constexpr size_t kParallelPixels = 1 << 18;

// Mean of the points of `offsets` around (x, y) that lie inside the
// plane, and how many there were.
struct PointSum {
  int sum;
  int count;
};

PointSum SumInside(const uint16_t* plane, int width, int height, int x, int y, const int (*offsets)[2], int n) {
  PointSum s{0, 0};
  for (int k = 0; k < n; ++k) {
    const int xx = x + offsets[k][0], yy = y + offsets[k][1];
    if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
    s.sum += plane[static_cast<size_t>(yy) * width + xx];
    ++s.count;
  }
  return s;
}

constexpr int kRing8[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
// The 5 x 5 window without its corners and centre.
constexpr int kRing20[20][2] = {{-1, -2}, {0, -2}, {1, -2}, {-2, -1}, {-1, -1}, {0, -1}, {1, -1},
                                {2, -1},  {-2, 0}, {-1, 0}, {1, 0},  {2, 0},   {-2, 1}, {-1, 1},
                                {0, 1},   {1, 1},  {2, 1},  {-1, 2}, {0, 2},   {1, 2}};

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
  RunInParts(65535, RowParts(65535, true), [&](int begin, int end) {
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

void DemosaicRows(const uint16_t* records, int width, int height, int pattern, int row_begin, int row_end,
                  uint16_t* r, uint16_t* g, uint16_t* b) {
  for (int y = row_begin; y < row_end; ++y) {
    const size_t row = static_cast<size_t>(height - 1 - y) * width;  // bottom row first
    DemosaicRow(records, width, height, pattern, y, r + row, g + row, b + row);
  }
}

void LuminanceStage(const uint16_t* r, const uint16_t* g, const uint16_t* b, int width, int height, int sharpness,
                    int radius, uint16_t* t1, uint16_t* t2) {
  const size_t w = static_cast<size_t>(width);
  const size_t n = w * static_cast<size_t>(height);
  const int parts = RowParts(height, n >= kParallelPixels);
  // Each part works out L for its rows and the one on either side itself,
  // three rows at a time, so the parts share nothing they write.
  RunInParts(height, parts, [&](int first, int last) {
    if (first >= last) return;
    std::vector<uint16_t> rows(3 * w);
    uint16_t* l[3] = {rows.data(), rows.data() + w, rows.data() + 2 * w};  // L of rows y - 1, y, y + 1
    auto luma = [&](int y, uint16_t* out) { LumaRow(r + y * w, g + y * w, b + y * w, width, out); };
    if (first > 0) luma(first - 1, l[0]);
    luma(first, l[1]);
    for (int y = first; y < last; ++y) {
      if (y + 1 < height) luma(y + 1, l[2]);
      CrossMeanRow(y > 0 ? l[0] : nullptr, l[1], y + 1 < height ? l[2] : nullptr, width, t1 + y * w);
      std::swap(l[0], l[1]);
      std::swap(l[1], l[2]);
    }
  });
  if (sharpness == 0) {
    std::memcpy(t2, t1, n * sizeof(uint16_t));
    return;
  }
  RunInParts(height, parts, [&](int first, int last) {
    for (int y = first; y < last; ++y) SharpenRow(t1, width, height, y, sharpness, radius, t2 + y * w);
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

void ColourStage(Image& target, const uint16_t* t1, const uint16_t* t2, int false_colour, int saturation,
                 int hue_shift) {
  const int width = target.width, height = target.height;
  const size_t w = static_cast<size_t>(width);
  const int f = ClampInt(false_colour, 0, 4);
  uint16_t* planes[3] = {target.r.get(), target.g.get(), target.b.get()};
  const int parts = RowParts(height, w * static_cast<size_t>(height) >= kParallelPixels);
  // The stage works in place, one row after the other in each part, and
  // keeps the rows it has yet to read as they were: the row above, and
  // the row it is changing. The rows on either side of a part's first and
  // last row belong to the neighbouring parts, so they are copied before
  // any part starts. Three planes of two rows per boundary.
  std::vector<uint16_t> edges(f > 0 ? static_cast<size_t>(parts) * 6 * w : 0);
  auto edge = [&](int k, int which, int c) { return edges.data() + ((static_cast<size_t>(k) * 2 + which) * 3 + c) * w; };
  for (int k = 1; k < parts && f > 0; ++k) {
    const int boundary = PartStart(height, parts, k);
    for (int c = 0; c < 3; ++c) {
      std::memcpy(edge(k, 0, c), planes[c] + (boundary - 1) * w, w * sizeof(uint16_t));
      std::memcpy(edge(k, 1, c), planes[c] + boundary * w, w * sizeof(uint16_t));
    }
  }
  const int gain = SaturationGain(hue_shift, saturation);
  RunInParts(height, parts, [&](int first, int last) {
    const int k = PartAt(height, parts, first);
    std::vector<uint16_t> rows(6 * w);
    uint16_t* prev = rows.data();
    uint16_t* cur = rows.data() + 3 * w;
    ColourRowJob job{};
    job.width = width, job.false_colour = f, job.gain = gain, job.hue_shift = hue_shift;
    for (int y = first; y < last; ++y) {
      for (int c = 0; c < 3; ++c) {
        std::memcpy(cur + c * w, planes[c] + y * w, w * sizeof(uint16_t));
        job.cur[c] = cur + c * w;
        job.out[c] = planes[c] + y * w;
        job.above[c] = f == 0 || y == 0 ? nullptr : y == first ? edge(k, 0, c) : prev + c * w;
        job.below[c] = f == 0 || y == height - 1 ? nullptr : y + 1 == last ? edge(k + 1, 1, c) : planes[c] + (y + 1) * w;
      }
      job.t1 = t1 + y * w;
      job.t2 = t2 + y * w;
      ColourRow(job);
      std::swap(prev, cur);
    }
  });
}

void BuildFastToneTables(const FastDevelopParams& params, uint16_t* tables) {
  const FastDevelopParams p = ClampFastParams(params);
  for (int c = 0; c < 3; ++c) BuildToneTable(p.black[c], p.white[c], p.gamma[c], tables + c * 65536);
}

bool FastDevelop(uint16_t* records, int width, int height, int pattern, const FastDevelopParams& params,
                 Image& target, const uint16_t* tables, bool toned) {
  if (width <= 0 || height <= 0 || target.width != width || target.height != height) return false;
  const FastDevelopParams p = ClampFastParams(params);
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint16_t> own;
  if (tables == nullptr) {
    own.resize(3 * 65536);
    BuildFastToneTables(p, own.data());
    tables = own.data();
  }
  const uint16_t* const table_ptrs[3] = {tables, tables + 65536, tables + 2 * 65536};

  // Every sample depends only on its own input (stage 1) or on the finished
  // mosaic (stage 2), so the parts give the same result in any order. Small
  // images are not worth starting threads for.
  const int parts = RowParts(height, n >= kParallelPixels);
  const auto go_on = [&](int stage) { return ReportProgress(p.progress, stage / 4.0, kProgressRawDevelop); };
  if (!go_on(0)) return false;
  if (!toned) {
    RunInParts(height, parts, [&](int first, int last) { ToneMosaicRows(records, width, first, last, table_ptrs); });
  }
  if (!go_on(1)) return false;
  RunInParts(height, parts, [&](int first, int last) {
    DemosaicRows(records, width, height, pattern, first, last, target.r.get(), target.g.get(), target.b.get());
  });
  if (!go_on(2)) return false;
  // The mosaic is done with: its four samples a pixel hold the two
  // luminance planes, already in memory, where new planes would first
  // have to be faulted in and cleared.
  uint16_t* t1 = records;
  uint16_t* t2 = records + n;
  LuminanceStage(target.r.get(), target.g.get(), target.b.get(), width, height, p.sharpness, p.radius, t1, t2);
  if (!go_on(3)) return false;
  ColourStage(target, t1, t2, p.false_colour, p.saturation, p.hue_shift);
  return true;
}

}  // namespace tavo
