// SPDX-License-Identifier: MIT
// stack/composite_auto.h - composite of two to four images with the
// translation between them found automatically: a brightness image per
// input, a quarter-resolution search followed by a full-resolution one,
// then the canvas and one of the combine rules of composite_combine.h.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/progress.h"
#include "core/status.h"
#include "stack/composite_combine.h"

namespace tavo {

// Progress texts of the composite.
inline constexpr char kProgressAligning[] = "Aligning frames";
inline constexpr char kProgressCombining[] = "Combining frames";

constexpr int kCompareCentreCorners = 0;  // five 50/100-pixel patches
constexpr int kCompareCentre256 = 1;      // up to 256 x 256 around the centre
constexpr int kCompareCentre1024 = 2;     // up to 1024 x 1024, all pixels of the region
// Score of a displacement whose overlap is too small to compare; no real
// score reaches it, so such a displacement is never chosen.
constexpr int kWorstScore = 2130706432;

// Grey image A (width x height) against B of the same size at displacement
// (dx, dy): A(x, y) is matched with B(x - dx, y - dy) over their overlap.
// Smaller is better. Terms are ((a - b) / 32)^2 (/ 64 for the 1024 one),
// every division truncating; sums are 64-bit, so wide overlaps cannot wrap.
int CompareCentreCorners(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy);
int CompareCentre256(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy);
int CompareCentre1024(const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy);
// By method code; an unknown code compares like kCompareCentre256.
int CompareGrey(int method, const uint16_t* a, const uint16_t* b, int width, int height, int dx, int dy);

// Region [x0, x1) x [y0, y1) of every input that the search compares.
struct SearchRegion {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
// From the smallest input size and the compare ranges: the middle three
// quarters (method 0), or a square of 2 x range + 256 (method 1) or + 512
// (method 2) around the centre when the inputs are large enough for it,
// otherwise the whole common area.
SearchRegion FindSearchRegion(int method, int min_width, int min_height, int range_x, int range_y);

// Full resolution: R/3 + G/3 + B/3 of every pixel of the region, rows of
// region width. Quarter resolution: ((sum of R, G, B over the 4 x 4 block
// at (4 qx, 4 qy)) / 16) / 3 for qx in x0/4 .. x1/4 - 1 (likewise y).
// `out` holds the region's (or quarter region's) pixel count.
void BrightnessPlane(const Image& image, const SearchRegion& region, uint16_t* out);
void QuarterBrightnessPlane(const Image& image, const SearchRegion& region, uint16_t* out);

// How far the search can be trusted for one input. `on_edge`: the best
// displacement reached the compare range (|dx| >= range x or |dy| >=
// range y), so the true one may lie beyond it. `poor_match`: the best
// score is more than kPoorMatchRatio times the score of input 1 matched
// with itself one pixel off (the larger of the x and y shifts), so the
// input may show another field or have drifted past the search; never set
// when that score is 0 (a reference without detail gives no measure).
struct AlignCheck {
  bool on_edge = false;
  bool poor_match = false;
};
constexpr int kPoorMatchRatio = 4;

// Displacement search. Every input but the first gets the offset that lays
// it best over input 1 (input 1 gets (0, 0)); ties keep the displacement
// met first (smallest dy, then smallest dx). Ranges above 4 run the
// quarter-resolution pass over +-(range / 4 + 1) first and then +-4 full
// pixels around its result; otherwise +-max(range_x, range_y) directly.
// False, offsets untouched, when the memory for the brightness images is
// not there. Ranges are taken as 1..10000; `method` is one of the three
// compare codes. `checks` (n entries, may be null) receives the check of
// every input (input 1's is always clear); the offsets do not depend on it.
// Each frame searched is reported to `progress` (fractions 0..0.8); a stop
// asked there returns false at once, offsets untouched.
bool RegisterFrames(int method, int n, int range_x, int range_y, StackInput* inputs, AlignCheck* checks = nullptr,
                    Progress* progress = nullptr);

// Everything operation 3 needs, with the four dialog rows as they are.
struct CompositeJob {
  const Image* images[kStackMax] = {};  // null: empty row
  int weights[kStackMax] = {};
  int range_x = 20, range_y = 20;
  int mode = kCombineAverage;
  int method = kCompareCentre256;
  bool normalise = true;
  int noise = -1;  // as DecodeNoiseControl reads it
  int shift_x = 0, shift_y = 0;
  Progress* progress = nullptr;  // reports and the user's stop; may be null
};

// Rows with an image and a weight above 0 are used, in their order; fewer
// than two: kOpTooFewInputs and nothing happens. Otherwise the search, the
// canvas, the shift and the combine; `target` receives the new planes and
// size (monochrome flag 0) only when every allocation succeeded, else
// kOpNoMemory, or kOpCancelled (target untouched) when stopped through
// job.progress before the combine. `target` may be one of the inputs.
// `checks` (may be null) receives the search's check of each dialog row
// (clear for rows not used).
OpStatus CompositeAuto(const CompositeJob& job, Image& target, AlignCheck checks[kStackMax] = nullptr);

}  // namespace tavo
