// SPDX-License-Identifier: MIT
// tone/tone_correction.h - partial histogram equalisation on luminance:
// the smoothed cumulative luminance distribution, blended with the
// identity by a strength, rescales R, G and B of every pixel by the ratio
// of new to old luminance, so hues stay.
#pragma once

#include "core/image.h"
#include "core/status.h"

namespace tavo {

struct ToneCorrectionParams {
  int strength = 10;  // percent, 0..100 (clamped)
};

// The mapping T (8-bit luminance bin -> 0..1) for one image: histogram of
// luminance / 256 (luminance (R * 299 + G * 587 + B * 114) / 1000) over every pixel, ten smoothing passes, cumulative sum
// normalised to end at 1, blended with i / 255 by strength / 100. A
// monochrome image is read from its R plane alone. False (t untouched) for
// an empty image.
bool BuildToneCurve(const Image& image, int strength, double t[256]);

// Every pixel's R, G and B multiplied by the factor that takes its
// luminance Y to T interpolated at Y / 256 (times 65536), limited to
// 65535 and truncated; a black pixel stays black. All three planes change;
// a monochrome image first gets G and B as copies of R (its luminance is
// then R) and keeps its flag. Empty image: kOpNothingToDo.
OpStatus ApplyToneCorrection(Image& image, const ToneCorrectionParams& params);

}  // namespace tavo
