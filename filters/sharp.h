// SPDX-License-Identifier: MIT
// filters/sharp.h - sharp and smooth: each sample is compared with the mean
// of its neighbourhood; differences below a range are pulled towards the
// mean, larger ones are pushed further out.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"
#include "filters/channels.h"

namespace tavo {

constexpr int kSharpRadiusMin = 1, kSharpRadiusMax = 10;
constexpr int kSharpRangeMax = 65535;  // 16-bit units
constexpr int kSharpStrengthMax = 50;

struct SharpSmoothParams {
  int radius = 1;        // 1..10, window of the mean
  int range = 2560;      // T, 0..65535: |v - mean| below it is smoothed
  int smoothing = 10;    // S, 0..50
  int enhancement = 10;  // E, 0..50
  int channels = kChannelFlagsAll;
};

// Filters one plane in place; every mean is taken from the unfiltered
// plane (a few rows per thread are held aside, no second plane). Integer
// arithmetic, divisions truncate towards zero.
//   mean m: r = 1: the mean of the existing 8-neighbours (centre left out):
//     8 inside, 5 on an edge, 3 in a corner, 1 or 2 along a one-pixel strip;
//     a 1 x 1 plane has none and stays as it is.
//     r >= 2: the window |dx| <= r, |dy| <= r, |dx| + |dy| <= (r + 2) / 3 + r
//     (an octagon, centre included) clipped at the borders; sum / count.
//   d = v - m;  |d| < T: (m S r + 10 v) / (S r + 10);
//   d <= -T: v + ((d + T) E) / 10;  d >= T: v + ((d - T) E) / 10;
//   clamped to 0..65535.
// Arguments are clamped to the ranges above first. Rows run in parallel;
// the result does not depend on the number of threads.
void ApplySharpSmoothPlane(uint16_t* plane, int width, int height, int radius, int range,
                           int smoothing, int enhancement);

// The operation on an image: the flagged planes in the order R, G, B with one shared scratch plane. A
// monochrome image filters its R plane when any flag is set (its G and B
// are stale). Empty image or no flag: kOpNothingToDo, image untouched.
OpStatus ApplySharpSmooth(Image& image, const SharpSmoothParams& params);

}  // namespace tavo
