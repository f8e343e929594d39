// SPDX-License-Identifier: MIT
// shell/command_handlers.h - one handler per built menu command.
#pragma once
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// File menu.
void CmdOpen(AppState& app, UiPort& ui);            // 101
void CmdSave(AppState& app, UiPort& ui);            // 102
void CmdClose(AppState& app, UiPort& ui);           // 104
void CmdCloseAll(AppState& app, UiPort& ui);        // 105
void CmdExit(AppState& app, UiPort& ui);            // 121
void CmdDarkFiles(AppState& app, UiPort& ui);       // 131
void CmdRawSettings(AppState& app, UiPort& ui);     // 132
void CmdResetSettings(AppState& app, UiPort& ui);   // 133
void CmdSaveSettings(AppState& app, UiPort& ui);    // 134
void CmdLoadSettings(AppState& app, UiPort& ui);    // 135

// Edit menu.
void CmdUndo(AppState& app, UiPort& ui);            // 201
void CmdRedo(AppState& app, UiPort& ui);            // 202
void CmdCopy(AppState& app, UiPort& ui);            // 211

// Tone.
void CmdGamma(AppState& app, UiPort& ui);           // 311

// Help.
void CmdVersion(AppState& app, UiPort& ui);         // 502

}  // namespace tavo
