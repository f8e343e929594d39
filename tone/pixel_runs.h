// SPDX-License-Identifier: MIT
// tone/pixel_runs.h - the frame of the per-pixel tone and colour passes.
#pragma once
#include <algorithm>
#include <cstdint>

namespace tavo {

// Hot loops are built twice, for AVX2 and for the baseline instruction set,
// and the loader picks one when the program starts. Both give the same
// results: the loops use integer arithmetic and plain double operations,
// and contraction into fused multiply-adds is off.
#define TAVO_PIXEL_KERNEL __attribute__((target_clones("avx2", "default")))

constexpr int kPixelRun = 1024;
// Below this many runs (a dialog's preview) waking a second thread costs
// more than it saves.
constexpr int64_t kParallelRuns = 64;

// Calls kernel(r, g, b, out_r, out_g, out_b, count) on runs of at most
// kPixelRun pixels of the three planes (n pixels each), in parallel, and
// copies each run's results back. The results go to separate buffers so
// that a kernel may read any plane for any output and still vectorise: it
// reads planes and writes memory known to be distinct. Pixels are
// independent, so the split between threads cannot change them.
template <typename Kernel>
void ForEachPixelRun(uint16_t* r, uint16_t* g, uint16_t* b, int64_t n, const Kernel& kernel) {
  uint16_t* planes[3] = {r, g, b};
  const int64_t runs = (n + kPixelRun - 1) / kPixelRun;
#pragma omp parallel for schedule(static) if (runs >= kParallelRuns)
  for (int64_t run = 0; run < runs; ++run) {
    const int64_t start = run * kPixelRun;
    const int count = static_cast<int>(std::min<int64_t>(kPixelRun, n - start));
    uint16_t out[3][kPixelRun];
    kernel(r + start, g + start, b + start, out[0], out[1], out[2], count);
    for (int c = 0; c < 3; ++c) std::copy(out[c], out[c] + count, planes[c] + start);
  }
}

// Calls kernel(r, g, b, count) on runs of the three planes in parallel, for
// kernels that change each plane in place.
template <typename Kernel>
void ForEachPixelRunInPlace(uint16_t* r, uint16_t* g, uint16_t* b, int64_t n, const Kernel& kernel) {
  const int64_t runs = (n + kPixelRun - 1) / kPixelRun;
#pragma omp parallel for schedule(static) if (runs >= kParallelRuns)
  for (int64_t run = 0; run < runs; ++run) {
    const int64_t start = run * kPixelRun;
    kernel(r + start, g + start, b + start, static_cast<int>(std::min<int64_t>(kPixelRun, n - start)));
  }
}

}  // namespace tavo
