// SPDX-License-Identifier: MIT
#include "engine/operations.h"

#include <algorithm>

#include "stack/background_quad.h"
#include "stack/composite_auto.h"
#include "tone/gamma.h"

namespace tavo {
namespace {

// [0]..[8] three packed points (input * 1000 + output) per channel, [9]
// the per-channel switch, [10] the curve kind (0 straight, else curved).
GammaParams GammaFromBlock(const ParamBlock& p) {
  GammaParams g;
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) {
      const int packed = p[c * 3 + k];
      g.points[c][k] = {std::clamp(packed / 1000, 0, 255), std::clamp(packed % 1000, 0, 255)};
    }
  }
  g.per_channel = p[9] == 1 ? 1 : 0;
  g.kind = p[10] == kCurveStraight ? kCurveStraight : kCurveCurved;
  return g;
}

// Inputs come from slots [4]..[7]; an index outside 0..99 or an empty
// slot is an empty row.
CompositeJob CompositeFromBlock(SlotTable& slots, const ParamBlock& p) {
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
  return job;
}

// Levels arrive in 8-bit units; the subtractive rewrite can leave them
// outside 0..255, so only absurd values are cut.
OpStatus RunBackground(Image& target, const ParamBlock& p) {
  int levels[6];
  for (int i = 0; i < 6; ++i) levels[i] = std::clamp(p[2 + i], -65536, 65536) * 256;
  switch (p[0]) {
    case kBackgroundDivide:
    case kBackgroundSubtract:
    case kBackgroundReplace: return ApplyQuadraticBackground(target, p[0], levels, p[8]);
    default: return kOpNothingToDo;  // modes that use a background image or points
  }
}

}  // namespace

OpStatus RunOperation(SlotTable& slots, Image& target, int code, const ParamBlock& params) {
  switch (code) {
    case kOpGamma: return ApplyGamma(target, GammaFromBlock(params));
    case kOpCompositeAuto: return CompositeAuto(CompositeFromBlock(slots, params), target);
    case kOpBackground: return RunBackground(target, params);
    default: return kOpNothingToDo;  // unknown or not offered: image untouched
  }
}

}  // namespace tavo
