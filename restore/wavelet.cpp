// SPDX-License-Identifier: MIT
#include "restore/wavelet.h"

#include <omp.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/memory.h"
#include "restore/to_sample.h"
#include "restore/wavelet_enlarge.h"

namespace tavo {
namespace {

constexpr int kLevels = 5;                 // detail levels 0..4, residual 5
constexpr int64_t kParallelMin = 1 << 14;  // values in a pass worth a thread team

// Level k is w[k] x h[k] values; level 0 is the padded plane, which is never
// stored: its samples are read from the plane and its detail is formed only
// on the way out. Levels 1..5 sit one after another in one block, followed
// by a copy of level 1 as it was before its own decomposition (the finest
// detail needs the original coarse values again at the end) and the rows
// of scratch of each thread.
struct Pyramid {
  int w[kLevels + 1] = {}, h[kLevels + 1] = {};
  size_t offset[kLevels + 1] = {};
  size_t coarse1_copy = 0;
  size_t scratch = 0;     // per thread: two rows of level 0
  size_t stride = 0;      // doubles of scratch per thread
  size_t total = 0;       // doubles
};

Pyramid PlanPyramid(int width, int height, int threads) {
  Pyramid p;
  // Always larger than the plane, by 32 when a side is already a multiple.
  p.w[0] = (width / 32 + 1) * 32;
  p.h[0] = (height / 32 + 1) * 32;
  size_t at = 0;
  for (int k = 1; k <= kLevels; ++k) {
    p.w[k] = p.w[0] >> k;
    p.h[k] = p.h[0] >> k;
    p.offset[k] = at;
    at += static_cast<size_t>(p.w[k]) * p.h[k];
  }
  p.coarse1_copy = at;
  at += static_cast<size_t>(p.w[1]) * p.h[1];
  p.scratch = at;
  p.stride = 2 * static_cast<size_t>(p.w[0]);
  at += static_cast<size_t>(threads) * p.stride;
  p.total = at;
  return p;
}

// Which coarse rows predict row r of a level of 2h rows, and with which
// weights: the first and last rows use one coarse row, the others lie
// between coarse rows top and top + 1, nearer the upper for odd r.
enum RowKind { kEdgeRow, kUpperRow, kLowerRow };
struct RowSource {
  int top;
  RowKind kind;
};

RowSource SourceOfRow(int r, int h) {
  if (r == 0) return {0, kEdgeRow};
  if (r == 2 * h - 1) return {h - 1, kEdgeRow};
  if (r % 2 == 1) return {(r - 1) / 2, kUpperRow};
  return {r / 2 - 1, kLowerRow};
}

// Prediction of one row (2w values) from coarse rows t and u (u the next
// coarse row; unused for an edge row). Between four coarse samples a, b
// (row t) and c, d (row u) the nearest weighs 0.54, the two side neighbours
// 0.17 and the diagonal one 0.12; along the border 0.76 and 0.24; the
// corners take their coarse sample. Terms are summed in the order a, b, c, d.
template <RowKind kKind>
void PredictRowOf(const double* t, const double* u, int w, double* p) {
  if constexpr (kKind == kEdgeRow) {
    p[0] = t[0];
    for (int j = 0; j + 1 < w; ++j) {
      p[2 * j + 1] = 0.76 * t[j] + 0.24 * t[j + 1];
      p[2 * j + 2] = 0.24 * t[j] + 0.76 * t[j + 1];
    }
    p[2 * w - 1] = t[w - 1];
  } else {
    constexpr bool kUp = kKind == kUpperRow;
    constexpr double a1 = kUp ? 0.54 : 0.17, b1 = kUp ? 0.17 : 0.12, c1 = kUp ? 0.17 : 0.54, d1 = kUp ? 0.12 : 0.17;
    constexpr double a2 = kUp ? 0.17 : 0.12, b2 = kUp ? 0.54 : 0.17, c2 = kUp ? 0.12 : 0.17, d2 = kUp ? 0.17 : 0.54;
    constexpr double near = kUp ? 0.76 : 0.24, far = kUp ? 0.24 : 0.76;
    p[0] = near * t[0] + far * u[0];
    for (int j = 0; j + 1 < w; ++j) {
      const double a = t[j], b = t[j + 1], c = u[j], d = u[j + 1];
      p[2 * j + 1] = a1 * a + b1 * b + c1 * c + d1 * d;
      p[2 * j + 2] = a2 * a + b2 * b + c2 * c + d2 * d;
    }
    p[2 * w - 1] = near * t[w - 1] + far * u[w - 1];
  }
}

// Prediction of row r of a level whose coarser level `coarse` is w x h.
void PredictRow(const double* coarse, int w, int h, int r, double* p) {
  const RowSource s = SourceOfRow(r, h);
  const double* t = coarse + static_cast<size_t>(s.top) * w;
  switch (s.kind) {
    case kEdgeRow: PredictRowOf<kEdgeRow>(t, t, w, p); break;
    case kUpperRow: PredictRowOf<kUpperRow>(t, t + w, w, p); break;
    case kLowerRow: PredictRowOf<kLowerRow>(t, t + w, w, p); break;
  }
}

// Level 1 from the plane: 2 x 2 means of the plane padded by repeating its
// last column and row. Sums of four samples are exact in any order.
void CoarseFromPlane(const uint16_t* plane, int width, int height, double* c, int w1, int h1) {
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(w1) * h1 >= kParallelMin)
  for (int i = 0; i < h1; ++i) {
    const uint16_t* r0 = plane + static_cast<size_t>(std::min(2 * i, height - 1)) * width;
    const uint16_t* r1 = plane + static_cast<size_t>(std::min(2 * i + 1, height - 1)) * width;
    double* out = c + static_cast<size_t>(i) * w1;
    const int inside = std::min(w1, width / 2);  // columns 2j + 1 < width
    for (int j = 0; j < inside; ++j) {
      out[j] = 0.25 * static_cast<double>(r0[2 * j] + r0[2 * j + 1] + r1[2 * j] + r1[2 * j + 1]);
    }
    for (int j = inside; j < w1; ++j) {
      const int x0 = std::min(2 * j, width - 1), x1 = std::min(2 * j + 1, width - 1);
      out[j] = 0.25 * static_cast<double>(r0[x0] + r0[x1] + r1[x0] + r1[x1]);
    }
  }
}

// Level k (2w x 2h) becomes its detail; level k + 1 (w x h) gets its means.
void Decompose(double* f, double* c, int w, int h, double* scratch, size_t stride, int threads) {
  const int fw = 2 * w;
  const bool parallel = static_cast<int64_t>(fw) * 2 * h >= kParallelMin;
#pragma omp parallel for schedule(static) num_threads(threads) if (parallel)
  for (int i = 0; i < h; ++i) {
    const double* f0 = f + static_cast<size_t>(2 * i) * fw;
    const double* f1 = f0 + fw;
    double* out = c + static_cast<size_t>(i) * w;
    for (int j = 0; j < w; ++j) out[j] = 0.25 * (f0[2 * j] + f0[2 * j + 1] + f1[2 * j] + f1[2 * j + 1]);
  }
#pragma omp parallel for schedule(static) num_threads(threads) if (parallel)
  for (int r = 0; r < 2 * h; ++r) {
    double* p = scratch + static_cast<size_t>(omp_get_thread_num()) * stride;
    PredictRow(c, w, h, r, p);
    double* row = f + static_cast<size_t>(r) * fw;
    for (int x = 0; x < fw; ++x) row[x] -= p[x];
  }
}

// Level k (2w x 2h detail) rebuilt: gain x detail + prediction from the
// rebuilt level k + 1.
void Reconstruct(double* f, const double* c, int w, int h, double gain, double* scratch, size_t stride,
                 int threads) {
  const int fw = 2 * w;
#pragma omp parallel for schedule(static) num_threads(threads) if (static_cast<int64_t>(fw) * 2 * h >= kParallelMin)
  for (int r = 0; r < 2 * h; ++r) {
    double* p = scratch + static_cast<size_t>(omp_get_thread_num()) * stride;
    PredictRow(c, w, h, r, p);
    double* row = f + static_cast<size_t>(r) * fw;
    for (int x = 0; x < fw; ++x) row[x] = gain * row[x] + p[x];
  }
}

// Levels 1..5 of one plane, levels 1..4 left as their detail; the level-1
// means are kept in their copy.
void BuildPyramid(const uint16_t* plane, int width, int height, const Pyramid& py, double* buf, int threads) {
  double* scratch = buf + py.scratch;
  CoarseFromPlane(plane, width, height, buf + py.offset[1], py.w[1], py.h[1]);
  std::memcpy(buf + py.coarse1_copy, buf + py.offset[1], sizeof(double) * py.w[1] * py.h[1]);
  for (int k = 1; k < kLevels; ++k) {
    Decompose(buf + py.offset[k], buf + py.offset[k + 1], py.w[k + 1], py.h[k + 1], scratch, py.stride, threads);
  }
}

// The in-place path on one plane. Level 0 is never stored: its detail is
// sample - prediction from the original level 1, so the output is
// gain 5 x (sample - that) + prediction from the rebuilt level 1.
void SharpenPlane(uint16_t* plane, int width, int height, const double g[6], const Pyramid& py, double* buf,
                  int threads) {
  BuildPyramid(plane, width, height, py, buf, threads);
  double* scratch = buf + py.scratch;
  for (int k = kLevels - 1; k >= 1; --k) {
    Reconstruct(buf + py.offset[k], buf + py.offset[k + 1], py.w[k + 1], py.h[k + 1], g[5 - k], scratch, py.stride,
                threads);
  }
  const double* rebuilt = buf + py.offset[1];
  const double* original = buf + py.coarse1_copy;
  const int w1 = py.w[1], h1 = py.h[1];
  const double g5 = g[5];
#pragma omp parallel for schedule(static) num_threads(threads) \
    if (static_cast<int64_t>(width) * height >= kParallelMin)
  for (int r = 0; r < height; ++r) {
    double* p_orig = scratch + static_cast<size_t>(omp_get_thread_num()) * py.stride;
    double* p_new = p_orig + py.w[0];
    PredictRow(original, w1, h1, r, p_orig);
    PredictRow(rebuilt, w1, h1, r, p_new);
    uint16_t* row = plane + static_cast<size_t>(r) * width;
    for (int x = 0; x < width; ++x) p_new[x] = g5 * (static_cast<double>(row[x]) - p_orig[x]) + p_new[x];
    StoreSamples(p_new, width, row);
  }
}

void GainsOf(const WaveletParams& p, double g[6]) {
  for (int i = 0; i < 6; ++i) g[i] = p.gains[i] * 0.1;
}

bool HasPlanes(const Image& image) {
  return !image.Empty() && image.r && (image.monochrome == 1 || (image.g && image.b));
}

OpStatus SharpenInPlace(Image& image, const double g[6], Progress* progress) {
  const int threads = std::max(1, omp_get_max_threads());
  const Pyramid py = PlanPyramid(image.width, image.height, threads);
  if (!MemoryFits(static_cast<uint64_t>(py.total) * sizeof(double))) return kOpNoMemory;
  std::unique_ptr<double[]> buf(new (std::nothrow) double[py.total]);
  if (!buf) return kOpNoMemory;
  const int planes = image.monochrome == 1 ? 1 : 3;
  for (int c = 0; c < planes; ++c) {
    if (!ReportProgress(progress, static_cast<double>(c) / planes, kProgressWavelet)) return kOpCancelled;
    SharpenPlane(image.Channel(c), image.width, image.height, g, py, buf.get(), threads);
  }
  return kOpMade;
}

}  // namespace

bool WaveletEnlarges(int width, int height, const WaveletParams& p) {
  return p.enlarge == 1 && width > 0 && height > 0 && width < kWaveletEnlargeLimit && height < kWaveletEnlargeLimit;
}

uint64_t WaveletWorkBytes(int width, int height, const WaveletParams& p) {
  if (width <= 0 || height <= 0) return 0;
  const int threads = std::max(1, omp_get_max_threads());
  if (WaveletEnlarges(width, height, p)) {
    double g[6];
    GainsOf(p, g);
    return WaveletEnlargeBytes(width, height, WaveletEnlargeLevels(g), threads);
  }
  return static_cast<uint64_t>(PlanPyramid(width, height, threads).total) * sizeof(double);
}

OpStatus ApplyWavelet(Image& image, const WaveletParams& p) {
  if (!HasPlanes(image)) return kOpNothingToDo;
  double g[6];
  GainsOf(p, g);
  if (WaveletEnlarges(image.width, image.height, p)) {
    return WaveletEnlargeImage(image, std::clamp(p.filter_order, kWaveletOrderMin, kWaveletOrderMax), g, p.progress);
  }
  return SharpenInPlace(image, g, p.progress);
}

bool WaveletSubbandEnergy(const uint16_t* plane, int width, int height, double energy[6]) {
  if (plane == nullptr || width <= 0 || height <= 0) return false;
  const Pyramid py = PlanPyramid(width, height, 1);
  if (!MemoryFits(static_cast<uint64_t>(py.total) * sizeof(double))) return false;
  std::unique_ptr<double[]> buf(new (std::nothrow) double[py.total]);
  if (!buf) return false;
  BuildPyramid(plane, width, height, py, buf.get(), 1);
  double* p = buf.get() + py.scratch;
  energy[0] = 0.0;
  for (int r = 0; r < py.h[0]; ++r) {
    PredictRow(buf.get() + py.coarse1_copy, py.w[1], py.h[1], r, p);
    const uint16_t* row = plane + static_cast<size_t>(std::min(r, height - 1)) * width;
    for (int x = 0; x < py.w[0]; ++x) {
      const double d = row[std::min(x, width - 1)] - p[x];
      energy[0] += d * d;
    }
  }
  for (int k = 1; k <= kLevels; ++k) {
    const double* level = buf.get() + py.offset[k];
    energy[k] = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(py.w[k]) * py.h[k]; ++i) energy[k] += level[i] * level[i];
  }
  return true;
}

}  // namespace tavo
