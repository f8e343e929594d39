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

}  // namespace tavo
