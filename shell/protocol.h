// SPDX-License-Identifier: MIT
// shell/protocol.h - the common frame of a command that changes the current
// image in place, and the one way a command opens its dialog.
#pragma once
#include "shell/app_state.h"
#include "shell/operation_table.h"
#include "shell/ui_port.h"

namespace tavo {

// Runs dialog `dialog_id`, which edits the settings in place, then brings
// every setting back into its range (Cancel keeps what was edited, so that
// is clamped too). False when the dialog was cancelled.
bool EditSettings(AppState& app, UiPort& ui, int dialog_id);

// Needs a current image (else nothing happens); the memory headroom check
// (else the out-of-memory box); the dialog `dialog_id` (0: none; Cancel
// stops); then under the wait cursor the undo copy, `run`, and the slot
// marked changed. A run that reports kOpNoMemory leaves the image and its
// undo state as they were and shows the out-of-memory box; one stopped
// through the progress report (kOpCancelled) leaves them as they were with
// no box. The run's progress goes to `ui` through app.progress. True when
// the operation ran.
bool RunInPlace(AppState& app, UiPort& ui, int dialog_id, InPlaceRun run);

// The part after the dialog, for commands that ask their own questions.
bool RunInPlaceConfirmed(AppState& app, UiPort& ui, InPlaceRun run);

}  // namespace tavo
