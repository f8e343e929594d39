// SPDX-License-Identifier: MIT
// filters/rotate.h - mirrors, exact quarter and half turns, and rotation by
// any angle onto a canvas that holds the whole turned picture.
#pragma once
#include "core/image.h"
#include "core/status.h"

namespace tavo {

// Kinds of the rotation settings. 0..2 are turned into their angle when
// the dialog is confirmed; the operation itself knows only the mirrors and
// "rotate by the angle".
constexpr int kRotateLeft90 = 0;
constexpr int kRotateRight90 = 1;
constexpr int kRotate180 = 2;
constexpr int kRotateByAngle = 3;
constexpr int kMirrorLeftRight = 4;
constexpr int kMirrorTopBottom = 5;

struct RotateParams {
  int kind = kRotateByAngle;
  int angle = 0;  // hundredths of a degree, positive = anticlockwise
};

// Two points (stored coordinates: x right, row up) that a rotation carries
// along, so they keep marking the same picture features.
struct PointPair {
  double ax = 0, ay = 0, bx = 0, by = 0;
};

// Mirrors in place: left-right new(w - 1 - x, y) = old(x, y); top-bottom
// new(x, h - 1 - y) = old(x, y). Empty image: kOpNothingToDo.
OpStatus MirrorImage(Image& image, int kind);

// Exact turns by `millidegrees` 90000 (anticlockwise, new(h - 1 - y, x) =
// old(x, y), size h x w), -90000 (new(y, w - 1 - x) = old(x, y)) or
// +-180000 (new(w - 1 - x, h - 1 - y) = old(x, y), in place). Any other
// angle or an empty image: kOpNothingToDo. Memory short: kOpNoMemory.
OpStatus RotateQuarter(Image& image, int millidegrees);

// Interpolating rotation by `millidegrees` (thousandths of a degree):
//   theta = a x 0.001 x (1 / 180) x 3.1415926 (this value of pi);
//   the corners (0, 0), (w, h), (w, 0), (0, h) turned by theta give the
//   extremes; W = trunc(maxX - minX), H = trunc(maxY - minY); centres
//   cx' = floor(maxX - minX) / 2, cy' likewise, cx = w / 2, cy = h / 2;
//   source of (x, y): sx = cos (x - cx') - sin (cy' - y) + cx,
//   sy = cy - (cos (cy' - y) + sin (x - cx')); then the 8-bit bilinear
//   sampling of filters/warp.h (black outside). Angle 0 keeps the size and
//   blackens the last row and column.
// `points`, when given, are moved by the inverse mapping. A canvas side
// below 1 or an empty image: kOpNothingToDo; memory short: kOpNoMemory;
// image (and points) untouched in both.
OpStatus RotateImage(Image& image, long long millidegrees, PointPair* points);

// The operation: kind 4 and 5 mirror; otherwise the angle x 10 (to
// thousandths) takes the exact path at +-90000 and +-180000 and the
// interpolating rotation at any other value, 0 included. `points` as for
// RotateImage.
OpStatus ApplyRotation(Image& image, const RotateParams& params, PointPair* points = nullptr);

}  // namespace tavo
