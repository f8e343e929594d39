// SPDX-License-Identifier: MIT
// Filters and geometry on a 6000 x 4000 image; BM_CopyThreePlanes
// (gamma_bench.cpp) copies the same three planes and is the baseline the
// ratios are taken against.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_images.h"
#include "filters/edge.h"
#include "filters/resize.h"
#include "filters/rotate.h"
#include "filters/sharp.h"

namespace tavo {
namespace {

constexpr int kW = kBenchWidth, kH = kBenchHeight;

const Image& Source() { return BenchSource(); }

// Every iteration starts from the same source; the copy is not timed.
template <typename Op>
void RunOnCopy(benchmark::State& state, Op op) {
  const Image& src = Source();
  Image work;
  for (auto _ : state) {
    state.PauseTiming();
    AllocateImagePlanes(work, kW, kH, false);
    for (int c = 0; c < 3; ++c) std::memcpy(work.Channel(c), src.Channel(c), src.PixelCount() * 2);
    state.ResumeTiming();
    if (op(work) != kOpMade) state.SkipWithError("operation failed");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kW * kH);
}

void BM_ResizeHalfBilinear(benchmark::State& state) {
  RunOnCopy(state, [](Image& img) { return ResizeBilinear(img, 1, 2, 1, 2); });
}
BENCHMARK(BM_ResizeHalfBilinear)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResizeDoubleLanczos(benchmark::State& state) {
  RunOnCopy(state, [](Image& img) { return ResizeLanczos(img, 2, 1, 2, 1); });
}
BENCHMARK(BM_ResizeDoubleLanczos)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Rotate12_5(benchmark::State& state) {
  RunOnCopy(state, [](Image& img) { return ApplyRotation(img, {kRotateByAngle, 1250}); });
}
BENCHMARK(BM_Rotate12_5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SharpSmoothRadius3(benchmark::State& state) {
  RunOnCopy(state, [](Image& img) { return ApplySharpSmooth(img, {3, 2560, 10, 10, 7}); });
}
BENCHMARK(BM_SharpSmoothRadius3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EdgeEnhance(benchmark::State& state) {
  RunOnCopy(state, [](Image& img) { return ApplyEdge(img, EdgeParams{}); });
}
BENCHMARK(BM_EdgeEnhance)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavo
