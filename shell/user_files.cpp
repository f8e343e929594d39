// SPDX-License-Identifier: MIT
#include "shell/user_files.h"

#include <cstdlib>

#include "core/files.h"

namespace tavo {

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // A relative value is invalid by the base-directory rules and ignored.
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/tavo";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/tavo";
  return "";
}

std::string StartupSettingsPath() {
  if (FileExists(kStartupSettingsName)) return kStartupSettingsName;
  const std::string folder = UserConfigFolder();
  return folder.empty() ? kStartupSettingsName : folder + "/" + kStartupSettingsName;
}

}  // namespace tavo
