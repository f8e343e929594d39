// SPDX-License-Identifier: MIT
#include "stack/composite_auto.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/memory.h"

namespace tavo {
namespace {

// Below this many pixels a thread team costs more than it saves.
constexpr int64_t kParallelMin = 1 << 16;

// The overlap of A with B displaced by (dx, dy), in A coordinates.
struct Overlap {
  int xa, xe, ya, ye;
  int Width() const { return xe - xa; }
  int Height() const { return ye - ya; }
};

Overlap OverlapOf(int width, int height, int dx, int dy) {
  return Overlap{std::max(dx, 0), std::min(width + dx, width), std::max(dy, 0), std::min(height + dy, height)};
}

int ClampScore(int64_t score) { return static_cast<int>(std::min<int64_t>(score, kWorstScore)); }

// Sum of ((a - b) / divisor)^2 over `count` pixels of A row y from column
// x, against B at the same place minus (dx, dy).
int64_t RowTerms(const uint16_t* a, const uint16_t* b, int width, int x, int y, int dx, int dy, int count,
                 int divisor) {
  const uint16_t* pa = a + static_cast<size_t>(y) * width + x;
  const uint16_t* pb = b + static_cast<size_t>(y - dy) * width + (x - dx);
  int64_t sum = 0;
  for (int i = 0; i < count; ++i) {
    const int d = (pa[i] - pb[i]) / divisor;
    sum += d * d;
  }
  return sum;
}

int CompareCentre(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy, int cap,
                  int divisor) {
  const Overlap o = OverlapOf(width, height, dx, dy);
  const int ow = o.Width(), oh = o.Height();
  if (ow < 2 || oh < 2) return kWorstScore;
  const int cx = (o.xa + o.xe) / 2, cy = (o.ya + o.ye) / 2;
  const int hx = std::min(ow / 2, cap), hy = std::min(oh / 2, cap);
  int64_t total = 0;
  for (int j = -hy; j < hy; ++j) {
    total += RowTerms(a, b, width, cx - hx, cy + j, dx, dy, 2 * hx, divisor) / hx;
  }
  return ClampScore(total / hy);
}

bool UsableImage(const Image* im) {
  return im != nullptr && !im->Empty() && im->r && (im->monochrome == 1 || (im->g && im->b));
}

// Colour planes as the search reads them: a monochrome image through R.
void ChannelsOf(const Image& im, const uint16_t* ch[3]) {
  const bool mono = im.monochrome == 1;
  ch[0] = im.r.get();
  ch[1] = mono ? im.r.get() : im.g.get();
  ch[2] = mono ? im.r.get() : im.b.get();
}

// The first displacement of the scan (dy outer, dx inner, both ascending)
// whose score is the smallest and below kWorstScore; (*best_dx, *best_dy)
// stay as they are when there is none. The scores are computed in
// parallel; picking the smallest (score, scan position) keeps the result
// the one a plain scan finds.
// `*score` (may be null) receives the winning score, or kWorstScore.
void BestDisplacement(int method, const uint16_t* a, const uint16_t* b, int width, int height, int dx_lo,
                      int dx_hi, int dy_lo, int dy_hi, int* best_dx, int* best_dy, int* score = nullptr) {
  const int64_t nx = static_cast<int64_t>(dx_hi) - dx_lo + 1;
  const int64_t ny = static_cast<int64_t>(dy_hi) - dy_lo + 1;
  const int64_t count = nx * ny;
  int best_score = kWorstScore;
  int64_t best_t = INT64_MAX;
#pragma omp parallel if (count > 1)
  {
    int local_score = kWorstScore;
    int64_t local_t = INT64_MAX;
#pragma omp for schedule(dynamic, 1) nowait
    for (int64_t t = 0; t < count; ++t) {
      const int dy = static_cast<int>(dy_lo + t / nx), dx = static_cast<int>(dx_lo + t % nx);
      const int s = CompareGrey(method, a, b, width, height, dx, dy);
      if (s < kWorstScore && (s < local_score || (s == local_score && t < local_t))) {
        local_score = s;
        local_t = t;
      }
    }
#pragma omp critical
    if (local_score < best_score || (local_score == best_score && local_t < best_t)) {
      best_score = local_score;
      best_t = local_t;
    }
  }
  if (score != nullptr) *score = best_score;
  if (best_t == INT64_MAX) return;
  *best_dy = static_cast<int>(dy_lo + best_t / nx);
  *best_dx = static_cast<int>(dx_lo + best_t % nx);
}

}  // namespace

int CompareCentreCorners(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy) {
  const Overlap o = OverlapOf(width, height, dx, dy);
  const int ow = o.Width(), oh = o.Height();
  if (ow < 1 || oh < 1) return kWorstScore;
  if (ow <= 200 || oh <= 200) {
    int64_t total = 0;
    for (int y = o.ya; y < o.ye; ++y) total += RowTerms(a, b, width, o.xa, y, dx, dy, ow, 32) / ow;
    return ClampScore(total / oh);
  }
  // Four 50 x 50 corner patches (the right ones end one column short of
  // the overlap) and a 100 x 100 centre patch.
  int64_t total = 0;
  const int right = o.xa + ow - 51;
  for (int r = 0; r < 50; ++r) {
    const int bottom_row = o.ya + r, top_row = o.ye - 1 - r;
    const int64_t s = RowTerms(a, b, width, o.xa, bottom_row, dx, dy, 50, 32) +
                      RowTerms(a, b, width, right, bottom_row, dx, dy, 50, 32) +
                      RowTerms(a, b, width, o.xa, top_row, dx, dy, 50, 32) +
                      RowTerms(a, b, width, right, top_row, dx, dy, 50, 32);
    total += s / 50 / 4;
  }
  const int cy0 = o.ya + oh / 2 - 50, cx0 = o.xa + ow / 2 - 50;
  for (int r = 0; r < 100; ++r) total += RowTerms(a, b, width, cx0, cy0 + r, dx, dy, 100, 32) / 50 / 2;
  return ClampScore(total / 50 / 4);
}

int CompareCentre256(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy) {
  return CompareCentre(a, b, width, height, dx, dy, 128, 32);
}

int CompareCentre1024(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy) {
  return CompareCentre(a, b, width, height, dx, dy, 512, 64);
}

int CompareGrey(int method, const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy) {
  switch (method) {
    case kCompareCentreCorners: return CompareCentreCorners(a, b, width, height, dx, dy);
    case kCompareCentre1024: return CompareCentre1024(a, b, width, height, dx, dy);
    default: return CompareCentre256(a, b, width, height, dx, dy);
  }
}

SearchRegion FindSearchRegion(int method, int wm, int hm, int rx, int ry) {
  SearchRegion r;
  const bool fits256 = wm - 2 * rx > 256 && hm - 2 * ry > 256;
  const bool fits512 = wm - 2 * rx > 512 && hm - 2 * ry > 512;
  if (method == kCompareCentreCorners && fits256) {
    r = SearchRegion{wm / 8, hm / 8, 7 * wm / 8, 7 * hm / 8};
  } else if ((method == kCompareCentre256 && fits256) || (method == kCompareCentre1024 && fits512)) {
    const int half = method == kCompareCentre256 ? 128 : 256;
    r = SearchRegion{wm / 2 - rx - half, hm / 2 - ry - half, wm / 2 + rx + half, hm / 2 + ry + half};
  } else {
    r = SearchRegion{0, 0, wm, hm};
  }
  return r;
}

void BrightnessPlane(const Image& image, const SearchRegion& region, uint16_t* out) {
  const uint16_t* ch[3];
  ChannelsOf(image, ch);
  const int w = region.x1 - region.x0, h = region.y1 - region.y0;
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(w) * h >= kParallelMin)
  for (int y = 0; y < h; ++y) {
    const size_t in = static_cast<size_t>(region.y0 + y) * image.width + region.x0;
    uint16_t* row = out + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      row[x] = static_cast<uint16_t>(ch[0][in + x] / 3 + ch[1][in + x] / 3 + ch[2][in + x] / 3);
    }
  }
}

void QuarterBrightnessPlane(const Image& image, const SearchRegion& region, uint16_t* out) {
  const uint16_t* ch[3];
  ChannelsOf(image, ch);
  const int qx0 = region.x0 / 4, qy0 = region.y0 / 4;
  const int w = region.x1 / 4 - qx0, h = region.y1 / 4 - qy0;
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(w) * h >= kParallelMin / 16)
  for (int y = 0; y < h; ++y) {
    uint16_t* row = out + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      int sum = 0;
      for (int j = 0; j < 4; ++j) {
        const size_t at = static_cast<size_t>(4 * (qy0 + y) + j) * image.width + 4 * static_cast<size_t>(qx0 + x);
        for (int i = 0; i < 4; ++i) sum += ch[0][at + i] + ch[1][at + i] + ch[2][at + i];
      }
      row[x] = static_cast<uint16_t>(sum / 16 / 3);
    }
  }
}

bool RegisterFrames(int method, int n, int range_x, int range_y, StackInput* inputs, AlignCheck* checks,
                    Progress* progress) {
  if (n < 1) return true;
  n = std::min(n, kStackMax);
  const int rx = std::clamp(range_x, 1, kCanvasMax), ry = std::clamp(range_y, 1, kCanvasMax);
  int wm = INT_MAX, hm = INT_MAX;
  for (int k = 0; k < n; ++k) {
    wm = std::min(wm, inputs[k].image->width);
    hm = std::min(hm, inputs[k].image->height);
  }
  const SearchRegion region = FindSearchRegion(method, wm, hm, rx, ry);
  int found_x[kStackMax] = {}, found_y[kStackMax] = {};
  int radius = std::max(rx, ry);

  if (rx > 4 || ry > 4) {
    radius = 4;
    const int qw = region.x1 / 4 - region.x0 / 4, qh = region.y1 / 4 - region.y0 / 4;
    if (qw > 0 && qh > 0) {
      const size_t count = static_cast<size_t>(qw) * static_cast<size_t>(qh);
      Plane quarter[kStackMax];
      for (int k = 0; k < n; ++k) {
        quarter[k] = NewPlane(count, false);
        if (!quarter[k]) return false;
        QuarterBrightnessPlane(*inputs[k].image, region, quarter[k].get());
      }
      const int sx = rx / 4 + 1, sy = ry / 4 + 1;
      for (int k = 1; k < n; ++k) {
        if (!ReportProgress(progress, 0.4 * (k - 1) / (n - 1), kProgressAligning)) return false;
        int dx = 0, dy = 0;
        BestDisplacement(method, quarter[0].get(), quarter[k].get(), qw, qh, -sx, sx, -sy, sy, &dx, &dy);
        found_x[k] = 4 * dx;
        found_y[k] = 4 * dy;
      }
    }
  }

  const int w = region.x1 - region.x0, h = region.y1 - region.y0;
  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  Plane grey[kStackMax];
  for (int k = 0; k < n; ++k) {
    grey[k] = NewPlane(count, false);
    if (!grey[k]) return false;
    BrightnessPlane(*inputs[k].image, region, grey[k].get());
  }
  int scores[kStackMax] = {};
  for (int k = 1; k < n; ++k) {
    if (!ReportProgress(progress, 0.4 + 0.4 * (k - 1) / (n - 1), kProgressAligning)) return false;
    const int cx = found_x[k], cy = found_y[k];
    BestDisplacement(method, grey[0].get(), grey[k].get(), w, h, cx - radius, cx + radius, cy - radius,
                     cy + radius, &found_x[k], &found_y[k], &scores[k]);
  }
  if (checks != nullptr) {
    const int64_t self = std::max(CompareGrey(method, grey[0].get(), grey[0].get(), w, h, 1, 0),
                                  CompareGrey(method, grey[0].get(), grey[0].get(), w, h, 0, 1));
    for (int k = 0; k < n; ++k) {
      checks[k] = AlignCheck{};
      if (k == 0) continue;
      checks[k].on_edge = std::abs(found_x[k]) >= rx || std::abs(found_y[k]) >= ry;
      checks[k].poor_match = self > 0 && self < kWorstScore && scores[k] > kPoorMatchRatio * self;
    }
  }
  for (int k = 0; k < n; ++k) {
    inputs[k].offset_x = found_x[k];
    inputs[k].offset_y = found_y[k];
  }
  return true;
}

OpStatus CompositeAuto(const CompositeJob& job, Image& target, AlignCheck checks[kStackMax]) {
  StackInput in[kStackMax];
  int rows[kStackMax] = {};
  int n = 0;
  for (int row = 0; row < kStackMax; ++row) {
    if (checks != nullptr) checks[row] = AlignCheck{};
    if (!UsableImage(job.images[row]) || job.weights[row] <= 0) continue;
    in[n].image = job.images[row];
    in[n].weight = job.weights[row];
    rows[n] = row;
    ++n;
  }
  if (n < 2) return kOpTooFewInputs;
  AlignCheck found[kStackMax];
  if (!RegisterFrames(job.method, n, job.range_x, job.range_y, in, found, job.progress)) {
    return job.progress != nullptr && job.progress->stopped ? kOpCancelled : kOpNoMemory;
  }
  if (checks != nullptr) {
    for (int k = 0; k < n; ++k) checks[rows[k]] = found[k];
  }
  if (!ReportProgress(job.progress, 0.8, kProgressCombining)) return kOpCancelled;
  int width = 0, height = 0;
  ComputeCanvas(in, n, &width, &height);
  ApplyStackShift(in, n, job.shift_x, job.shift_y);
  return CombineStack(in, n, width, height, job.mode, job.noise, job.normalise, target) ? kOpMade : kOpNoMemory;
}

}  // namespace tavo
