// SPDX-License-Identifier: MIT
// shell/command_handlers.h - the handlers of the menu commands that are not
// image operations (those live in shell/ops/).
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

// Batch.
void CmdBatchSettings(AppState& app, UiPort& ui);   // 801
void CmdBatchStart(AppState& app, UiPort& ui);      // 802
void CmdBatchStop(AppState& app, UiPort& ui);       // 803
void CmdBatchOpen(AppState& app, UiPort& ui);       // 808
void CmdBatchSave(AppState& app, UiPort& ui);       // 809

// Help.
void CmdVersion(AppState& app, UiPort& ui);         // 502
void CmdHelp(AppState& app, UiPort& ui);            // 501
void CmdExamples(AppState& app, UiPort& ui);        // 503

// View menu and area copy.
void CmdAreaCopy(AppState& app, UiPort& ui);        // 212
void CmdZoomIn(AppState& app, UiPort& ui);          // 401
void CmdZoomOut(AppState& app, UiPort& ui);         // 402
void CmdZoomFit(AppState& app, UiPort& ui);         // 403: the whole image in the window
void CmdImageSelect(AppState& app, UiPort& ui);     // 421
void CmdDisplayMode(AppState& app, UiPort& ui);     // 422

}  // namespace tavo
