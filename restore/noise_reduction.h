// SPDX-License-Identifier: MIT
// restore/noise_reduction.h - edge-preserving noise reduction: a weighted
// mean of the neighbours, each weighted by a fixed spatial table and by how
// close its value is to the centre's, blended with the centre by strength.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

constexpr int kNoiseAreaSmall = 3;
constexpr int kNoiseAreaLarge = 5;
constexpr int kNoiseThresholdMax = 10;  // range threshold in units of 1280
constexpr int kNoiseThresholdReset = 10;
constexpr int kNoiseStrengthMin = 1;
constexpr int kNoiseStrengthMax = 5;

struct NoiseParams {
  int area = 5;        // 3 or 5; 4 or less is taken as 3, anything else as 5
  int threshold = 10;  // k, 0..10 (clamped)
  int strength = 3;    // 1..5 (clamped); the filter runs with s = 6 - strength
};

// Spatial weights, centre at [2][2]; the 3 x 3 area uses the inner 3 x 3.
// The centre weighs 0: it enters only through the strength blend.
constexpr int kNoiseSpatial[5][5] = {
    {0, 4, 8, 4, 0}, {4, 8, 10, 8, 4}, {8, 10, 0, 10, 8}, {4, 8, 10, 8, 4}, {0, 4, 8, 4, 0},
};

// Bytes ApplyNoiseReduction needs beyond the image: one plane of results and
// the weight tables.
uint64_t NoiseReductionWorkBytes(int width, int height);

// Every plane (monochrome images too), each pixel from the old samples of
// its plane: T = 1280 k; for each neighbour v of the area (coordinates
// clamped into the plane) and centre c, g = 1 when -T <= v - c < T, else
// 1 + (|v - c| - T) / 256 (double); w = trunc(64 S / g); A = sum v w,
// N = sum w (0 becomes 1); out = (2A / N + (s - 1) c) / (s + 1), integer
// divisions, clamped to 0..65535. Empty image: kOpNothingToDo; memory short:
// kOpNoMemory, image untouched. Rows run in parallel; results do not depend
// on the number of threads.
OpStatus ApplyNoiseReduction(Image& image, const NoiseParams& p);

}  // namespace tavo
