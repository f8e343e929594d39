// SPDX-License-Identifier: MIT
// batch/settings_file.h - the all-settings file (*.tvp): keyword lines, each
// followed by lines of decimal values, in a fixed group order.
#pragma once
#include <string>
#include <vector>

#include "batch/settings.h"

namespace tavo {

// One value of a group: an integer or (only in "raw") a decimal.
struct SettingRef {
  int* i = nullptr;
  double* d = nullptr;
};

struct SettingGroup {
  const char* keyword;
  std::vector<std::vector<SettingRef>> lines;
  bool in_file;       // false: a keyword of its own for dialog values the file does not keep
  const char* help;   // value order, for the command-line help
};

// The groups of the file in file order, followed by the groups the file
// does not keep, bound to `settings`.
std::vector<SettingGroup> SettingGroups(Settings& settings);

// Reads the values of one group from `text` as the file reader does.
// Returns false when `keyword` names no group (file groups and the extra
// ones both count).
bool ReadSettingGroup(Settings& settings, const std::string& keyword, const std::string& text);

// 0 when the file cannot be opened; otherwise reads every group found, in
// any order and case; unknown words are skipped.
int LoadSettings(Settings& settings, const std::string& path);
// False (and no file changed) when the file cannot be written.
bool SaveSettings(Settings& settings, const std::string& path);
// The text SaveSettings writes.
std::string FormatSettings(Settings& settings);

}  // namespace tavo
