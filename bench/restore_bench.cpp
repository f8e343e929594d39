// SPDX-License-Identifier: MIT
// Wavelet sharpening, deblur and noise reduction of a 6000 x 4000 image,
// against a plain 5 x 5 convolution pass of the same three planes. Every
// run starts from the same samples (restored outside the timing).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/bench_images.h"
#include "core/slots.h"
#include "restore/deblur.h"
#include "restore/noise_reduction.h"
#include "restore/wavelet.h"

namespace tavo {
namespace {

constexpr int kW = kBenchWidth, kH = kBenchHeight;

const Image& Source() { return BenchSource(); }

// A working copy, reset to the source before each timed run.
class Work {
 public:
  Work() { DuplicateImage(Source(), image_); }
  Image& Fresh(benchmark::State& state) {
    state.PauseTiming();
    if (image_.width != kW || image_.height != kH) AllocateImagePlanes(image_, kW, kH, false);
    for (int c = 0; c < 3; ++c) std::memcpy(image_.Channel(c), Source().Channel(c), Source().PixelCount() * 2);
    state.ResumeTiming();
    return image_;
  }

 private:
  Image image_;
};

void SetPixels(benchmark::State& state) {
  state.counters["Mpx/s"] = benchmark::Counter(static_cast<double>(kW) * kH * static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate, benchmark::Counter::kIs1000);
}

void BM_Wavelet(benchmark::State& state) {
  Work work;
  WaveletParams p;
  std::copy(kWaveletPresets[state.range(0)], kWaveletPresets[state.range(0)] + 6, p.gains);
  for (auto _ : state) {
    if (ApplyWavelet(work.Fresh(state), p) != kOpMade) state.SkipWithError("no memory");
  }
  SetPixels(state);
}
// 0: the reset gains (all 1.0), 3: the strongest preset.
BENCHMARK(BM_Wavelet)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Deblur(benchmark::State& state) {
  Work work;
  DeblurParams p;  // spread 1.0, dullness 2.0: a 13 x 13 kernel; emphasis 1
  p.iterations = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (ApplyDeblur(work.Fresh(state), p) != kOpMade) state.SkipWithError("no memory");
  }
  SetPixels(state);
}
BENCHMARK(BM_Deblur)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: one 5 x 5 convolution in doubles with clamped borders,
// rows in parallel, into a second plane.
void BM_Convolve5x5(benchmark::State& state) {
  const Image& src = Source();
  std::vector<uint16_t> out(src.PixelCount());
  double k[5][5];
  for (int j = 0; j < 5; ++j) {
    for (int i = 0; i < 5; ++i) k[j][i] = 1.0 / (25.0 + i + j);
  }
  for (auto _ : state) {
    for (int c = 0; c < 3; ++c) {
      const uint16_t* in = src.Channel(c);
#pragma omp parallel for schedule(static)
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          double s = 0.0;
          for (int j = 0; j < 5; ++j) {
            const uint16_t* row = in + static_cast<size_t>(std::clamp(y + j - 2, 0, kH - 1)) * kW;
            for (int i = 0; i < 5; ++i) s += k[j][i] * row[std::clamp(x + i - 2, 0, kW - 1)];
          }
          out[static_cast<size_t>(y) * kW + x] = static_cast<uint16_t>(s);
        }
      }
    }
    benchmark::ClobberMemory();
  }
  SetPixels(state);
}
BENCHMARK(BM_Convolve5x5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NoiseReduction(benchmark::State& state) {
  Work work;
  NoiseParams p;
  p.area = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (ApplyNoiseReduction(work.Fresh(state), p) != kOpMade) state.SkipWithError("no memory");
  }
  SetPixels(state);
}
BENCHMARK(BM_NoiseReduction)->Arg(5)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavo
