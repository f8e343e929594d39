// SPDX-License-Identifier: MIT
#include "shell/ops/deblur_op.h"

#include "shell/dialog_logic.h"

namespace tavo {

DeblurParams DeblurParamsFrom(const RestoreSettings& restore) {
  return {restore.spread, restore.dullness, restore.iterations, restore.emphasis};
}

OpStatus RunDeblurOn(AppState& app, Image& image) {
  DeblurParams p = DeblurParamsFrom(app.settings.restore);
  p.progress = app.progress;
  return ApplyDeblur(image, p);
}

int DeblurSpreadFromText(const std::string& text) {
  return TenthsFromText(text, kDeblurSpreadMin, kDeblurSpreadMax);
}

int DeblurDullnessFromText(const std::string& text) {
  return TenthsFromText(text, kDeblurDullnessMin, kDeblurDullnessMax);
}

int DeblurSpreadAfterScroll(int spread, int action, int thumb_position) {
  return ScrollStep(spread, action, thumb_position, kDeblurSpreadMin, kDeblurSpreadMax, kDeblurBarPage);
}

int DeblurDullnessAfterScroll(int dullness, int action, int thumb_position) {
  return ScrollStep(dullness, action, thumb_position, kDeblurDullnessMin, kDeblurDullnessMax, kDeblurBarPage);
}

DeblurProfile DeblurProfileOf(int spread, int dullness) {
  const DeblurKernel k = MakeDeblurKernel(spread, dullness);
  DeblurProfile profile;
  for (int i = 0; i < kDeblurTable; ++i) profile.bell[i] = k.bell[kDeblurRadiusMax][i];
  profile.radius = k.radius;
  return profile;
}

}  // namespace tavo
