// SPDX-License-Identifier: MIT
// shell/ops/distortion_op.h - distortion correction (command 330, batch
// step 11); its dialog has one signed whole number, the corner shift.
#pragma once
#include <string>

#include "core/status.h"
#include "filters/distortion.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace tavo {

DistortionParams DistortionParamsFrom(const WaikyokuSettings& waikyoku);
OpStatus RunDistortionOn(AppState& app, Image& image);
int CornerShiftFromText(const std::string& text);

}  // namespace tavo
