// SPDX-License-Identifier: MIT
// Statistics and histogram of a 6000 x 4000 image against one read pass
// over its three planes; the histogram window's drawing commands; printing
// the image into a PDF page.
#include <benchmark/benchmark.h>

#include <cstdio>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>

#include "bench/bench_images.h"
#include "core/slots.h"
#include "printing/print_page.h"
#include "shell/app_state.h"
#include "shell/measure.h"

namespace tavo {
namespace {

constexpr int kW = 6000, kH = 4000;

// 0: full-range noise, 1: night sky.
Image& BigImage(int kind) {
  static Image images[2];
  Image& img = images[kind];
  if (img.Empty()) {
    if (kind == 0) {
      MakeBenchNoiseImage(img, kW, kH, 777);
    } else {
      MakeBenchSkyImage(img, kW, kH, 777);
    }
  }
  return img;
}

// The floor: every sample of the three planes read once and summed.
void BM_ReadThreePlanes(benchmark::State& state) {
  const Image& img = BigImage(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    uint64_t sum = 0;
    for (int c = 0; c < 3; ++c) {
      const uint16_t* p = img.Channel(c);
      for (size_t i = 0; i < img.PixelCount(); ++i) sum += p[i];
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadThreePlanes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#if defined(__SSE2__)
// The same read at the memory's pace: 16 bytes a step, summed by SAD.
void BM_ReadThreePlanesSimd(benchmark::State& state) {
  const Image& img = BigImage(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    __m128i sum = _mm_setzero_si128();
    for (int c = 0; c < 3; ++c) {
      const __m128i* p = reinterpret_cast<const __m128i*>(img.Channel(c));
      for (size_t i = 0; i < img.PixelCount() / 8; ++i) {
        sum = _mm_add_epi64(sum, _mm_sad_epu8(_mm_loadu_si128(p + i), _mm_setzero_si128()));
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadThreePlanesSimd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

void BM_StatsAndHistogram(benchmark::State& state) {
  Image& img = BigImage(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ComputeDisplayStats(img);
    ComputeHistogram(img);
    benchmark::DoNotOptimize(img.dark_r);
  }
}
BENCHMARK(BM_StatsAndHistogram)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A repaint of the histogram window once the statistics are current.
void BM_MeasureDrawing(benchmark::State& state) {
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  app->slots[0] = std::move(BigImage(1));
  app->slots.current = 0;
  MarkLoaded(app->slots[0]);
  app->histogram_mode = static_cast<int>(state.range(0));
  app->mouse_seen = true;
  MeasureDrawing(*app);  // the statistics, once after the change
  for (auto _ : state) benchmark::DoNotOptimize(MeasureDrawing(*app).size());
  BigImage(1) = std::move(app->slots[0]);
}
BENCHMARK(BM_MeasureDrawing)->Arg(kMeasureHistogram)->Arg(kMeasureProfile)->Unit(benchmark::kMicrosecond);

void BM_PrintToPdf(benchmark::State& state) {
  PrintJob job;
  job.document_name = "TAVO(bench)";
  job.image = &BigImage(static_cast<int>(state.range(0)));
  const std::string path = "tavo_bench_print.pdf";
  std::string detail;
  for (auto _ : state) benchmark::DoNotOptimize(PrintToPdf(path, job, &detail));
  std::remove(path.c_str());
}
BENCHMARK(BM_PrintToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace tavo
