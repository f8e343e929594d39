// SPDX-License-Identifier: MIT
// shell/ops/tone_correction_op.h - tone correction (command 315) and the
// logic of its dialog "階調補正": the strength as typed and on its bar, and
// the preview histogram.
#pragma once
#include <string>

#include "core/image.h"
#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "tone/preview.h"
#include "tone/tone_correction.h"

namespace tavo {

ToneCorrectionParams ToneCorrectionParamsFrom(const ToneSettings& level);

// The correction on `image` with the "level" settings.
OpStatus RunToneCorrectionOn(AppState& app, Image& image);

// The edit: a whole number as the dialogs read it, clamped to 0..100.
void ToneStrengthFromText(ToneSettings& level, const std::string& text);
// The bar 0..100: 1 per line, 10 per page.
void ToneStrengthScroll(ToneSettings& level, int action, int thumb);

// Histograms of `sample` (SamplePreviewPixels of the image) after the
// correction, its table T built from the sample alone.
PreviewHistogram ToneCorrectionPreview(const Image& sample, const ToneSettings& level);

}  // namespace tavo
