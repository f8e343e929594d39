// SPDX-License-Identifier: MIT
// tone/color_change.h - replacing one colour of an image by another, by
// RGB distance or by hue distance, with a tolerance that also catches
// similar colours; and the integer HSV form the hue variant works in.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

// Internal HSV: hue 0..49151 (8192 per 60 degrees), saturation and value
// 0..65535.
constexpr int kHueSixth = 8192;
constexpr int kHueTurn = 6 * kHueSixth;

struct Hsv {
  int hue, saturation, value;
};

struct Rgb16 {
  uint16_t r, g, b;
};

// From 16-bit samples, on the halved samples (so products stay in 32
// bits): the maximum is R unless G or B exceeds it, then G unless R or B
// exceeds it, else B; grey gives hue 0 and saturation 0; value is the
// halved maximum times 2 (so an odd maximum loses its low bit).
Hsv RgbToHsv(int r, int g, int b);

// Sector i = hue / 8192 picks (V, t, p), (q, V, p), (p, V, t), (p, q, V),
// (t, p, V), else (V, p, q); products in 64 bits. Inputs in range.
Rgb16 HsvToRgb(int hue, int saturation, int value);

// Colours and tolerance in 8-bit units, each 0..255 (clamped).
struct ColorChangeRgbParams {
  int source_r = 0, source_g = 0, source_b = 0;
  int target_r = 0, target_g = 0, target_b = 0;
  int tolerance = 0;
};

// Hue in degrees 0..359, saturation and value 0..255, tolerance 0..255 in
// quarter degrees of hue (all clamped).
struct ColorChangeHsvParams {
  int source_hue = 0, source_saturation = 0, source_value = 0;
  int target_hue = 0, target_saturation = 0, target_value = 0;
  int tolerance = 0;
};

// d = (|R/256 - R0| + |G/256 - G0| + |B/256 - B0|) / 3 on the high bytes.
// d > T: unchanged. Else each channel becomes (target * 256 * (T - d) + old
// * d) / T, or target * 256 when T = 0: an exact match takes the target, a
// colour at d = T keeps its own.
OpStatus ApplyColorChangeRgb(Image& image, const ColorChangeRgbParams& params);

// Source and target to the internal form (hue * 8192 / 60, x 256), brought
// within half a turn of each other. A pixel whose hue distance (quarter
// degrees, the shorter way round) is at most T is changed: T = 0 gives the
// target colour; otherwise the hue moves by target - source, and saturation
// and value are scaled by target / source (taken as the target when the
// source is at most 1 in 8-bit units).
OpStatus ApplyColorChangeHsv(Image& image, const ColorChangeHsvParams& params);

// Both passes read and write R, G and B together: a monochrome image first
// gets G and B as copies of R and the flag is cleared, as the result may
// be in colour. An empty image gives kOpNothingToDo.

// The dialogs' starting colour from the pixel under point A: the high bytes
// for the RGB variant; for the HSV variant RgbToHsv reduced to degrees
// (hue * 60 / 8192), saturation / 256 and value / 256.
void RgbSourceFromPixel(const Rgb16& pixel, ColorChangeRgbParams* params);
void HsvSourceFromPixel(const Rgb16& pixel, ColorChangeHsvParams* params);

// A swatch colour of the HSV dialog (degrees, 8-bit units) as 16-bit RGB.
Rgb16 HsvDialogColor(int hue_degrees, int saturation, int value);

}  // namespace tavo
