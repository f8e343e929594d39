// SPDX-License-Identifier: MIT
// settings/settings_file.h - the all-settings file (*.tvp): keyword lines, each
// followed by lines of decimal values, in a fixed group order.
#pragma once
#include <string>
#include <vector>

#include "settings/settings.h"

namespace tavo {

// How a value that arrives out of its range is brought back into it.
enum SettingRule {
  kRuleRange,   // limited to lo..hi
  kRuleFlag,    // 0 stays 0, anything else is 1
  kRuleChoice,  // a value outside lo..hi becomes `otherwise`
};

// One value of a group: an integer or (only in "raw") a decimal, with the
// range it is held in. Values are brought into range where they enter
// (settings file, `--set`, a dialog, a batch step), so the operations that
// read them never see anything else.
struct SettingRef {
  int* i = nullptr;
  double* d = nullptr;
  int rule = kRuleRange;
  double lo = -2147483648.0, hi = 2147483647.0;
  int otherwise = 0;
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

// Reads the values of one group from `text` as the file reader does, then
// brings them into range. Returns false when `keyword` names no group (file
// groups and the extra ones both count).
bool ReadSettingGroup(Settings& settings, const std::string& keyword, const std::string& text);

// 0 when the file cannot be opened; otherwise reads every group found, in
// any order and case, and brings every value into range; unknown words are
// skipped.
int LoadSettings(Settings& settings, const std::string& path);
// False (and no file changed) when the file cannot be written.
bool SaveSettings(Settings& settings, const std::string& path);
// Every value of every group into its range (see SettingRef).
void ClampSettings(Settings& settings);

// The text SaveSettings writes.
std::string FormatSettings(Settings& settings);

}  // namespace tavo
