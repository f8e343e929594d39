// SPDX-License-Identifier: MIT
// shell/protocol.h - the common frame of a command that changes the current
// image in place.
#pragma once
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

using InPlaceRun = void (*)(AppState& app, Image& image);

// Needs a current image (else nothing happens); the memory headroom check
// (else the out-of-memory box); the dialog `dialog_id` (0: none; Cancel
// stops); then under the wait cursor the undo copy, `run`, and the slot
// marked changed. True when the operation ran.
bool RunInPlace(AppState& app, UiPort& ui, int dialog_id, InPlaceRun run);

// The part after the dialog, for commands that ask their own questions.
bool RunInPlaceConfirmed(AppState& app, UiPort& ui, InPlaceRun run);

}  // namespace tavo
