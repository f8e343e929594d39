// SPDX-License-Identifier: MIT
#include "shell/ops/black_white_op.h"

#include "shell/dialog_logic.h"

namespace tavo {

BlackWhiteParams BlackWhiteParamsFrom(const GraySettings& gray) {
  return {gray.mode, gray.weight_r, gray.weight_g, gray.weight_b};
}

OpStatus RunBlackWhiteOn(AppState& app, Image& image) {
  return ApplyBlackWhite(image, BlackWhiteParamsFrom(app.settings.gray));
}

void BlackWhiteChooseMode(GraySettings& gray, int mode) {
  gray.mode = mode;
  if (mode != kGreyStandard) return;
  const BlackWhiteParams standard;
  gray.weight_r = standard.weight_r;
  gray.weight_g = standard.weight_g;
  gray.weight_b = standard.weight_b;
}

void BlackWhiteWeightFromText(GraySettings& gray, int channel, const std::string& text) {
  int* weights[3] = {&gray.weight_r, &gray.weight_g, &gray.weight_b};
  if (channel >= 0 && channel < 3) *weights[channel] = EditValue(text, true);
}

}  // namespace tavo
