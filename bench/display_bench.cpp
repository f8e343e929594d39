// SPDX-License-Identifier: MIT
// Display conversion of a 6000 x 4000 image into an 800 x 512 window at
// several zoom steps, against filling the same 8-bit buffer; the cost a
// repaint adds while the statistics refresh flag is set; and the display
// stretches.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_images.h"
#include "core/slots.h"
#include "shell/display.h"

namespace tavo {
namespace {

constexpr int kW = 6000, kH = 4000;

Image& BigImage() {
  static Image image = [] {
    Image img;
    MakeBenchNoiseImage(img, kW, kH, 777);
    return img;
  }();
  return image;
}

// The floor: writing an 800 x 512 RGB buffer.
void BM_FillScreenBuffer(benchmark::State& state) {
  std::vector<uint8_t> buffer(static_cast<size_t>(800) * 512 * 3);
  for (auto _ : state) {
    std::memset(buffer.data(), static_cast<int>(state.iterations() & 0xFF), buffer.size());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FillScreenBuffer)->Unit(benchmark::kMicrosecond);

void BM_RenderDisplay(benchmark::State& state) {
  Image& img = BigImage();
  img.zoom = static_cast<int>(state.range(0));
  img.scroll_x = img.scroll_y = 1000;
  img.stats_refresh = 0;
  DisplayFrame frame;
  for (auto _ : state) {
    RenderDisplay(img, 800, 512, &frame);
    benchmark::DoNotOptimize(frame.rgb.data());
  }
}
BENCHMARK(BM_RenderDisplay)->Arg(25)->Arg(50)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_RenderDisplayWithStatsRefresh(benchmark::State& state) {
  Image& img = BigImage();
  img.zoom = 100;
  img.stats_refresh = 1;
  DisplayFrame frame;
  for (auto _ : state) {
    img.stats_stale = true;  // as after every change of the image
    RenderDisplay(img, 800, 512, &frame);
    benchmark::DoNotOptimize(frame.rgb.data());
  }
  img.stats_refresh = 0;
}
BENCHMARK(BM_RenderDisplayWithStatsRefresh)->Unit(benchmark::kMillisecond);

// A repaint under a display stretch (mode 0 linear, 1 auto per channel,
// 3 logarithmic) at 100 %: the statistics are sampled on every paint, the
// tables rebuilt only when they change (`rebuild` forces it every time).
void BM_RenderDisplayStretched(benchmark::State& state) {
  Image& img = BigImage();
  img.zoom = 100;
  img.scroll_x = img.scroll_y = 1000;
  img.stats_refresh = 0;
  const int mode = static_cast<int>(state.range(0));
  const bool rebuild = state.range(1) != 0;
  DisplayFrame frame;
  StretchTables tables;
  for (auto _ : state) {
    if (rebuild) tables = StretchTables{};
    UpdateStretchTables(img, mode, &tables);
    RenderDisplay(img, 800, 512, &frame, &tables);
    benchmark::DoNotOptimize(frame.rgb.data());
  }
}
BENCHMARK(BM_RenderDisplayStretched)
    ->Args({0, 0})->Args({1, 0})->Args({1, 1})->Args({3, 1})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavo
