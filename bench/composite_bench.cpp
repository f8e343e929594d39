// SPDX-License-Identifier: MIT
// Aligning and averaging four 6000 x 4000 frames (compare range 20): the
// displacement search per compare method and the combine step timed
// apart, against reading the same four frames from 16-bit PPM files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "core/slots.h"
#include "io/pnm.h"
#include "stack/background_image.h"
#include "stack/composite_auto.h"
#include "stack/composite_points.h"

namespace tavo {
namespace {

constexpr int kW = 6000, kH = 4000, kMargin = 24;
// World corner of each frame; frame k's offset is its corner minus frame 1's.
constexpr int kCorners[4][2] = {{24, 24}, {31, 19}, {11, 33}, {42, 40}};

uint32_t Hash(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

struct Frames {
  Image frames[4];
  StackInput inputs[4];
  std::string paths[4];

  Frames() {
    const int ww = kW + 2 * kMargin, wh = kH + 2 * kMargin;
    Image world;
    AllocateImagePlanes(world, ww, wh, false);
    for (int y = 0; y < wh; ++y) {
      for (int x = 0; x < ww; ++x) {
        const size_t i = static_cast<size_t>(y) * ww + x;
        const uint32_t n = Hash(static_cast<uint32_t>(i));
        world.r[i] = static_cast<uint16_t>(3000 + (n & 511));
        world.g[i] = static_cast<uint16_t>(2800 + ((n >> 9) & 511));
        world.b[i] = static_cast<uint16_t>(2600 + ((n >> 18) & 511));
      }
    }
    for (int k = 0; k < 20000; ++k) {  // about one star per 1200 pixels
      const uint32_t a = Hash(2u * k + 1), b = Hash(a);
      const int cx = static_cast<int>(a % ww), cy = static_cast<int>(b % wh);
      const double peak = 5000 + (a >> 16) % 40000, sigma = 1.0 + (b >> 24) / 100.0;
      for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
          const int x = cx + dx, y = cy + dy;
          if (x < 0 || y < 0 || x >= ww || y >= wh) continue;
          const int v = static_cast<int>(peak * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma)));
          const size_t i = static_cast<size_t>(y) * ww + x;
          for (int c = 0; c < 3; ++c) {
            uint16_t* p = world.Channel(c) + i;
            *p = static_cast<uint16_t>(std::min(65535, *p + v));
          }
        }
      }
    }
    for (int k = 0; k < 4; ++k) {
      AllocateImagePlanes(frames[k], kW, kH, false);
      for (int c = 0; c < 3; ++c) {
        for (int y = 0; y < kH; ++y) {
          const uint16_t* src = world.Channel(c) + static_cast<size_t>(kCorners[k][1] + y) * ww + kCorners[k][0];
          std::copy(src, src + kW, frames[k].Channel(c) + static_cast<size_t>(y) * kW);
        }
      }
      inputs[k].image = &frames[k];
      inputs[k].weight = 100;
      paths[k] = "/tmp/tavo_composite_bench_" + std::to_string(getpid()) + "_" + std::to_string(k) + ".ppm";
      WritePnm(paths[k], frames[k], false);
    }
  }
  ~Frames() {
    for (const std::string& p : paths) std::remove(p.c_str());
  }
};

Frames& Shared() {
  static Frames frames;
  return frames;
}

bool OffsetsRight(const StackInput* in) {
  for (int k = 0; k < 4; ++k) {
    if (in[k].offset_x != kCorners[k][0] - kCorners[0][0] || in[k].offset_y != kCorners[k][1] - kCorners[0][1]) {
      return false;
    }
  }
  return true;
}

void BM_ReadFourFrames(benchmark::State& state) {
  Frames& f = Shared();
  for (auto _ : state) {
    for (int k = 0; k < 4; ++k) {
      Image img;
      if (ReadImageFile(f.paths[k], img) != kReadOk) state.SkipWithError("read failed");
      benchmark::DoNotOptimize(img.r.get());
    }
  }
}
BENCHMARK(BM_ReadFourFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arg: compare method.
void BM_CompositeSearch(benchmark::State& state) {
  Frames& f = Shared();
  StackInput in[4];
  for (auto _ : state) {
    std::copy(f.inputs, f.inputs + 4, in);
    if (!RegisterFrames(static_cast<int>(state.range(0)), 4, 20, 20, in)) state.SkipWithError("no memory");
  }
  if (!OffsetsRight(in)) state.SkipWithError("wrong offsets");
}
BENCHMARK(BM_CompositeSearch)->Arg(kCompareCentreCorners)->Arg(kCompareCentre256)->Arg(kCompareCentre1024)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// Arg: noise option code (-1 off, 5 noise removal); normalisation on.
void BM_CompositeCombineAverage(benchmark::State& state) {
  Frames& f = Shared();
  StackInput in[4];
  std::copy(f.inputs, f.inputs + 4, in);
  for (int k = 0; k < 4; ++k) {
    in[k].offset_x = kCorners[k][0] - kCorners[0][0];
    in[k].offset_y = kCorners[k][1] - kCorners[0][1];
  }
  int w = 0, h = 0;
  ComputeCanvas(in, 4, &w, &h);
  for (auto _ : state) {
    Image out;
    if (!CombineStack(in, 4, w, h, kCombineAverage, static_cast<int>(state.range(0)), true, out)) {
      state.SkipWithError("no memory");
    }
    benchmark::DoNotOptimize(out.r.get());
  }
}
BENCHMARK(BM_CompositeCombineAverage)->Arg(-1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Composite by points: frames 2..4 marked with their A-B segment turned by
// 10 degrees and 2 % shorter than frame 1's, so each copy is resized and
// rotated. Stage 1: the three copies and their alignment; whole: the same
// plus canvas and average.
PointCompositeJob TurnedJob(Frames& f) {
  PointCompositeJob job;
  const double t = 10 * 3.14159265358979 / 180, len = 4000 / 1.02;
  for (int k = 0; k < 4; ++k) {
    job.images[k] = &f.frames[k];
    job.weights[k] = 100;
    job.points[k] = {1000, 2000, 5000, 2000};
    if (k > 0) job.points[k] = {1000, 2000, 1000 + static_cast<int>(len * std::cos(t)),
                                2000 + static_cast<int>(len * std::sin(t))};
  }
  job.normalise = false;
  return job;
}

void BM_PointAlignThreeCopies(benchmark::State& state) {
  Frames& f = Shared();
  const PointCompositeJob job = TurnedJob(f);
  for (auto _ : state) {
    Image copies[3];
    int ox[3], oy[3];
    for (int k = 0; k < 3; ++k) DuplicateImage(f.frames[k + 1], copies[k]);
    if (AlignByPoints(kH, job.points[0], copies, job.points + 1, 3, ox, oy) != kOpMade) state.SkipWithError("memory");
    benchmark::DoNotOptimize(copies[2].r.get());
  }
}
BENCHMARK(BM_PointAlignThreeCopies)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CompositeByPoints(benchmark::State& state) {
  Frames& f = Shared();
  const PointCompositeJob job = TurnedJob(f);
  for (auto _ : state) {
    Image out;
    if (CompositeByPoints(job, out) != kOpMade) state.SkipWithError("memory");
    benchmark::DoNotOptimize(out.r.get());
  }
}
BENCHMARK(BM_CompositeByPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

// Background generation of one 6000 x 4000 frame (area 32, smoothing 16).
void BM_GenerateBackground(benchmark::State& state) {
  Frames& f = Shared();
  for (auto _ : state) {
    Image out;
    if (MakeBackgroundData(f.frames[0], out, {32, 16, 1}) != kOpMade) state.SkipWithError("memory");
    benchmark::DoNotOptimize(out.r.get());
  }
}
BENCHMARK(BM_GenerateBackground)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavo
