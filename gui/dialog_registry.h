// SPDX-License-Identifier: MIT
// gui/dialog_registry.h - the operation dialogs by id (the id of the
// command that opens them).
#pragma once

class QWidget;

namespace tavo {

struct AppState;

// Runs dialog `dialog_id`, which edits `app` in place. False when it was
// cancelled. An id without a dialog counts as confirmed.
bool RunDialog(int dialog_id, QWidget* parent, AppState& app);

}  // namespace tavo
