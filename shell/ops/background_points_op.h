// SPDX-License-Identifier: MIT
// shell/ops/background_points_op.h - background correction by points
// (command 309): the dialog arms the collection of up to 100 background
// points on the image window; the right button (or the hundredth point)
// fits the background through them and corrects the current image.
#pragma once
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

constexpr int kCapturePointsFirst = 100;  // capture mode with no point yet
constexpr int kCapturePointsMax = 100;

// Command 309: the dialog (mode and shift of "back1"); on OK the capture
// mode becomes 100 with an empty point list and the user is told to click.
void CmdBackgroundPoints(AppState& app, UiPort& ui);

// A left click at (x, stored row) while collecting: the background sample
// there is appended and the mode counts it; the hundredth ends the
// collection. False when no collection runs.
bool CollectBackgroundPoint(AppState& app, UiPort& ui, int x, int row);

// The end of the collection: the message, then under the undo protocol the
// fit with the points collected (fewer than two change nothing); the
// capture mode returns to 0 and the list is emptied.
void FinishBackgroundPoints(AppState& app, UiPort& ui);

}  // namespace tavo
