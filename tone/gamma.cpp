// SPDX-License-Identifier: MIT
#include "tone/gamma.h"

#include <algorithm>
#include <vector>

#include "core/slots.h"

namespace tavo {
namespace {

void Unpack(const GammaPoint& p, double* x, double* y) {
  *x = std::clamp(p.in, 0, 255) * 256.0;
  *y = std::clamp(p.out, 0, 255) * 256.0;
}

void Set(double* a, double a0, double a1, double a2, double a3) {
  a[0] = a0;
  a[1] = a1;
  a[2] = a2;
  a[3] = a3;
}

}  // namespace

GammaCurve BuildGammaCurve(const GammaPoint points[3], int kind) {
  double x0, y0, x1, y1, x2, y2;
  Unpack(points[0], &x0, &y0);
  Unpack(points[1], &x1, &y1);
  Unpack(points[2], &x2, &y2);
  if (x1 == x0) x1 = x0 + 1;
  if (x2 == x1) x1 = x2 - 1;

  if (x0 == 0) x0 = 1;
  if (x1 <= x0) x1 = x0 + 1;
  if (x2 <= x1) x2 = x1 + 1;
  if (x2 >= 65535) x2 = 65535;
  if (x2 <= x1) x1 = x2 - 1;
  if (x1 <= x0) x0 = x1 - 1;

  const double s0 = y0 / x0;
  const double s1 = (y1 - y0) / (x1 - x0);
  const double s2 = (y2 - y1) / (x2 - x1);
  const double s3 = (65535 - y2) / (65535 - x2);

  GammaCurve c{};
  c.x0 = x0;
  c.x1 = x1;
  c.x2 = x2;
  if (kind == kCurveStraight) {
    if (y0 >= 65280 || x0 <= 255) {
      Set(c.a[0], y0, 0, 0, 0);
    } else {
      Set(c.a[0], 0, s0, 0, 0);
    }
    Set(c.a[1], y1 - s1 * x1, s1, 0, 0);
    Set(c.a[2], y2 - s2 * x2, s2, 0, 0);
    if (y2 <= 255 || x2 >= 65280) {
      Set(c.a[3], y2, 0, 0, 0);
    } else {
      Set(c.a[3], 65535 - s3 * 65535, s3, 0, 0);
    }
    return c;
  }

  // Inputs are whole numbers below 2^17, so their squares and cubes are exact
  // doubles; each term is then one rounded product (a2 * x^2), which keeps
  // the one-unit-wide segments from drifting off their end points.
  const double q0 = x0 * x0, q1 = x1 * x1, q2 = x2 * x2;
  {  // S1: through the origin, slope (s0 + s1) / 2 at x0
    const double a2 = ((s1 - s0) / x0) * 0.5;
    Set(c.a[0], 0, s0 - x0 * a2, a2, 0);
  }
  if (y0 == 0) {
    const double a2 = ((s2 - s1) / (x1 - x0)) * 0.5;
    const double a1 = (s1 + s2) * 0.5 - 2 * a2 * x1;
    Set(c.a[1], y0 - a2 * q0 - a1 * x0, a1, a2, 0);
  } else {
    const double a3 = ((s2 - 2 * s1 + s0) / (q0 + q1 - 2 * x1 * x0)) * 0.5;
    const double a2 = ((s1 - s0) * 0.5 - (x1 * x0 + q1 - 2 * q0) * a3) / (x1 - x0);
    const double a1 = (s0 + s1) * 0.5 - 3 * a3 * q0 - 2 * a2 * x0;
    Set(c.a[1], y0 - a3 * (q0 * x0) - a2 * q0 - a1 * x0, a1, a2, a3);
  }
  if (y2 < 65280) {
    const double a3 = ((s3 - 2 * s2 + s1) / (q1 + q2 - 2 * x2 * x1)) * 0.5;
    const double a2 = ((s2 - s1) * 0.5 - (x2 * x1 + q2 - 2 * q1) * a3) / (x2 - x1);
    const double a1 = (s1 + s2) * 0.5 - 3 * a3 * q1 - 2 * a2 * x1;
    Set(c.a[2], y1 - a3 * (q1 * x1) - a2 * q1 - a1 * x1, a1, a2, a3);
  } else {
    const double a2 = ((s2 - s1) / (x2 - x1)) * 0.5;
    const double a1 = (s1 + s2) * 0.5 - 2 * a2 * x1;
    Set(c.a[2], y1 - a2 * q1 - a1 * x1, a1, a2, 0);
  }
  {
    const double a2 = ((s3 - s2) / (65535 - x2)) * 0.5;
    const double a1 = (s2 + s3) * 0.5 - 2 * a2 * x2;
    Set(c.a[3], y2 - a2 * q2 - a1 * x2, a1, a2, 0);
  }
  return c;
}

uint16_t MapGammaSample(const GammaCurve& curve, int v) {
  const double d = v;
  const int seg = d < curve.x0 ? 0 : d < curve.x1 ? 1 : d < curve.x2 ? 2 : 3;
  const double* a = curve.a[seg];
  const double out = a[0] + a[1] * d + a[2] * (d * d) + a[3] * (d * d * d);
  // Written as "not above 0" so that a NaN also lands on 0.
  if (!(out > 0.0)) return 0;
  if (out >= 65535.0) return 65535;
  return static_cast<uint16_t>(out);
}

void ApplyGammaPlane(uint16_t* plane, int width, int height, const GammaCurve& curve) {
  if (plane == nullptr || width <= 0 || height <= 0) return;
  // Every sample value is mapped once into a table; the table gives exactly
  // the per-sample result, so the plane pass is a lookup.
  std::vector<uint16_t> table(65536);
  for (int v = 0; v < 65536; ++v) table[v] = MapGammaSample(curve, v);
  const int64_t rows = height;
  const uint16_t* lut = table.data();
#pragma omp parallel for schedule(static)
  for (int64_t y = 0; y < rows; ++y) {
    uint16_t* row = plane + y * width;
    for (int x = 0; x < width; ++x) row[x] = lut[row[x]];
  }
}

OpStatus ApplyGamma(Image& image, const GammaParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const int w = image.width, h = image.height;
  const int kind = params.kind == kCurveStraight ? kCurveStraight : kCurveCurved;
  if (image.monochrome == 1 && params.per_channel != 1) {
    ApplyGammaPlane(image.r.get(), w, h, BuildGammaCurve(params.points[0], kind));
    return kOpMade;
  }
  if (image.monochrome == 1) {
    // Per-channel curves on a black-and-white image: each plane starts as R.
    ExpandMonochrome(image);
  }
  for (int c = 0; c < 3; ++c) ApplyGammaPlane(image.Channel(c), w, h, BuildGammaCurve(params.points[c], kind));
  return kOpMade;
}

}  // namespace tavo
