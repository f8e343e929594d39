// SPDX-License-Identifier: MIT
#include "shell/ops/noise_op.h"

#include <algorithm>

#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {

NoiseParams NoiseParamsFrom(const NoiseSettings& noise) { return {noise.area, noise.threshold, noise.strength}; }

OpStatus RunNoiseOn(AppState& app, Image& image) {
  return ApplyNoiseReduction(image, NoiseParamsFrom(app.settings.noise));
}

void CmdNoise(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (!EditSettings(app, ui, kCmdNoise)) return;
  // Also for a front end that confirms without showing the dialog.
  NoiseSettings& noise = app.settings.noise;
  AcceptNoiseDialog(noise, NoiseAreaPosition(noise.area), noise.strength);
  RunInPlaceConfirmed(app, ui, RunNoiseOn);
}

int NoiseAreaPosition(int area) { return area <= 4 ? 0 : 1; }

int NoiseAreaPositionFromText(const std::string& text) {
  return static_cast<int>(std::clamp((static_cast<long long>(EditValue(text, true)) - 3) / 2, 0ll, 1ll));
}

int NoiseAreaFromPosition(int position) { return 2 * std::clamp(position, 0, 1) + 3; }

int NoiseStrengthFromText(const std::string& text) {
  return std::clamp(EditValue(text, true), kNoiseStrengthMin, kNoiseStrengthMax);
}

int NoiseStrengthAfterScroll(int strength, int action, int thumb_position) {
  return ScrollStep(strength, action, thumb_position, kNoiseStrengthMin, kNoiseStrengthMax, 1);
}

void AcceptNoiseDialog(NoiseSettings& noise, int area_position, int strength) {
  noise.area = NoiseAreaFromPosition(area_position);
  noise.strength = std::clamp(strength, kNoiseStrengthMin, kNoiseStrengthMax);
  noise.threshold = kNoiseThresholdReset;
}

}  // namespace tavo
