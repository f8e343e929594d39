// SPDX-License-Identifier: MIT
#include "gui/dialog_registry.h"

#include <cstdio>
#include <map>

namespace tavo {
namespace {

// Filled while the program starts, before any dialog is asked for.
std::map<int, DialogRun>& Registry() {
  static std::map<int, DialogRun> registry;
  return registry;
}

}  // namespace

bool RegisterDialog(int dialog_id, DialogRun run) {
  Registry()[dialog_id] = run;
  return true;
}

bool HasDialog(int dialog_id) { return Registry().count(dialog_id) != 0; }

bool RunDialog(int dialog_id, QWidget* parent, AppState& app, UiPort& ui) {
  const auto it = Registry().find(dialog_id);
  if (it != Registry().end()) return it->second(parent, app, ui);
  // A command whose dialog is not registered runs with the settings as
  // they stand, as the command-line tool does.
  std::fprintf(stderr, "tavo: no dialog for %d; using the current settings\n", dialog_id);
  return true;
}

}  // namespace tavo
