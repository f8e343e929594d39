// SPDX-License-Identifier: MIT
// gui/dialog_registry.h - the operation dialogs by id (the id of the
// command that opens them). Each dialog file registers its own dialog with
// TAVO_REGISTER_DIALOG, so adding a dialog touches only its file.
#pragma once

class QWidget;

namespace tavo {

struct AppState;
class UiPort;

// Shows the dialog, which edits `app` in place; false when it was
// cancelled. Dialogs that open further dialogs, file choosers or messages
// of their own do so through `ui`.
using DialogRun = bool (*)(QWidget* parent, AppState& app, UiPort& ui);

// Records the dialog of command `dialog_id`; returns true so that it can
// initialise a static.
bool RegisterDialog(int dialog_id, DialogRun run);
// True when a dialog is registered for the id.
bool HasDialog(int dialog_id);

// Runs dialog `dialog_id`. An id without a dialog counts as confirmed.
bool RunDialog(int dialog_id, QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo

#define TAVO_REGISTER_DIALOG_JOIN2(a, b) a##b
#define TAVO_REGISTER_DIALOG_JOIN(a, b) TAVO_REGISTER_DIALOG_JOIN2(a, b)
#define TAVO_REGISTER_DIALOG(id, run) \
  [[maybe_unused]] static const bool TAVO_REGISTER_DIALOG_JOIN(kDialogRegistered, __LINE__) = \
      ::tavo::RegisterDialog(id, run)
