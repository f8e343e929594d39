// SPDX-License-Identifier: MIT
// shell/ops/sharp_op.h - sharp and smooth (command 301, batch step 6) and
// the logic of its dialog: radius, smoothing range, the two strengths and
// the R, G, B boxes, each written to the settings as it is edited.
#pragma once
#include <string>

#include "core/status.h"
#include "filters/sharp.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace tavo {

SharpSmoothParams SharpParamsFrom(const SharpSettings& sharp);
OpStatus RunSharpOn(AppState& app, Image& image);

// Radius typed: a whole number held in 1..10; its bar steps 1 per line and
// 4 per page. Strengths typed: held in 0..50; bars 1 per line, 10 per page.
// (The smoothing range uses HeldLevel* of shell/dialog_logic.h, page 1280.)
int SharpRadiusFromText(const std::string& text);
int SharpRadiusAfterScroll(int radius, int action, int thumb_position);
int StrengthFromText(const std::string& text);
int StrengthAfterScroll(int strength, int action, int thumb_position);

constexpr int kSharpRangePage = 1280;

}  // namespace tavo
