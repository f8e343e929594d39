// SPDX-License-Identifier: MIT
// gui/dialog_registry.h - the operation dialogs by id (the id of the
// command that opens them).
#pragma once

class QWidget;

namespace tavo {

struct AppState;
class UiPort;

// Runs dialog `dialog_id`, which edits `app` in place. False when it was
// cancelled. An id without a dialog counts as confirmed. Dialogs that open
// further dialogs, file choosers or messages of their own (the batch
// sequence, the dark files) do so through `ui`.
bool RunDialog(int dialog_id, QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
