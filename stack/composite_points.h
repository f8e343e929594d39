// SPDX-License-Identifier: MIT
// stack/composite_points.h - composites aligned by two stars the user marks
// in every input (points A and B): each input after the reference is scaled,
// turned and shifted so that its A-B segment lies on the reference's. Used
// by the composite by points and by the L+RGB / L+R+G+B colour composites.
#pragma once
#include "core/image.h"
#include "core/status.h"
#include "filters/rotate.h"
#include "stack/composite_combine.h"

namespace tavo {

// Points A and B as the user sees them: x from the left, y rows from the
// top of the picture.
struct MarkedPoints {
  int ax = 0, ay = 0, bx = 0, by = 0;
};

// A and B as doubles in stored coordinates (row = height - 1 - y).
PointPair StoredPoints(const MarkedPoints& marks, int height);

// Length of the A-B segment and its direction in thousandths of a degree,
// from the marked (display) coordinates: atan(dy / dx) for dx > 0, the same
// + 180000 for dx < 0, +90000 (dy > 0) or -90000 for dx = 0.
double MarkedDistance(const MarkedPoints& marks);
double MarkedAngle(const MarkedPoints& marks);

// Lays every copy over the reference. For copy k: when the A-B lengths
// differ by 1.0 or more it is resized bilinearly by trunc(256 d_ref) :
// trunc(256 d_k) and its points scaled by d_ref / d_k (a segment of length
// 0 is never scaled by); when the directions differ by 1.0 thousandth or
// more it is turned by trunc(angle_k - angle_ref) with its points; then
// offset = reference midpoint - its midpoint, a midpoint being
// trunc(A + B + 1) / 2 per axis. The copies change in place. kOpNoMemory
// when a resize or rotation cannot get its memory (copies then partly
// transformed, offsets undefined).
OpStatus AlignByPoints(int ref_height, const MarkedPoints& ref_marks, Image* copies, const MarkedPoints* marks,
                       int count, int* offset_x, int* offset_y);

// Everything operation 8 needs, with the four dialog rows as they are.
struct PointCompositeJob {
  const Image* images[kStackMax] = {};  // null: empty row
  int weights[kStackMax] = {};
  MarkedPoints points[kStackMax];
  int mode = kCombineAverage;
  bool normalise = true;
  int noise = -1;  // as DecodeNoiseControl reads it
  int shift_x = 0, shift_y = 0;
};

// Rows with an image and a weight above 0 are used, in their order; fewer
// than two: kOpTooFewInputs. The first is the reference; the others are
// copied (memory checked) and aligned by AlignByPoints, then placed on the
// canvas, shifted and combined as the automatic composite does. `target`
// receives the new planes (monochrome flag 0) only on kOpMade; kOpNoMemory
// otherwise with `target` untouched. The inputs are never changed.
OpStatus CompositeByPoints(const PointCompositeJob& job, Image& target);

// Operation 9. Rows 0..3 are L, R, G, B; a row takes part with an image and
// a weight above 0 (L), or an image (R, G, B; their weight scales the
// channel, in percent).
struct LrgbJob {
  const Image* images[4] = {};
  int weights[4] = {};
  MarkedPoints points[4];
};

// With L: L is the reference and R, G, B are copies aligned onto it;
// without L: R is the reference and G, B are aligned onto it. The canvas
// covers the inputs (each side at most kCanvasMax). Each canvas pixel takes
// R from the R input's R plane x weight_R / 100 (0 where it does not
// cover), likewise G and B; with an L weight p >= 1 the luminance
// Y_C = (299 R + 587 G + 114 B) / 1000 is replaced by (Y_L p + Y_C (100 -
// p)) / 200, each channel becoming (Y c / Y_C) x 2 capped at 65535 (a
// colour of Y_C < 1 becomes 1, 1, 1 first). kOpTooFewInputs without R, G
// and B; kOpNoMemory with `target` untouched.
OpStatus CompositeLrgb(const LrgbJob& job, Image& target);

}  // namespace tavo
