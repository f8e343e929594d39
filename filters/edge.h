// SPDX-License-Identifier: MIT
// filters/edge.h - edge enhancement: on an edge a sample is pulled towards
// the mean of the neighbours on its own side; in flat parts it is smoothed
// towards the neighbourhood mean.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"
#include "filters/channels.h"

namespace tavo {

constexpr int kEdgeRangeMax = 65535;  // 16-bit units
constexpr int kEdgeStrengthMax = 50;
constexpr int kEdgeThresholdMax = 100;  // percent

struct EdgeParams {
  int range = 2560;       // T, 0..65535: a local range above it is an edge
  int enhancement = 10;   // E, 0..50
  int threshold = 50;     // P, 0..100 percent of the local range
  int smoothing = 10;     // S, 0..50
  int channels = kChannelFlagsAll;
};

// One plane in place (a few rows per thread are held aside, no second
// plane); every result comes from the unfiltered plane. Neighbourhood: the
// 3 x 3 block, coordinates clamped into the plane. Over the 9 samples:
// max, min, sum s9; samples strictly above v give sHi, nHi, strictly below
// sLo, nLo. Integer arithmetic, divisions truncate.
//   max - min > T (edge), bright side when (max - min) P + min 100 < v 100:
//     nHi < 3: (10 v + ((s9 + sHi) / (9 + nHi)) S) / (S + 10)
//     else:    (10 v + (sHi / nHi) E) / (E + 10)
//   dark side likewise with sLo, nLo.
//   flat: (10 v + (s9 / 9) S) / (S + 10).
// Arguments are clamped to the ranges above first.
void EnhanceEdgesPlane(uint16_t* plane, int width, int height, int range, int enhancement,
                       int threshold, int smoothing);

// All three planes at once, deciding on L = R + G + B: the edge test is
// max L - min L > 3 T and the side test uses L; the 8 neighbours go to the
// dark group when their L is below the centre's and to the bright group
// otherwise (equal L included); the formulas of the one-plane form then
// apply to each plane with its own sums and the shared counts.
void EnhanceEdgesRgb(uint16_t* const planes[3], int width, int height, int range, int enhancement,
                     int threshold, int smoothing);

// The operation on an image: parameters clamped to their ranges. A
// monochrome image filters R alone when any flag is set; a colour image
// with all three flags takes the three-plane form, otherwise each flagged
// plane in the order R, G, B takes the one-plane form. Empty image or no
// flag: kOpNothingToDo, image untouched.
OpStatus ApplyEdge(Image& image, const EdgeParams& params);

}  // namespace tavo
