// SPDX-License-Identifier: MIT
// filters/distortion.h - radial lens distortion correction with a single
// term that grows with the square of the distance from the centre.
#pragma once
#include "core/image.h"
#include "core/status.h"

namespace tavo {

struct DistortionParams {
  int corner_shift = 0;  // k, pixels at the corner: + outward, - inward
};

// Same size, new planes: D = ((w^2 + h^2) / 4)^1.5 (the cube of the half
// diagonal), q = -k / D, centre (w / 2, h / 2) in integers; output (x, y)
// with dx = x - cx, dy = y - cy takes f = (dx^2 + dy^2) q + 1 and samples
// the source at (f dx + cx, f dy + cy) with the 8-bit bilinear weights of
// filters/warp.h, black outside. k = 0 keeps the picture but blackens the
// last row and column; k > 0 fills the corners from further in, k < 0
// blackens them. Empty image: kOpNothingToDo; memory short: kOpNoMemory;
// image untouched in both.
OpStatus ApplyDistortion(Image& image, const DistortionParams& params);

}  // namespace tavo
