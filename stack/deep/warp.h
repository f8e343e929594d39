// SPDX-License-Identifier: MIT
// stack/deep/warp.h - a frame resampled onto the reference's pixel grid
// through a similarity transform, with the resize's kernels: the 5 x 5
// radial Lanczos weights (filters/resize.h, sixteenth-pixel phases) or the
// bilinear weights in 256ths of a pixel (filters/warp.h). Those work on
// 16-bit images along axis-aligned steps; stacking needs float samples,
// NaN for "no data" and any affine position, hence this small warp.
#pragma once
#include "stack/deep/float_frame.h"
#include "stack/deep/match.h"

namespace tavo {

enum WarpMethod { kWarpLanczos = 0, kWarpBilinear = 1 };

// Output pixel (x, y) takes `in` at t(x, y) = (sx, sy). Positions outside
// 0..w-1, 0..h-1 (or no number) give NaN. Lanczos: phases rounded to the
// nearest sixteenth (a phase of 16/16 moves to the next pixel), taps
// clamped into the frame. Bilinear: fractions rounded to 256ths, the last
// row and column repeating. A NaN tap makes the output NaN. `out` must
// have its size and in.channels planes. Rows are shared among threads; the
// result does not depend on their number.
void WarpFrame(const FloatFrame& in, const Similarity& t, int method, FloatFrame* out);

}  // namespace tavo
