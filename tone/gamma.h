// SPDX-License-Identifier: MIT
// tone/gamma.h - tone curve through three user points.
#pragma once
#include <cstdint>

namespace tavo {

constexpr int kCurveStraight = 0;
constexpr int kCurveCurved = 1;

// The four polynomial pieces of one curve, in 16-bit units.
struct GammaCurve {
  double x0, x1, x2;   // segment limits after the spacing rules
  double a[4][4];      // a[segment][power]
};

// Builds the curve from points packed as input * 1000 + output (8-bit
// units). Inputs and outputs outside 0..255 are clamped first. `kind` 0 is
// straight, anything else curved.
GammaCurve BuildGammaCurve(int point1, int point2, int point3, int kind);

// One sample through the curve: segment by v against x0, x1, x2, polynomial
// a0 + a1 v + a2 v^2 + a3 v^3, clamped to 0..65535, truncated.
uint16_t MapGammaSample(const GammaCurve& curve, int v);

// Maps every sample of one plane in place. Width or height <= 0: no change.
void ApplyGammaPlane(uint16_t* plane, int width, int height, int point1, int point2, int point3,
                     int kind);

}  // namespace tavo
