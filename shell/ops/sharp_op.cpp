// SPDX-License-Identifier: MIT
#include "shell/ops/sharp_op.h"

#include <algorithm>

#include "shell/dialog_logic.h"

namespace tavo {

SharpSmoothParams SharpParamsFrom(const SharpSettings& sharp) {
  return {sharp.radius, sharp.range, sharp.smooth, sharp.enhance,
          sharp.use_r * kChannelFlagR + sharp.use_g * kChannelFlagG + sharp.use_b * kChannelFlagB};
}

OpStatus RunSharpOn(AppState& app, Image& image) {
  return ApplySharpSmooth(image, SharpParamsFrom(app.settings.sharp));
}

int SharpRadiusFromText(const std::string& text) {
  return std::clamp(EditValue(text, true), kSharpRadiusMin, kSharpRadiusMax);
}

int SharpRadiusAfterScroll(int radius, int action, int thumb_position) {
  return ScrollStep(radius, action, thumb_position, kSharpRadiusMin, kSharpRadiusMax, 4);
}

int StrengthFromText(const std::string& text) { return std::clamp(EditValue(text, true), 0, kSharpStrengthMax); }

int StrengthAfterScroll(int strength, int action, int thumb_position) {
  return ScrollStep(strength, action, thumb_position, 0, kSharpStrengthMax, 10);
}

}  // namespace tavo
