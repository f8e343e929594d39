// SPDX-License-Identifier: MIT
#include "shell/ops/distortion_op.h"

#include "shell/dialog_logic.h"

namespace tavo {

DistortionParams DistortionParamsFrom(const WaikyokuSettings& waikyoku) { return {waikyoku.corner}; }

OpStatus RunDistortionOn(AppState& app, Image& image) {
  return ApplyDistortion(image, DistortionParamsFrom(app.settings.waikyoku));
}

int CornerShiftFromText(const std::string& text) { return EditValue(text, true); }

}  // namespace tavo
