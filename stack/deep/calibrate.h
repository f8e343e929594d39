// SPDX-License-Identifier: MIT
// stack/deep/calibrate.h - light frames corrected with master bias, dark
// and flat frames, and the sensor's hot and cold pixels replaced.
#pragma once
#include <cstdint>
#include <vector>

#include "stack/deep/float_frame.h"

namespace tavo {

struct Masters {
  FloatFrame bias, dark;  // empty: none
  FloatFrame flat;        // each plane divided by its median; empty: none
  double dark_exposure = 0;  // seconds; 0 when unknown
  double flat_level = 0;     // median of the flats before normalising, for saving the master
  // Per plane, the sorted sample indices of the hot and cold pixels.
  std::vector<std::vector<uint32_t>> bad_pixels;
};

// A flat below this (after normalising) is a dust shadow or a vignetted
// corner too deep to lift: the pixel holds no data.
constexpr float kFlatFloor = 0.05f;

// Divides each plane by its median (RobustSpread on a sampling grid); a
// plane whose median is not above 0 is left as it is. Returns the mean of
// the medians.
double NormaliseFlat(FloatFrame& flat);

// v = light - dark, or light - bias - k (dark - bias) with k = light
// exposure / dark exposure when `scale_dark` is set, a bias exists and both
// exposures are known (above 0); light - bias without a dark. Then v /=
// flat, NaN where the flat is below kFlatFloor; then each bad pixel takes
// the median of its finite neighbours (3 x 3) that are not bad themselves.
// False, frame untouched, when a master has another size or plane count.
bool CalibrateFrame(FloatFrame& light, const Masters& masters, double light_exposure, bool scale_dark);

// Hot and cold pixels of a master dark, per plane: samples further than
// kappa x its spread (1.4826 MAD, at least 1) from its median. At most one
// pixel in 200 (or 8) is taken, the furthest first. kappa <= 0: none.
std::vector<std::vector<uint32_t>> FindBadPixels(const FloatFrame& dark, double kappa);

// The masters with `channels` planes: the mean of three planes, or one
// plane repeated; the bad pixels are then found on the dark with
// `hot_kappa`. False when the memory is not there (masters untouched).
bool ConformMasters(Masters& masters, int channels, double hot_kappa);

// A full copy; false (nothing changed) when the memory is not there.
bool CopyMasters(const Masters& from, Masters* to);

}  // namespace tavo
