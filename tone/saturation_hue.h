// SPDX-License-Identifier: MIT
// tone/saturation_hue.h - hue rotation by mixing the R, G and B planes
// linearly, then each channel's distance from the pixel's mean scaled by a
// gain that also makes up for the desaturation of the mixing.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

struct SaturationHueParams {
  int saturation = 0;  // change in percent, -100..100 (clamped)
  int hue = 0;         // rotation in degrees, -180..180 (clamped)
};

// The gain k in percent, from a = |hue|: saturation + a * 100 / 60 below
// 60 degrees, saturation + 200 - a * 100 / 60 below 120, and saturation +
// a * 100 / 60 - 200 from 120 up (integer division).
int SaturationGain(const SaturationHueParams& params);

// Every pixel: r, g, b mixed from R, G, B by the hue (h = 120 is the exact
// rotation R <- B, G <- R, B <- G; h = 60 averages neighbours), m = (r + g +
// b) / 3, then each channel x becomes x + (x - m) * k / 100, clamped to
// 0..65535; integer arithmetic truncating towards zero. A monochrome or
// empty image is left alone (kOpNothingToDo).
OpStatus ApplySaturationHue(Image& image, const SaturationHueParams& params);

// The dialog's two strips, `width` pixels of 8-bit R, G, B each: the hue
// circle at full saturation and value from 0 degrees at x = 0 round to
// just below 360, and the same colours after the adjustment.
void HueStrips(const SaturationHueParams& params, int width, uint8_t* upper, uint8_t* lower);

}  // namespace tavo
