// SPDX-License-Identifier: MIT
// filters/resize.h - scaling by a rational factor per axis (nearest,
// bilinear with a box average for strong reductions, 5 x 5 radial Lanczos)
// and the crop-and-resize into a new image.
#pragma once
#include "core/image.h"
#include "core/status.h"

namespace tavo {

constexpr int kResizeNearest = 0;
constexpr int kResizeBilinear = 1;
constexpr int kResizeLanczos = 2;  // any other method value as well

constexpr int kResizeSizeMax = 10000;  // largest to/from the dialogs accept

struct ResizeParams {
  int x_to = 1, x_from = 1;  // new width = width x x_to / x_from
  int y_to = 1, y_from = 1;  // new height = height x y_to / y_from
  int method = kResizeBilinear;
};

// Bilinear and Lanczos first reduce each axis's pair: for d = 2, 3, 5, 7,
// 9, ... up to max(to, from) / 2, both are divided by d once when both are
// divisible by it; then both are halved while either exceeds 4096. A number
// halved to 0 is taken as 1.
void ReduceResizeFactors(int* to, int* from);

// Each replaces the three planes by new ones of the new size. Factors
// below 1 are taken as 1. Nearest: new size and source positions from the
// factors as given; output (x, y) takes ((x from_x) / to_x, (y from_y) /
// to_y). Bilinear and Lanczos use the reduced factors (num = to, den =
// from):
// - Bilinear, new height > 2 height / 3 (one test for both axes):
//   sy = y den / num, sy1 = min(sy + 1, h - 1), fy = ((y den mod num) 128)
//   / num, likewise for x; v = sum of the four samples weighted (128 - f)
//   or f per axis, / 128 / 128.
//   Otherwise a box average: rows y den / num up to, not including,
//   min((y + 1) den / num, h - 1), likewise columns; (sum / columns) /
//   rows. An empty box range takes its first row (column) alone.
// - Lanczos: phase p = ((y den mod num) 16) / num sixteenths per axis; 25
//   taps (dx, dy) in -2..2 around (x den / num, y den / num), coordinates
//   clamped into the image, weights from LanczosWeights; the 25 products
//   are added in the order dy, then dx, and the sum is clamped to
//   0..65535 and truncated.
// New size 0 on either axis or an empty image: kOpNothingToDo. A size
// beyond int or memory short: kOpNoMemory. Image untouched in both.
OpStatus ResizeNearest(Image& image, int x_to, int x_from, int y_to, int y_from);
OpStatus ResizeBilinear(Image& image, int x_to, int x_from, int y_to, int y_from);
OpStatus ResizeLanczos(Image& image, int x_to, int x_from, int y_to, int y_from);

// The 25 weights of phase (px, py), px and py in sixteenths 0..15, index
// (dy + 2) x 5 + (dx + 2): r = distance from (dx, dy) to (px, py) / 16;
// 1 at r = 0, 2 sin(pi r) sin(pi r / 2) / (pi r)^2 up to r = 2, 0 beyond;
// then divided by their sum.
void LanczosWeights(int px, int py, double weights[25]);

// The method chosen by `method` (kResize*).
OpStatus ApplyResize(Image& image, const ResizeParams& params);

// Keep-aspect arithmetic of the resize dialog: typing `typed_to` on one
// axis whose from is `typed_from` sets the other axis's to from its
// `other_from`: (other_from x typed_to + 1) / typed_from. Negative typed
// values count as 0; a from below 1 gives 0.
int KeepAspectTo(int typed_to, int typed_from, int other_from);

// Crop-and-resize.
constexpr int kCropBySize = 0;   // output width and height given
constexpr int kCropByScale = 1;  // output = crop size x scale / 100

struct CropResizeParams {
  int anchor = 4;  // 0..8 on a 3 x 3 grid read from the top left
  int crop_width = 1024, crop_height = 768;
  int output_mode = kCropByScale;
  int output_width = 1024, output_height = 768;
  int scale = 100;  // percent
};

// Target size of the resize that follows the crop: by scale (crop side x
// scale / 100) or as given. The crop is resized from the requested crop
// size (even where the image was smaller) to the target: not at all when
// both sides are equal, by Lanczos when no side shrinks, else bilinearly.
void CropResizeTarget(const CropResizeParams& params, int* x_to, int* y_to);

// The anchored window (CropToSize) of `source`, resized as above, into
// `destination`, which takes the source's monochrome flag. Empty source or
// a crop side below 1: kOpNothingToDo; memory short: kOpNoMemory;
// destination untouched in both.
OpStatus ApplyCropResize(const Image& source, Image& destination, const CropResizeParams& params);

}  // namespace tavo
