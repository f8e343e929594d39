// SPDX-License-Identifier: MIT
// tone/gamma.h - tone curve through three user points.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

constexpr int kCurveStraight = 0;
constexpr int kCurveCurved = 1;

// The four polynomial pieces of one curve, in 16-bit units.
struct GammaCurve {
  double x0, x1, x2;   // segment limits after the spacing rules
  double a[4][4];      // a[segment][power]
};

// One user point in 8-bit units, input and output 0..255.
struct GammaPoint {
  int in = 0, out = 0;
};

struct GammaParams {
  GammaPoint points[3][3];  // curves of R, G, B; three points each
  int kind = kCurveCurved;  // kCurveStraight or kCurveCurved
  // Per-channel mode: a black-and-white image gets all three curves (G and
  // B start as copies of R); otherwise it gets the R curve on R only.
  int per_channel = 0;
};

// Builds the curve through three points (values outside 0..255 are
// clamped). `kind` 0 is straight, anything else curved.
GammaCurve BuildGammaCurve(const GammaPoint points[3], int kind);

// One sample through the curve: segment by v against x0, x1, x2, polynomial
// a0 + a1 v + a2 v^2 + a3 v^3, clamped to 0..65535, truncated.
uint16_t MapGammaSample(const GammaCurve& curve, int v);

// Maps every sample of one plane in place. Width or height <= 0: no change.
void ApplyGammaPlane(uint16_t* plane, int width, int height, const GammaCurve& curve);

// The whole operation on an image; kOpNothingToDo for an empty one. The
// monochrome flag is left to the caller.
OpStatus ApplyGamma(Image& image, const GammaParams& params);

}  // namespace tavo
