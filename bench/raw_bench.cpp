// SPDX-License-Identifier: MIT
// RAW development of the largest sample picture (RAW_CANON_G2.CRW, 2312 x
// 1720) on the fast path and on the library path with each demosaic
// quality. Every iteration also runs LibRaw's own dcraw_emu on the same file
// with the same demosaic (bilinear for the fast path) as a timed
// subprocess; the counters give both times and their ratio from the same
// run. dcraw_emu's time includes starting the process and writing its
// 16-bit output to /dev/null.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "raw/develop_raw.h"

namespace tavo {
namespace {

const std::string kFile = std::string(TAVO_SAMPLES_DIR) + "/raw/RAW_CANON_G2.CRW";

double MillisecondsOf(void (*run)(int), int arg) {
  const auto start = std::chrono::steady_clock::now();
  run(arg);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void RunDcrawEmu(int quality) {
  const std::string cmd = std::string(TAVO_DCRAW_EMU) + " -4 -t 0 -q " + std::to_string(quality) + " -Z - '" +
                          kFile + "' > /dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) std::abort();
}

// quality -1: the fast path with the default settings.
void RunOurs(int quality) {
  RawDevelopSettings s;
  s.path = quality < 0 ? 0 : 1;
  s.quality = quality < 0 ? 0 : quality;
  Image img;
  RawDevelopOutcome outcome;
  DevelopRawWithSettings(kFile, img, s, nullptr, &outcome);
  if (outcome.status != kRawOk) std::abort();
  benchmark::DoNotOptimize(img.r.get());
}

void BM_DevelopRaw(benchmark::State& state) {
  const int quality = static_cast<int>(state.range(0));
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    ours += MillisecondsOf(RunOurs, quality);
    state.PauseTiming();
    theirs += MillisecondsOf(RunDcrawEmu, quality < 0 ? 0 : quality);
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = ours / n;
  state.counters["dcraw_emu_ms"] = theirs / n;
  state.counters["ratio"] = ours / theirs;
  state.SetLabel(quality < 0 ? "fast path vs dcraw_emu -q 0" : "library path vs dcraw_emu -q " + std::to_string(quality));
}
BENCHMARK(BM_DevelopRaw)->Arg(-1)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavo
