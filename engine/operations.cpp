// SPDX-License-Identifier: MIT
#include "engine/operations.h"

#include <algorithm>

#include "filters/distortion.h"
#include "filters/edge.h"
#include "filters/line_split.h"
#include "filters/resize.h"
#include "filters/rotate.h"
#include "filters/sharp.h"
#include "restore/deblur.h"
#include "restore/wavelet.h"
#include "stack/background_quad.h"
#include "stack/composite_auto.h"
#include "tone/black_white.h"
#include "tone/gamma.h"
#include "tone/saturation_hue.h"
#include "tone/tone_correction.h"

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

// Codes 30, 31: [0] the source slot; the target is an empty slot.
OpStatus RunLineSplit(SlotTable& slots, Image& target, int code, const ParamBlock& p) {
  if (p[0] < 0 || p[0] >= kSlotCount || &slots[p[0]] == &target) return kOpNothingToDo;
  return ApplyLineSplit(slots[p[0]], target, {code == kOpEvenLines ? kFieldRowsFromOne : kFieldRowsFromZero});
}

// [0]..[5] gains 0..5, [14] the enlarge flag (1 enlarges), [15] the filter
// order; the module clamps the order and gives up enlarging at 5000.
WaveletParams WaveletFromBlock(const ParamBlock& p) {
  WaveletParams w;
  for (int i = 0; i < 6; ++i) w.gains[i] = p[i];
  w.enlarge = p[14] == 1 ? 1 : 0;
  w.filter_order = p[15];
  return w;
}

// [0] spread, [1] dullness, [2] iterations, [3] emphasis; clamped by the module.
DeblurParams DeblurFromBlock(const ParamBlock& p) { return {p[0], p[1], p[2], p[3]}; }

}  // namespace

OpStatus RunOperation(SlotTable& slots, Image& target, int code, const ParamBlock& params) {
  switch (code) {
    // The filters bring their parameters into range themselves.
    case kOpSharpSmooth: return ApplySharpSmooth(target, {params[0], params[1], params[2], params[3], params[5]});
    case kOpGamma: return ApplyGamma(target, GammaFromBlock(params));
    case kOpEdge: return ApplyEdge(target, {params[1], params[2], params[3], params[4], params[5]});
    case kOpResize: return ApplyResize(target, {params[0], params[1], params[2], params[3], params[4]});
    case kOpRotate: return ApplyRotation(target, {params[1], params[0]});
    case kOpDistortion: return ApplyDistortion(target, {params[0]});
    case kOpOddLines:
    case kOpEvenLines: return RunLineSplit(slots, target, code, params);
    case kOpCompositeAuto: return CompositeAuto(CompositeFromBlock(slots, params), target);
    case kOpBackground: return RunBackground(target, params);
    // [0] mode, [1]..[3] the R, G, B weights.
    case kOpBlackWhite: return ApplyBlackWhite(target, {params[0], params[1], params[2], params[3]});
    // [0] saturation change in percent, [1] hue change in degrees.
    case kOpSaturationHue: return ApplySaturationHue(target, {params[0], params[1]});
    // [0] strength in percent.
    case kOpToneCorrection: return ApplyToneCorrection(target, {params[0]});
    case kOpWavelet: return ApplyWavelet(target, WaveletFromBlock(params));
    case kOpDeblur: return ApplyDeblur(target, DeblurFromBlock(params));
    default: return kOpNothingToDo;  // unknown or not offered: image untouched
  }
}

}  // namespace tavo
