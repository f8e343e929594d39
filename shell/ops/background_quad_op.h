// SPDX-License-Identifier: MIT
// shell/ops/background_quad_op.h - background correction by quadratic
// approximation: the command, the two background captures that feed it,
// and the logic of its dialog (levels, curve, OK rule).
#pragma once
#include <string>

#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// The correction on `image` with the "back2" settings. Subtractive mode
// rewrites each channel's pair as centre - 2 x periphery + shift and
// shift - periphery (8-bit units) before the surface is made.
OpStatus RunBackgroundQuadOn(AppState& app, Image& image);

// Command 306: the dialog; with no periphery level yet the next click on
// the image picks the centre background instead.
void CmdBackgroundQuad(AppState& app, UiPort& ui);
// Commands 3061, 3062: the next click picks the centre / corner background.
void CmdCaptureCentre(AppState& app, UiPort& ui);
void CmdCaptureCorner(AppState& app, UiPort& ui);

// Levels and the shift as typed, above 255 stored as 255.
int BackgroundLevelFromText(const std::string& text);
// Curve edit: digits up to "." (a non-digit before the point restarts the
// whole part at 0), then up to two digits after it (one digit is tenths);
// the value x 100 clamped to 100..300 ("2.5" -> 250, "3.5" -> 300, "" -> 100).
int CurveFromText(const std::string& text);
// "%d.%02d" of a curve value (250 -> "2.50").
std::string CurveText(int curve);
// Curve bar 0..200 for values 100..300: line +-1, page +-20, the thumb
// position + 100.
int CurveAfterScroll(int curve, int action, int thumb_position);
int CurveBarPosition(int curve);

// OK: every level and the shift into 0..255; a channel whose centre level
// is not above its periphery level gets centre = periphery + 1, and a
// periphery of 255 first steps down to 254 so that the centre stays 255 or
// below.
void AcceptBackgroundDialog(Back2Settings& back2);

}  // namespace tavo
