// SPDX-License-Identifier: MIT
// core/plane_stats.h - maximum, mean and background level of one plane, as
// the histogram window's markers show them.
#pragma once
#include <cstdint>

namespace tavo {

struct PlaneStats {
  int max = 65535;
  int dark = 0;  // background level
  int mean = 32768;
};

// For a plane of width x height samples (row 0 first, rows contiguous):
// - mean m: the sum over rows of (row sum / width), divided by height, each
//   division truncated;
// - max: the largest sample;
// - dark: each row starts a level at m and walks left to right; a sample v
//   below the level moves it to (level + v) / 2, truncated. The rows' final
//   levels are summed and divided by height (truncated).
// A null plane or a width or height below 1 gives 65535, 0 and 32768.
// Reads every sample about once (a few rows twice); the result is the same
// as the plain two-pass definition above.
PlaneStats ComputePlaneStats(const uint16_t* plane, int width, int height);

}  // namespace tavo
