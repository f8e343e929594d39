// SPDX-License-Identifier: MIT
// shell/commands.h - the entry points of the main window besides its menu
// commands (shell/operation_table.h): start-up, opening files, dropped
// files, the save question and exit.
#pragma once
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/operation_table.h"
#include "shell/ui_port.h"

namespace tavo {

// Start-up: InitAppState, then the settings file StartupSettingsPath()
// (shell/user_files.h) when it exists, then the files named on the command
// line.
void StartUp(AppState& app, UiPort& ui, const std::vector<std::string>& names);

// Opens `path` into slot `slot` under the wait cursor. On success the slot
// becomes current with fresh flags and the window repaints; on failure an
// error box names the file and the slot stays free. A RAW file's
// development reports to `ui`; stopped there, the slot stays free without
// a box.
bool OpenFileIntoSlot(AppState& app, UiPort& ui, const std::string& path, int slot);

// The files named at start-up, in order (unsupported names are reported
// and skipped; running out of slots ends the list).
void OpenStartupFiles(AppState& app, UiPort& ui, const std::vector<std::string>& names);
// Splits a command line into names: spaces separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& line);

// Files dropped on the main window (with batch mode on they go to the
// batch, see RunBatchDrop).
void DropFiles(AppState& app, UiPort& ui, const std::vector<std::string>& paths);

// Save-on-close question for `slot`: No goes on, Yes saves through the
// save dialog. False means the image must stay: the user chose Cancel, or
// after Yes cancelled the dialog, refused the overwrite or the write
// failed; whatever asked must stop.
bool SavePrompt(AppState& app, UiPort& ui, int slot);

// Asks about every changed slot; false when the exit is cancelled.
bool ConfirmExit(AppState& app, UiPort& ui);

// The slot keys and the toolbar's up/down button.
void SelectNextImage(AppState& app, UiPort& ui);
void SelectPreviousImage(AppState& app, UiPort& ui);

// File dialogs of the settings and batch files ("LOAD" / "SAVE" with
// `filters`). Saving proposes `initial_name`, appends `extension` (".tvp", ".tvb")
// to a name that does not end in it, and asks before overwriting. A
// cancelled dialog shows the not-saved / not-loaded message. False when
// there is nothing to read or write.
bool ChooseTextFileToLoad(UiPort& ui, const char* filters, std::string* path);
bool ChooseTextFileToSave(UiPort& ui, const char* filters, const char* extension, std::string* path,
                          const std::string& initial_name = "tavo");
// `path` with `extension` appended unless it already ends in it (any case).
std::string WithExtension(const std::string& path, const char* extension);

// Caution box before overwriting an existing file; true when the file does
// not exist or the user said OK.
bool ConfirmOverwrite(UiPort& ui, const std::string& path);

}  // namespace tavo
