// SPDX-License-Identifier: MIT
// shell/help_files.h - where the help pages are looked for.
#pragma once
#include <string>
#include <vector>

#include "shell/app_state.h"

namespace tavo {

inline constexpr char kHelpPage[] = "tavo_help.html";  // command 501
inline constexpr char kExamplesPage[] = "tavo.htm";    // command 503

// Folders searched in order: "help" and "../share/tavo/help" beside the
// program (when its folder is known), the source tree's help folder, and
// "help" below the current folder.
std::vector<std::string> HelpFolders(const AppState& app);
// Absolute path of the first existing `name` in those folders, or "".
std::string FindHelpFile(const AppState& app, const std::string& name);

}  // namespace tavo
