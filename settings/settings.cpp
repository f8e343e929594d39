// SPDX-License-Identifier: MIT
#include "settings/settings.h"

namespace tavo {

void ResetAllSettings(Settings& settings, bool startup) {
  const int generation_shift = settings.back3.shift;
  settings = Settings{};
  settings.back2.shift = startup ? 0 : generation_shift;
}

}  // namespace tavo
