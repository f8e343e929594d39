// SPDX-License-Identifier: MIT
// batch/op_params.h - parameter blocks of the engine filled from settings,
// shared by the menu commands and the batch runner. Values are clamped to
// the operation's range here.
#pragma once
#include "batch/settings.h"
#include "engine/operations.h"

namespace tavo {

// Operation 1: points packed as input * 1000 + output with inputs and
// outputs clamped to 0..255; all three triples from the all-colours row in
// all-colours mode (table 0), from the R, G, B rows otherwise; [9] the
// per-channel switch; [10] the curve kind (0 straight, else 1).
void FillGammaParams(const GammaSettings& gamma, ParamBlock& params);

// Operation 1 on `image` with these settings; per-channel curves turn a
// black-and-white image into a colour one, so the flag is cleared then.
void RunGammaWith(SlotTable& slots, Image& image, const GammaSettings& gamma);

// Operation 3 into `target` with the inputs and weights of `composite`;
// black-and-white inputs are expanded first. The target stays empty when
// fewer than two inputs are usable or the memory is not there.
void RunCompositeWith(SlotTable& slots, const CompositeSettings& composite, Image& target);

// Operation 3 from the composite settings and the chosen slots: [0], [1]
// the compare range (at least 1); [2] combine mode 0..4; [3] normalise x 3
// + compare method 0..2; [4]..[7] the slots, -1 for a row without one;
// [8]..[11] the weights, 0 for a row without a slot; [15] -1 when the noise
// option is off or either shift is not 0, else the noise level (0..255),
// + 256 in move mode; [16], [17] the shifts.
void FillCompositeParams(const CompositeSettings& composite, ParamBlock& params);

// Operation 7, modes 0 and 1: [0] mode; [2]..[7] centre and periphery of R,
// G, B in 8-bit units (0..255); [8] curve 100..300. Subtractive mode
// rewrites each pair as centre - 2 x periphery + shift, shift - periphery,
// shift 0..255.
void FillBack2Params(const Back2Settings& back2, ParamBlock& params);

}  // namespace tavo
