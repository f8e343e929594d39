// SPDX-License-Identifier: MIT
// shell/ops/black_white_op.h - black and white (command 312 and its toolbar
// button) and the logic of its dialog "白黒化": the mode and the weights.
#pragma once
#include <string>

#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "tone/black_white.h"

namespace tavo {

BlackWhiteParams BlackWhiteParamsFrom(const GraySettings& gray);

// The conversion on `image` with the "gray" settings; the image is then
// monochrome.
OpStatus RunBlackWhiteOn(AppState& app, Image& image);

// A mode button: "標準輝度" (2) also puts 299, 587, 114 into the weights;
// "マニュアル輝度" (3) keeps the weights as typed.
void BlackWhiteChooseMode(GraySettings& gray, int mode);
// Weight field 0..2 (R, G, B) read as a whole number whenever it changes;
// the range is applied when the dialog closes.
void BlackWhiteWeightFromText(GraySettings& gray, int channel, const std::string& text);

}  // namespace tavo
