// SPDX-License-Identifier: MIT
#include "restore/deblur.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <utility>

#include "core/memory.h"
#include "restore/to_sample.h"

namespace tavo {
namespace {

constexpr int kChunk = 16;  // pixels whose sums stay in registers through all taps
constexpr int64_t kParallelMin = 1 << 12;

// A plane of doubles whose rows carry `pad` copies of their first and last
// value on either side, so that a row can be read at x - pad .. x + pad
// without clamping; rows are clamped by the reader.
struct PaddedPlane {
  double* data;
  size_t stride;  // width + 2 pad
  int pad;
  double* Row(int y) const { return data + static_cast<size_t>(y) * stride + pad; }
};

void FillPadding(double* row, int width, int pad) {
  std::fill(row - pad, row, row[0]);
  std::fill(row + width, row + width + pad, row[width - 1]);
}

// (K * E) for n pixels from x0 of row y; sums run over kernel rows, then
// columns, from the top-left of the square.
template <int kN>
void ConvolveChunk(const PaddedPlane& e, int height, int y, int x0, int n, const DeblurKernel& k, double* out) {
  const int r = k.radius, side = 2 * r + 1;
  double acc[kChunk] = {};
  const int count = kN > 0 ? kN : n;
  for (int j = 0; j < side; ++j) {
    const double* src = e.Row(std::clamp(y + j - r, 0, height - 1)) + x0 - r;
    for (int i = 0; i < side; ++i) {
      const double kv = k.k[j][i];
      for (int t = 0; t < count; ++t) acc[t] += kv * src[i + t];
    }
  }
  for (int t = 0; t < count; ++t) out[t] = acc[t];
}

void ConvolveRow(const PaddedPlane& e, int width, int height, int y, const DeblurKernel& k, double* out) {
  int x0 = 0;
  for (; x0 + kChunk <= width; x0 += kChunk) ConvolveChunk<kChunk>(e, height, y, x0, kChunk, k, out + x0);
  if (x0 < width) ConvolveChunk<0>(e, height, y, x0, width - x0, k, out + x0);
}

struct Buffers {
  PaddedPlane cur, next;
  double* rows;  // one row of K * E per thread
  int threads;
};

void DeblurPlane(uint16_t* plane, int width, int height, const DeblurKernel& k, int iterations, int emphasis,
                 Buffers& b) {
  const bool parallel = static_cast<int64_t>(width) * height >= kParallelMin;
#pragma omp parallel for schedule(static) num_threads(b.threads) if (parallel)
  for (int y = 0; y < height; ++y) {
    const uint16_t* o = plane + static_cast<size_t>(y) * width;
    double* row = b.cur.Row(y);
    for (int x = 0; x < width; ++x) row[x] = o[x];
    FillPadding(row, width, b.cur.pad);
  }
  for (int it = 0; it < iterations; ++it) {
#pragma omp parallel for schedule(static) num_threads(b.threads) if (parallel)
    for (int y = 0; y < height; ++y) {
      double* conv = b.rows + static_cast<size_t>(omp_get_thread_num()) * width;
      ConvolveRow(b.cur, width, height, y, k, conv);
      const uint16_t* o = plane + static_cast<size_t>(y) * width;
      const double* e = b.cur.Row(y);
      double* next = b.next.Row(y);
      for (int x = 0; x < width; ++x) {
        const double t = conv[x] - o[x];
        next[x] = e[x] - 2.0 * t;
      }
      FillPadding(next, width, b.next.pad);
    }
    std::swap(b.cur, b.next);
  }
  const double keep = emphasis + 1.0, take = emphasis;
#pragma omp parallel for schedule(static) num_threads(b.threads) if (parallel)
  for (int y = 0; y < height; ++y) {
    const double* e = b.cur.Row(y);
    uint16_t* dst = plane + static_cast<size_t>(y) * width;
    if (emphasis == 0) {
      for (int x = 0; x < width; ++x) dst[x] = SampleFromDouble(e[x]);
      continue;
    }
    double* conv = b.rows + static_cast<size_t>(omp_get_thread_num()) * width;
    ConvolveRow(b.cur, width, height, y, k, conv);
    for (int x = 0; x < width; ++x) dst[x] = SampleFromDouble(keep * e[x] - take * conv[x]);
  }
}

size_t PaddedDoubles(int width, int height, int pad) {
  return (static_cast<size_t>(width) + 2 * pad) * static_cast<size_t>(height);
}

}  // namespace

DeblurKernel MakeDeblurKernel(int spread, int dullness) {
  const double s = std::clamp(spread, kDeblurSpreadMin, kDeblurSpreadMax);
  const double exponent = std::clamp(dullness, kDeblurDullnessMin, kDeblurDullnessMax) * 0.05;
  DeblurKernel k{};
  int last = kDeblurRadiusMax;  // the centre row always holds 1 (> 0.02)
  for (int j = 0; j < kDeblurTable; ++j) {
    for (int i = 0; i < kDeblurTable; ++i) {
      const int dj = j - kDeblurRadiusMax, di = i - kDeblurRadiusMax;
      const int r2 = di * di + dj * dj;
      k.bell[j][i] = 1.0 / (std::pow(r2 * 10 / s, exponent) + 1.0);
      if (k.bell[j][i] > 0.02) last = std::max(last, j);
    }
  }
  k.radius = last - kDeblurRadiusMax;
  const int first = kDeblurTable - 1 - last, side = 2 * k.radius + 1;
  double sum = 0.0;
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) sum += k.bell[first + j][first + i];
  }
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) k.k[j][i] = k.bell[first + j][first + i] / sum;
  }
  return k;
}

uint64_t DeblurWorkBytes(int width, int height, const DeblurParams& p) {
  if (width <= 0 || height <= 0) return 0;
  const int pad = MakeDeblurKernel(p.spread, p.dullness).radius;
  const int threads = std::max(1, omp_get_max_threads());
  const uint64_t doubles = 2 * static_cast<uint64_t>(PaddedDoubles(width, height, pad)) +
                           static_cast<uint64_t>(threads) * static_cast<uint64_t>(width);
  return doubles * sizeof(double);
}

OpStatus ApplyDeblur(Image& image, const DeblurParams& p) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const int planes = image.monochrome == 1 ? 1 : 3;
  if (planes == 3 && (!image.g || !image.b)) return kOpNothingToDo;
  const DeblurKernel k = MakeDeblurKernel(p.spread, p.dullness);
  const int width = image.width, height = image.height;
  if (!MemoryFits(DeblurWorkBytes(width, height, p))) return kOpNoMemory;
  Buffers b;
  b.threads = std::max(1, omp_get_max_threads());
  const size_t plane_doubles = PaddedDoubles(width, height, k.radius);
  std::unique_ptr<double[]> buf(
      new (std::nothrow) double[2 * plane_doubles + static_cast<size_t>(b.threads) * width]);
  if (!buf) return kOpNoMemory;
  const size_t stride = static_cast<size_t>(width) + 2 * k.radius;
  b.cur = {buf.get(), stride, k.radius};
  b.next = {buf.get() + plane_doubles, stride, k.radius};
  b.rows = buf.get() + 2 * plane_doubles;
  const int iterations = std::clamp(p.iterations, kDeblurIterationsMin, kDeblurIterationsMax);
  const int emphasis = std::clamp(p.emphasis, 0, kDeblurEmphasisMax);
  for (int c = 0; c < planes; ++c) DeblurPlane(image.Channel(c), width, height, k, iterations, emphasis, b);
  return kOpMade;
}

}  // namespace tavo
