// SPDX-License-Identifier: MIT
#include "tone/black_white.h"

#include <cstdint>

#include "core/sample.h"
#include "core/slots.h"
#include "tone/exact_divide.h"
#include "tone/pixel_runs.h"

namespace tavo {
namespace {

inline int Largest(int r, int g, int b) { return g < r && b < r ? r : r < g && b < g ? g : b; }
inline int Smallest(int r, int g, int b) { return r < g && r < b ? r : g < r && g < b ? g : b; }

struct Weights {
  int32_t r, g, b, sum;  // the sum raised to 1 when the weights add up to 0
};

Weights WeightsOf(const BlackWhiteParams& p) {
  const int32_t r = ClampInt(p.weight_r, 0, kGreyWeightMax), g = ClampInt(p.weight_g, 0, kGreyWeightMax),
                b = ClampInt(p.weight_b, 0, kGreyWeightMax);
  return {r, g, b, r + g + b < 1 ? 1 : r + g + b};
}

// The sum of products is below 8192 * 3 * 65535 < 2^31. A weighted mean of
// values below 8192 is below 8192 itself, so the limit to 65535 never
// bites.
inline int Weighted(int r, int g, int b, const Weights& w) {
  return ExactQuotient((r >> 3) * w.r + (g >> 3) * w.g + (b >> 3) * w.b, w.sum) * 8;
}

TAVO_PIXEL_KERNEL void LargestRun(uint16_t* r, uint16_t* g, uint16_t* b, int count) {
  for (int i = 0; i < count; ++i) r[i] = g[i] = b[i] = static_cast<uint16_t>(Largest(r[i], g[i], b[i]));
}

TAVO_PIXEL_KERNEL void SmallestRun(uint16_t* r, uint16_t* g, uint16_t* b, int count) {
  for (int i = 0; i < count; ++i) r[i] = g[i] = b[i] = static_cast<uint16_t>(Smallest(r[i], g[i], b[i]));
}

TAVO_PIXEL_KERNEL void WeightedRun(uint16_t* r, uint16_t* g, uint16_t* b, int count, Weights w) {
  for (int i = 0; i < count; ++i) r[i] = g[i] = b[i] = static_cast<uint16_t>(Weighted(r[i], g[i], b[i], w));
}

}  // namespace

int GreyOf(int r, int g, int b, const BlackWhiteParams& params) {
  switch (params.mode) {
    case kGreyMaximum: return Largest(r, g, b);
    case kGreyMinimum: return Smallest(r, g, b);
    default: return Weighted(r, g, b, WeightsOf(params));
  }
}

OpStatus ApplyBlackWhite(Image& image, const BlackWhiteParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  ExpandMonochrome(image);
  const int64_t n = static_cast<int64_t>(image.PixelCount());
  const int mode = params.mode;
  const Weights w = WeightsOf(params);
  ForEachPixelRunInPlace(image.r.get(), image.g.get(), image.b.get(), n,
                         [&](uint16_t* r, uint16_t* g, uint16_t* b, int count) {
                           switch (mode) {
                             case kGreyMaximum: LargestRun(r, g, b, count); break;
                             case kGreyMinimum: SmallestRun(r, g, b, count); break;
                             default: WeightedRun(r, g, b, count, w); break;
                           }
                         });
  image.monochrome = 1;
  return kOpMade;
}

}  // namespace tavo
