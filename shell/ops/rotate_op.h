// SPDX-License-Identifier: MIT
// shell/ops/rotate_op.h - rotation and mirrors (command 305, batch step
// 10) and the logic of its dialog: the kind buttons and the angle field in
// hundredths of a degree.
#pragma once
#include <string>

#include "core/status.h"
#include "filters/rotate.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace tavo {

// The kinds 0, 1, 2 turn by their own angle whatever angle is stored (a
// hand-edited file or --set may hold another), as the dialog's OK would.
RotateParams RotateParamsFrom(const RoundSettings& round);
OpStatus RunRotateOn(AppState& app, Image& image);

// The angle field: leading blanks skipped; an optional "-" and then an
// optional "+"; digits up to "." or the end (any other character gives
// 0); then at most two digits after the "." as hundredths, missing ones
// counting 0; the sign last. "12.5" -> 1250, "-0.25" -> -25, "1.234" ->
// 123. Saturates at +-214748364 (the settings' range).
int AngleFromText(const std::string& text);
// "%d.%02d", with a leading "-" for a negative angle (-25 -> "-0.25").
std::string AngleText(int angle);
// OK: the kinds 0, 1, 2 store their angle (9000, -9000, 18000); 3, 4, 5
// keep the typed one.
void AcceptRotateDialog(RoundSettings& round);

}  // namespace tavo
