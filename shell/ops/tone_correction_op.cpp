// SPDX-License-Identifier: MIT
#include "shell/ops/tone_correction_op.h"

#include "core/sample.h"
#include "core/slots.h"
#include "shell/dialog_logic.h"

namespace tavo {

ToneCorrectionParams ToneCorrectionParamsFrom(const ToneSettings& level) { return {level.strength}; }

OpStatus RunToneCorrectionOn(AppState& app, Image& image) {
  return ApplyToneCorrection(image, ToneCorrectionParamsFrom(app.settings.level));
}

void ToneStrengthFromText(ToneSettings& level, const std::string& text) {
  level.strength = ClampInt(EditValue(text, true), 0, 100);
}

void ToneStrengthScroll(ToneSettings& level, int action, int thumb) {
  level.strength = ScrollStep(ClampInt(level.strength, 0, 100), action, thumb, 0, 100, 10);
}

PreviewHistogram ToneCorrectionPreview(const Image& sample, const ToneSettings& level) {
  Image work;
  if (!DuplicateImage(sample, work)) return PreviewHistogram();
  ApplyToneCorrection(work, ToneCorrectionParamsFrom(level));
  return HistogramOfAll(work);
}

}  // namespace tavo
