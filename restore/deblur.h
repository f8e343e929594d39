// SPDX-License-Identifier: MIT
// restore/deblur.h - deblur: iterative restoration with a synthetic, radially
// symmetric point-spread function, then an unsharp-mask style emphasis.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/progress.h"
#include "core/status.h"

namespace tavo {

constexpr int kDeblurSpreadMin = 1;  // tenths: 0.1 .. 10.0
constexpr int kDeblurSpreadMax = 100;
constexpr int kDeblurDullnessMin = 1;  // tenths: 0.1 .. 5.0
constexpr int kDeblurDullnessMax = 50;
constexpr int kDeblurIterationsMin = 1;
constexpr int kDeblurIterationsMax = 5;
constexpr int kDeblurEmphasisMax = 3;  // 0..3
constexpr int kDeblurRadiusMax = 10;   // the bell is tabulated over -10..10
constexpr int kDeblurTable = 2 * kDeblurRadiusMax + 1;

// Every field is clamped to its range when used.
inline constexpr char kProgressDeblur[] = "Deblurring";  // progress text

struct DeblurParams {
  int spread = 10;    // S, width of the bell in tenths
  int dullness = 20;  // D, fall-off exponent in tenths
  int iterations = 3;
  int emphasis = 1;
  Progress* progress = nullptr;  // told before each plane; may stop the run
};

struct DeblurKernel {
  // The bell over offsets -10..10 (index offset + 10, row j then column i):
  // 1 / ((r^2 x 10 / S)^(D x 0.05) + 1), r^2 = i^2 + j^2; 1 at the centre.
  double bell[kDeblurTable][kDeblurTable];
  // e is the last row index holding a value above 0.02 (at least 10, the
  // centre row); the used square is rows and columns 20 - e .. e, i.e.
  // offsets -radius..radius with radius = e - 10.
  int radius;
  // The used square divided by its sum (summed row by row):
  // k[radius + j][radius + i] weighs offset (i, j).
  double k[kDeblurTable][kDeblurTable];
};

// Spread and dullness are clamped to their ranges first.
DeblurKernel MakeDeblurKernel(int spread, int dullness);

// Bytes ApplyDeblur needs beyond the image: two padded planes of doubles
// (the estimate and the next one) and a row per thread.
uint64_t DeblurWorkBytes(int width, int height, const DeblurParams& p);

// Operation 102 on R and, unless the image is monochrome, on G and B, in
// double precision. O is the plane, E starts as O; each iteration sets
// T = K * E - O for every pixel from the unchanged E, then E = E - 2T.
// Output (emphasis + 1) E - emphasis (K * E) (just E for emphasis 0),
// truncated and clamped to 0..65535. K * E sums the used square with
// coordinates outside the plane clamped to its edge, so any size from 1 x 1
// up is read inside its plane. Empty image: kOpNothingToDo; memory short
// (checked before allocating): kOpNoMemory, image untouched. Rows run in
// parallel; results do not depend on the number of threads. p.progress
// hears of each plane before it starts; a stop there returns kOpCancelled
// with the planes done so far changed (the caller keeps a copy).
OpStatus ApplyDeblur(Image& image, const DeblurParams& p);

}  // namespace tavo
