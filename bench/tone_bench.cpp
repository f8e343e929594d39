// SPDX-License-Identifier: MIT
// The tone and colour passes on a 6000 x 4000 image, to be read against
// BM_CopyThreePlanes (gamma_bench.cpp). Every iteration starts from the
// same noise image; restoring it is not timed.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_images.h"
#include "core/slots.h"
#include "shell/ops/level_op.h"
#include "shell/ops/tone_correction_op.h"
#include "tone/black_white.h"
#include "tone/color_change.h"
#include "tone/levels.h"
#include "tone/saturation_hue.h"
#include "tone/tone_correction.h"

namespace tavo {
namespace {

constexpr int kW = 6000, kH = 4000;

const Image& Pristine() {
  static Image image = [] {
    Image img;
    MakeBenchNoiseImage(img, kW, kH, 777);
    return img;
  }();
  return image;
}

template <typename Apply>
void RunPass(benchmark::State& state, const Apply& apply) {
  const Image& src = Pristine();
  Image work;
  AllocateImagePlanes(work, kW, kH, false);
  const size_t bytes = src.PixelCount() * 2;
  for (auto _ : state) {
    state.PauseTiming();
    for (int c = 0; c < 3; ++c) std::memcpy(work.Channel(c), src.Channel(c), bytes);
    work.monochrome = 0;
    state.ResumeTiming();
    apply(work);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes) * 3);
}

void BM_Levels(benchmark::State& state) {
  LevelParams p;
  p.table = static_cast<int>(state.range(0));
  for (LevelWindow& w : p.windows) w = {10, 240, 5, 20, 150, 3, 250};
  RunPass(state, [&](Image& img) { ApplyLevels(img, p); });
}
BENCHMARK(BM_Levels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ToneCorrection(benchmark::State& state) {
  RunPass(state, [](Image& img) { ApplyToneCorrection(img, {30}); });
}
BENCHMARK(BM_ToneCorrection)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BlackWhite(benchmark::State& state) {
  const BlackWhiteParams p{static_cast<int>(state.range(0)), 299, 587, 114};
  RunPass(state, [&](Image& img) { ApplyBlackWhite(img, p); });
}
BENCHMARK(BM_BlackWhite)->Arg(kGreyMaximum)->Arg(kGreyStandard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaturationHue(benchmark::State& state) {
  const SaturationHueParams p{30, static_cast<int>(state.range(0))};
  RunPass(state, [&](Image& img) { ApplySaturationHue(img, p); });
}
BENCHMARK(BM_SaturationHue)->Arg(45)->Arg(-150)->Unit(benchmark::kMillisecond)->UseRealTime();

// Tolerance 60 catches about a third of the noise pixels.
void BM_ColorChangeRgb(benchmark::State& state) {
  const ColorChangeRgbParams p{128, 128, 128, 200, 30, 90, 60};
  RunPass(state, [&](Image& img) { ApplyColorChangeRgb(img, p); });
}
BENCHMARK(BM_ColorChangeRgb)->Unit(benchmark::kMillisecond)->UseRealTime();

// Tolerance 240 quarter degrees: a sixth of the hue circle.
void BM_ColorChangeHsv(benchmark::State& state) {
  const ColorChangeHsvParams p{350, 128, 128, 10, 200, 90, 240};
  RunPass(state, [&](Image& img) { ApplyColorChangeHsv(img, p); });
}
BENCHMARK(BM_ColorChangeHsv)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a dialog does while a bar is dragged on a 24-megapixel image: the
// sampled pixels are taken once when it opens (BM_PreviewSample), then
// every move recomputes the preview from them alone.
void BM_PreviewSample(benchmark::State& state) {
  Image sample;
  for (auto _ : state) SamplePreviewPixels(Pristine(), sample);
}
BENCHMARK(BM_PreviewSample)->Unit(benchmark::kMillisecond);

void BM_PreviewUpdate(benchmark::State& state) {
  Image sample;
  SamplePreviewPixels(Pristine(), sample);
  LvlSettings lvl;
  lvl.table = 1;
  ToneSettings tone;
  int step = 0;
  for (auto _ : state) {
    ++step;
    if (state.range(0) == 0) {
      lvl.rows[1][kLevelGamma] = 100 + step % 200;
      benchmark::DoNotOptimize(LevelPreview(sample, lvl));
    } else {
      tone.strength = step % 100;
      benchmark::DoNotOptimize(ToneCorrectionPreview(sample, tone));
    }
  }
}
BENCHMARK(BM_PreviewUpdate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavo
