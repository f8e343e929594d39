// SPDX-License-Identifier: MIT
// bench/bench_images.h - large synthetic images for the benchmarks.
#pragma once
#include <cstdint>

#include "core/image.h"

namespace tavo {

// Gives `image` three planes of width x height pseudo-random samples (the
// same for the same seed); false when the memory is not there.
bool MakeBenchNoiseImage(Image& image, int width, int height, uint32_t seed);

// The 6000 x 4000 noise image (seed 777) the filter and restoration
// benchmarks start every iteration from; made once per process.
constexpr int kBenchWidth = 6000, kBenchHeight = 4000;
const Image& BenchSource();
// A night sky: a dark background with faint noise and one bright star
// pixel in about every 2000.
bool MakeBenchSkyImage(Image& image, int width, int height, uint32_t seed);

}  // namespace tavo
