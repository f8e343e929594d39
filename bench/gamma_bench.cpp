// SPDX-License-Identifier: MIT
// Gamma correction of a 6000 x 4000 image against a plain copy of the same
// three planes.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_images.h"
#include "core/slots.h"
#include "engine/operations.h"

namespace tavo {
namespace {

constexpr int kW = 6000, kH = 4000;

Image& BigImage() {
  static Image image = [] {
    Image img;
    MakeBenchNoiseImage(img, kW, kH, 12345);
    return img;
  }();
  return image;
}

void BM_CopyThreePlanes(benchmark::State& state) {
  Image& src = BigImage();
  Image dst;
  AllocateImagePlanes(dst, kW, kH, true);
  const size_t bytes = src.PixelCount() * 2;
  for (auto _ : state) {
    for (int c = 0; c < 3; ++c) std::memcpy(dst.Channel(c), src.Channel(c), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes) * 3);
}
BENCHMARK(BM_CopyThreePlanes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GammaCurved(benchmark::State& state) {
  Image& img = BigImage();
  SlotTable* slots = new SlotTable;
  for (auto _ : state) {
    ParamBlock p;
    p[0] = p[3] = p[6] = 0;
    p[1] = p[4] = p[7] = 100 * 1000 + 140;
    p[2] = p[5] = p[8] = 255 * 1000 + 255;
    p[10] = static_cast<int>(state.range(0));
    RunOperation(*slots, img, kOpGamma, p);
    benchmark::ClobberMemory();
  }
  delete slots;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(img.PixelCount()) * 6);
}
BENCHMARK(BM_GammaCurved)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavo
