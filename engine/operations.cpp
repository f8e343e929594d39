// SPDX-License-Identifier: MIT
#include "engine/operations.h"

#include <algorithm>
#include <cstring>

#include "stack/background_quad.h"
#include "stack/composite_auto.h"
#include "tone/gamma.h"

namespace tavo {
namespace {

void RunGamma(Image& image, const ParamBlock& p) {
  const int kind = p[10] == kCurveStraight ? kCurveStraight : kCurveCurved;
  const int w = image.width, h = image.height;
  if (image.monochrome == 1 && p[9] != 1) {
    ApplyGammaPlane(image.r.get(), w, h, p[0], p[1], p[2], kind);
    return;
  }
  if (image.monochrome == 1) {
    // Per-channel curves on a black-and-white image: each plane starts as R.
    const size_t n = image.PixelCount();
    std::memcpy(image.g.get(), image.r.get(), n * 2);
    std::memcpy(image.b.get(), image.r.get(), n * 2);
  }
  ApplyGammaPlane(image.r.get(), w, h, p[0], p[1], p[2], kind);
  ApplyGammaPlane(image.g.get(), w, h, p[3], p[4], p[5], kind);
  ApplyGammaPlane(image.b.get(), w, h, p[6], p[7], p[8], kind);
}

// Inputs come from slots [4]..[7]; an index outside 0..99 or an empty
// slot is an empty row.
void RunCompositeAuto(SlotTable& slots, Image& target, const ParamBlock& p) {
  CompositeJob job;
  for (int row = 0; row < kStackMax; ++row) {
    const int slot = p[4 + row];
    job.images[row] = slot >= 0 && slot < kSlotCount ? &slots[slot] : nullptr;
    job.weights[row] = p[8 + row];
  }
  job.range_x = std::clamp(p[0], 1, kCanvasMax);
  job.range_y = std::clamp(p[1], 1, kCanvasMax);
  job.mode = std::clamp(p[2], kCombineAverage, kCombineContrastMax);
  job.normalise = std::clamp(p[3], 0, 5) / 3 == 1;
  job.method = std::clamp(p[3], 0, 5) % 3;
  job.noise = std::clamp(p[15], -1, 511);
  job.shift_x = p[16];
  job.shift_y = p[17];
  CompositeAuto(job, target);
}

// Levels arrive in 8-bit units; the subtractive rewrite can leave them
// outside 0..255, so only absurd values are cut.
void RunBackground(Image& target, const ParamBlock& p) {
  int levels[6];
  for (int i = 0; i < 6; ++i) levels[i] = std::clamp(p[2 + i], -65536, 65536) * 256;
  switch (p[0]) {
    case kBackgroundDivide:
    case kBackgroundSubtract:
    case kBackgroundReplace:
      ApplyQuadraticBackground(target, p[0], levels, p[8]);
      break;
    default:
      break;  // modes that use a background image or points
  }
}

}  // namespace

void RunOperation(SlotTable& slots, Image& target, int code, ParamBlock& params) {
  switch (code) {
    case kOpGamma:
      if (target.Empty() || !target.r) return;
      RunGamma(target, params);
      break;
    case kOpCompositeAuto:
      RunCompositeAuto(slots, target, params);
      break;
    case kOpBackground:
      RunBackground(target, params);
      break;
    default:
      break;  // unknown or not offered: image untouched
  }
}

}  // namespace tavo
