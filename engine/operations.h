// SPDX-License-Identifier: MIT
// engine/operations.h - the operation dispatcher: one entry that runs an
// operation by code on a target image with a numbered parameter block. The
// block is the code-based entry only: it is decoded here into the typed
// parameters of the operation's module (clamped as each code prescribes),
// while the menu commands and the batch fill the typed parameters from the
// settings directly.
#pragma once
#include <cstdint>

#include "core/slots.h"
#include "core/status.h"

namespace tavo {

// Operation codes. Any other code (4 included) does nothing.
constexpr int kOpSharpSmooth = 0;
constexpr int kOpGamma = 1;
constexpr int kOpCompositeAuto = 3;
constexpr int kOpEdge = 5;
constexpr int kOpResize = 6;
constexpr int kOpBackground = 7;
constexpr int kOpCompositePoints = 8;
constexpr int kOpCompositeLrgb = 9;
constexpr int kOpRotate = 10;
constexpr int kOpBlackWhite = 20;
constexpr int kOpSaturationHue = 22;
constexpr int kOpToneCorrection = 23;
constexpr int kOpOddLines = 30;
constexpr int kOpEvenLines = 31;
constexpr int kOpBackgroundData = 50;
constexpr int kOpDistortion = 60;
constexpr int kOpWavelet = 101;
constexpr int kOpDeblur = 102;

constexpr int kParamCount = 32;

// Entries mean what each operation says. The channel flags of operations
// 0 and 5 are those of filters/channels.h.
struct ParamBlock {
  int32_t v[kParamCount] = {};
  int32_t& operator[](int i) { return v[i]; }
  int32_t operator[](int i) const { return v[i]; }
};

// Runs operation `code` on `target` (normally a slot of `slots`; operations
// that read other slots take their indices from the block). An operation
// that cannot run, or cannot get its memory, leaves the image as it was and
// says why; codes that are not offered give kOpNothingToDo.
OpStatus RunOperation(SlotTable& slots, Image& target, int code, const ParamBlock& params);

}  // namespace tavo
