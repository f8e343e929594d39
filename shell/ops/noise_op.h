// SPDX-License-Identifier: MIT
// shell/ops/noise_op.h - noise reduction (command 777, batch step 15) and
// the logic of its dialog "Noise Reduction": the two-position area bar and
// the strength bar, each with its edit.
#pragma once
#include <string>

#include "core/status.h"
#include "restore/noise_reduction.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Area, range threshold and strength as set (the filter runs with 6 -
// strength).
NoiseParams NoiseParamsFrom(const NoiseSettings& noise);

// Batch step 15; also the run of command 777.
OpStatus RunNoiseOn(AppState& app, Image& image);

// Command 777: the in-place protocol with the dialog, whose OK rule
// (AcceptNoiseDialog) holds for every front end.
void CmdNoise(AppState& app, UiPort& ui);

// Area bar position: 0 for area 3, 1 for 5 (an area of 4 or less counts
// as 3); a typed area v gives (v - 3) / 2 limited to 0..1.
int NoiseAreaPosition(int area);
int NoiseAreaPositionFromText(const std::string& text);
int NoiseAreaFromPosition(int position);  // 2 x position + 3
// Strength: typed whole numbers and the bar (line and page +-1, the
// thumb's position) limited to 1..5.
int NoiseStrengthFromText(const std::string& text);
int NoiseStrengthAfterScroll(int strength, int action, int thumb_position);

// OK: the dialog's area position and strength are stored, and the range
// threshold, which has no control, goes back to 10.
void AcceptNoiseDialog(NoiseSettings& noise, int area_position, int strength);

}  // namespace tavo
