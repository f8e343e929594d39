// SPDX-License-Identifier: MIT
// stack/background_image.h - sky background taken from another image (a
// flat or sky frame, or one generated here), and the generation of such a
// background from an image itself with a robust low-order statistic on a
// sparse grid that ignores stars.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/progress.h"
#include "core/status.h"

namespace tavo {

// Background modes of operation 7 that take the background from an image;
// mode % 3 is the way it is applied (stack/background_quad.h).
constexpr int kBackgroundImageDivide = 3;
constexpr int kBackgroundImageSubtract = 4;
constexpr int kBackgroundImageReplace = 5;

// Fills `out` (width x height) with reference(min(x, rw - 1), min(row, rh
// - 1)) + 1 kept in 16 bits (65535 becomes 0): a smaller reference is
// extended by its last column and row. Returns the peak: the largest
// reference sample (extended the same way) at rows height / 4, + 4, ...
// below 3 height / 4 and columns width / 4, + 4, ... below 3 width / 4; 0
// when the grid is empty.
int ImageBackground(uint16_t* out, int width, int height, const uint16_t* reference, int ref_width, int ref_height);

// Modes 3..5 of operation 7 with `background` as the reference: R always,
// G and B unless the image is monochrome (a monochrome background is read
// through R). Divide: ((in x (peak / 16)) / B) x 16; subtract: in - B +
// offset of the channel (16-bit units); replace: B; 64-bit products,
// results clamped to 0..65535.
// kOpNothingToDo for an empty image or background or another mode;
// kOpNoMemory (image untouched) without the scratch plane. `background`
// may be `image` itself.
OpStatus ApplyImageBackground(Image& image, int mode, const Image& background, const int offsets[3]);
// The same with one shift in 8-bit units for all three channels.
OpStatus ApplyImageBackground(Image& image, int mode, const Image& background, int shift);

// The generated background of one plane (width x height) into `out`:
// planes of 4 pixels or fewer on either side are copied. Otherwise, on the
// 2 x 2 mean image (w = width / 2, h = height / 2): per pixel the mean of
// the third and fourth smallest of the up to 25 samples on a 5 x 5 grid of
// steps `area` / 4 (less near the edges, at least 2) that lie inside the
// one-pixel frame and are above `threshold` (slots start at 65535); then a
// 3 x 3 mean without its smallest and largest; then a box mean of side 2
// (smoothing / 2) + 1 clipped to the plane; back to full size by halves of
// neighbours, an odd last column or row repeating the one before. Rows run
// in parallel. False (out untouched) when the scratch memory is not there.
bool GenerateBackgroundPlane(uint16_t* out, const uint16_t* in, int width, int height, int area, int smoothing,
                             int threshold);

inline constexpr char kProgressBackground[] = "Generating background";  // progress text

struct BackgroundDataParams {
  int area = 32;        // detection area, 8..256
  int smoothing = 16;   // averaging area, 2..16
  int exclude_zero = 1; // 1: samples of 0 are no candidates
  Progress* progress = nullptr;  // told before each plane; may stop the run
};

// Operation 50: `target` gets the source's size, monochrome flag and new
// planes holding the generated background of each plane (a monochrome
// source: R, copied to G and B). kOpNothingToDo for an empty source;
// kOpNoMemory, or kOpCancelled when stopped through params.progress, with
// `target` untouched. `target` must not be `source`.
OpStatus MakeBackgroundData(const Image& source, Image& target, const BackgroundDataParams& params);

}  // namespace tavo
