// SPDX-License-Identifier: MIT
#include "restore/deblur.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "core/memory.h"
#include "restore/to_sample.h"

namespace tavo {
namespace {

constexpr int64_t kParallelMin = 1 << 12;

// Four lanes of doubles; every lane does the same IEEE operations in the
// same order as the one-pixel loop, so lanes and the scalar tail agree bit
// for bit, with or without AVX.
typedef double Lanes __attribute__((vector_size(32)));
typedef int32_t Ints __attribute__((vector_size(16)));
typedef uint16_t Shorts __attribute__((vector_size(8)));
constexpr int kLanes = 4;
constexpr int kChunk = 4 * kLanes;  // pixels whose sums stay in registers through all taps
constexpr int kTile = 256;

// Four values at p, unaligned.
inline void Load(Lanes& v, const double* p) { std::memcpy(&v, p, sizeof v); }

// acc0..acc3 += kv x the 16 values at p.
inline void AddTap(Lanes& a0, Lanes& a1, Lanes& a2, Lanes& a3, double kv, const double* p) {
  Lanes v;
  Load(v, p);
  a0 += kv * v;
  Load(v, p + kLanes);
  a1 += kv * v;
  Load(v, p + 2 * kLanes);
  a2 += kv * v;
  Load(v, p + 3 * kLanes);
  a3 += kv * v;
}

// acc0..acc3 += kv x (the 16 values at p + the 16 values at q).
inline void AddPairTap(Lanes& a0, Lanes& a1, Lanes& a2, Lanes& a3, double kv, const double* p, const double* q) {
  Lanes v, w;
  Load(v, p);
  Load(w, q);
  a0 += kv * (v + w);
  Load(v, p + kLanes);
  Load(w, q + kLanes);
  a1 += kv * (v + w);
  Load(v, p + 2 * kLanes);
  Load(w, q + 2 * kLanes);
  a2 += kv * (v + w);
  Load(v, p + 3 * kLanes);
  Load(w, q + 3 * kLanes);
  a3 += kv * (v + w);
}

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

// (K * E) for every pixel of row y. K is symmetric in both directions, so
// the four samples a quarter weight covers are added first: for j, i =
// 0..radius in that order, acc += K(i, j) x S(i, j), with S(0, 0) = E(x, y),
// S(i, 0) = E(x - i, y) + E(x + i, y), S(0, j) = E(x, y - j) + E(x, y + j)
// and otherwise (E(x - i, y - j) + E(x - i, y + j)) + (E(x + i, y - j) +
// E(x + i, y + j)); rows outside the plane are clamped.
__attribute__((target_clones("avx2", "default"))) void ConvolveRow(const PaddedPlane& e, int width, int height,
                                                                    int y, const DeblurKernel& k, double* out) {
  const int r = k.radius;
  const double* up[kDeblurRadiusMax + 1];
  const double* down[kDeblurRadiusMax + 1];
  for (int j = 0; j <= r; ++j) {
    up[j] = e.Row(std::clamp(y - j, 0, height - 1));
    down[j] = e.Row(std::clamp(y + j, 0, height - 1));
  }
  const auto weight = [&](int j, int i) { return k.k[r + j][r + i]; };
  // Rows y - j and y + j added, over a tile of the row widened by r on
  // either side; a tile stays in the first-level cache.
  double fold[kDeblurRadiusMax + 1][kTile + 2 * kDeblurRadiusMax];
  for (int tile = 0; tile < width; tile += kTile) {
    const int tw = std::min(kTile, width - tile), n = tw + 2 * r;
    for (int j = 0; j <= r; ++j) {
      const double* u = up[j] + tile - r;
      const double* d = down[j] + tile - r;
      if (j == 0) {
        std::memcpy(fold[0], u, sizeof(double) * n);
        continue;
      }
      int t = 0;
      for (; t + kLanes <= n; t += kLanes) {
        Lanes a, b;
        std::memcpy(&a, u + t, sizeof a);
        std::memcpy(&b, d + t, sizeof b);
        a += b;
        std::memcpy(fold[j] + t, &a, sizeof a);
      }
      for (; t < n; ++t) fold[j][t] = u[t] + d[t];
    }
    int x = 0;
    for (; x + kChunk <= tw; x += kChunk) {
      Lanes a0 = {}, a1 = {}, a2 = {}, a3 = {};
      for (int j = 0; j <= r; ++j) {
        const double* f = fold[j] + r + x;
        AddTap(a0, a1, a2, a3, weight(j, 0), f);
        for (int i = 1; i <= r; ++i) AddPairTap(a0, a1, a2, a3, weight(j, i), f - i, f + i);
      }
      double* o = out + tile + x;
      std::memcpy(o, &a0, sizeof a0);
      std::memcpy(o + kLanes, &a1, sizeof a1);
      std::memcpy(o + 2 * kLanes, &a2, sizeof a2);
      std::memcpy(o + 3 * kLanes, &a3, sizeof a3);
    }
    for (; x < tw; ++x) {
      double acc = 0.0;
      for (int j = 0; j <= r; ++j) {
        const double* f = fold[j] + r + x;
        acc += weight(j, 0) * f[0];
        for (int i = 1; i <= r; ++i) acc += weight(j, i) * (f[-i] + f[i]);
      }
      out[tile + x] = acc;
    }
  }
}

// next = E - 2T with T = (K * E) - O.
__attribute__((target_clones("avx2", "default"))) void StepRow(const double* e, const double* conv,
                                                                const uint16_t* o, int width, double* next) {
  int x = 0;
  for (; x + kLanes <= width; x += kLanes) {
    Lanes ev, cv;
    Load(ev, e + x);
    Load(cv, conv + x);
    Shorts os;
    std::memcpy(&os, o + x, sizeof os);
    const Lanes t = cv - __builtin_convertvector(__builtin_convertvector(os, Ints), Lanes);
    const Lanes n = ev - 2.0 * t;
    std::memcpy(next + x, &n, sizeof n);
  }
  for (; x < width; ++x) next[x] = e[x] - 2.0 * (conv[x] - o[x]);
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
      double* next = b.next.Row(y);
      StepRow(b.cur.Row(y), conv, plane + static_cast<size_t>(y) * width, width, next);
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
      StoreSamples(e, width, dst);
      continue;
    }
    double* conv = b.rows + static_cast<size_t>(omp_get_thread_num()) * width;
    ConvolveRow(b.cur, width, height, y, k, conv);
    for (int x = 0; x < width; ++x) conv[x] = keep * e[x] - take * conv[x];
    StoreSamples(conv, width, dst);
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
  for (int c = 0; c < planes; ++c) {
    if (!ReportProgress(p.progress, static_cast<double>(c) / planes, kProgressDeblur)) return kOpCancelled;
    DeblurPlane(image.Channel(c), width, height, k, iterations, emphasis, b);
  }
  return kOpMade;
}

}  // namespace tavo
