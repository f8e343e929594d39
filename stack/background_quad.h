// SPDX-License-Identifier: MIT
// stack/background_quad.h - background correction with a synthetic surface
// that falls from a centre level to a corner level along a power of the
// distance from the centre, and the three ways a background surface is
// applied to a plane (divide, subtract, replace).
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

// Background modes of operation 7 that use the synthetic surface. Mode % 3
// is the way the surface is applied.
constexpr int kBackgroundDivide = 0;
constexpr int kBackgroundSubtract = 1;
constexpr int kBackgroundReplace = 2;

constexpr int kBackgroundFloor = 1024;  // surface value at the corners
constexpr int kCurveMin = 100;          // exponent x 100
constexpr int kCurveMax = 300;

// Fills `out` (width x height) with floor + amplitude x (1 - (d / dmax)^e),
// e = curve / 100, d the distance from (width / 2, height / 2) and dmax
// the distance to a corner, in the integer steps: D = whole part of d^e,
// Dmax likewise, v = ((Dmax - D) x (amplitude / 16)) / Dmax, sample =
// v x 16 + floor clamped to 0..65535. Returns the centre value amplitude +
// floor in *peak. False (out untouched) for a 1 x 1 plane, whose corner
// distance is 0, or a size that is not positive. Rows run in parallel.
bool QuadraticBackground(uint16_t* out, int width, int height, int amplitude, int floor, int curve,
                         int* peak);

// One plane against its background. how = mode % 3:
//   divide:   ((in x (peak / 16)) / B) x 16, 65535 where B is 0;
//   subtract: in - B + offset;
//   replace:  B.
// Products are 64-bit; every result is clamped to 0..65535.
void ApplyBackgroundPlane(uint16_t* plane, const uint16_t* background, size_t count, int how, int peak,
                          int offset);

// Modes 0..2 of operation 7. `levels` holds centre R, periphery R, centre
// G, periphery G, centre B, periphery B in 16-bit units; the surface of
// each channel has amplitude centre - periphery, floor 1024, and the
// subtract offset is centre + 1024. R always, G and B only when the image
// is not monochrome. The curve is taken as 100..300. kOpNothingToDo -
// image untouched - for a 1 x 1 image, an empty one or another mode;
// kOpNoMemory without the scratch plane.
OpStatus ApplyQuadraticBackground(Image& image, int mode, const int levels[6], int curve);

}  // namespace tavo
