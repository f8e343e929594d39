// SPDX-License-Identifier: MIT
// shell/capture.h - picking background samples on the image with the
// mouse. The image window hands clicks over while `AppState::capture.mode`
// is non-zero; what a click samples and what ends a collection belongs to
// the background corrections that set the mode.
#pragma once
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Left click on pixel (x, row) of the current image while the capture mode
// is 1 (centre), 2 (corners) or 100 and above (free points).
void CaptureClick(AppState& app, UiPort& ui, int x, int row);

// Right button while free points are being collected (mode 100 and above).
void CaptureFinish(AppState& app, UiPort& ui);

}  // namespace tavo
