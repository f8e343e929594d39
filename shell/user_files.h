// SPDX-License-Identifier: MIT
// shell/user_files.h - where the user's own files live: the settings file
// read at start-up and proposed by the settings save dialog.
#pragma once
#include <string>

namespace tavo {

inline constexpr char kStartupSettingsName[] = "tavo.tvp";

// $XDG_CONFIG_HOME/tavo when that variable holds an absolute path, else
// $HOME/.config/tavo; "" when neither is known.
std::string UserConfigFolder();

// "tavo.tvp" in the current folder when it exists (a portable copy wins),
// otherwise that name in UserConfigFolder() (which may not exist either),
// or "tavo.tvp" when there is no configuration folder.
std::string StartupSettingsPath();

}  // namespace tavo
