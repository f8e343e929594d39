// SPDX-License-Identifier: MIT
// stack/background_points.h - background correction through points the
// user picked on empty sky: per channel a radial power surface around a
// free centre plus a tilt is fitted to the sampled levels by exhaustive
// search, then the image is divided by it or has it subtracted.
#pragma once
#include "core/image.h"
#include "core/status.h"

namespace tavo {

// One picked point: position (x, stored row) and its R, G, B levels.
struct SkyPoint {
  int x = 0, row = 0;
  int level[3] = {0, 0, 0};
};

// model(x, y) = a (((x - cx)^2 + (y - cy)^2)^e + px (x - cx) + py (y - cy)) + b
struct SkyModel {
  double cx = 0, cy = 0, px = 0, py = 0, e = 1, a = 0, b = 0;
};

// The search for channel `c` of a width x height image: cx from width / 4
// in steps of width / 20 (at least 1) up to 3 width / 4, cy likewise; px
// from -u while below u in steps of 0.05 u, u = 4000 / width (py likewise
// with height); e = 0.6, 0.8, 1.0, 1.2, 1.4; nested in that order. For a
// candidate, f_i the surface term at point i: a = mean of (v_j - v_i) /
// (f_j - f_i) over pairs i < j with f_i != f_j (0 when there is none), b =
// mean of v_i - a f_i, error = sum of (v_i - (a f_i + b))^2. The first
// candidate of smallest error wins. The candidates are scored in parallel;
// the winner is the same as in one ordered pass.
SkyModel FitSkyModel(const SkyPoint* points, int n, int c, int width, int height);

// Fits R (and G, B unless the image is monochrome) and corrects each plane
// with its model m (0 where it is 0 or less): mode 3 in x trunc(b) / m
// (0 where m is 0), mode 4 in - m + shift x 256, both truncated and
// clamped to 0..65535. Fewer than two points or another mode:
// kOpNothingToDo, image untouched.
OpStatus FitPointBackground(Image& image, const SkyPoint* points, int n, int mode, int shift);

}  // namespace tavo
