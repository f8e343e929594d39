// SPDX-License-Identifier: MIT
// stack/deep/stars.h - what one frame looks like to the registration: its
// sky background, its noise, and its stars with sub-pixel centres and
// widths.
#pragma once
#include <cstdint>
#include <vector>

#include "core/image.h"

namespace tavo {

struct Star {
  double x = 0, y = 0;   // centre, pixels (x right, stored row up; pixel centres are whole numbers)
  double flux = 0;       // background-subtracted, window-weighted sum
  double fwhm = 0;       // pixels, from the second moments
  double roundness = 1;  // minor / major axis, 0..1
};

struct StarParams {
  double detect_sigma = 5.0;  // a peak must stand this many noise sigmas above the background
  int max_stars = 400;        // the brightest kept
  double min_fwhm = 1.0;      // narrower: a cosmic ray or a hot pixel
  double min_roundness = 0.5;  // flatter: a trail, a pair of stars or a trailed star
  // Source samples at or above this in any channel (3 x 3 around the peak)
  // mark a saturated star, whose centre cannot be trusted.
  int saturated_sample = 65000;
};

struct FrameMeasure {
  std::vector<Star> stars;  // brightest first
  double background = 0;    // median of the background map
  double noise = 0;         // sigma of the sky around the background
  double fwhm = 0;          // median FWHM of the stars, 0 without stars
};

// Measures a luminance plane (width x height, NaN = no data). The
// background is the median of every 64 x 64 cell (sampled every third
// pixel), smoothed by the 3 x 3 median of the cells and interpolated
// bilinearly between cell centres; the noise is 1.4826 x the median
// absolute residual. A star is a pixel standing detect_sigma x noise above
// the background that is the largest of its 3 x 3 neighbourhood (ties: the
// first in row order) and lies 8 pixels or more inside the frame. Its
// centre and width come from Gaussian-windowed moments, iterated until the
// window matches the star (exact for a Gaussian star). `source`, when
// given, is the 16-bit image the plane came from, for the saturation test.
// Stars narrower, flatter or saturated as `params` says are dropped, and so
// is any star within 2 pixels (or its FWHM) of a brighter one. Rows are
// shared among threads; the result does not depend on their number.
void MeasureStars(const float* luminance, int width, int height, const StarParams& params, const Image* source,
                  FrameMeasure* out);

}  // namespace tavo
