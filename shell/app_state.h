// SPDX-License-Identifier: MIT
// shell/app_state.h - everything the application keeps between commands.
#pragma once
#include <string>
#include <vector>

#include "batch/settings.h"
#include "core/slots.h"
#include "raw/dark_frames.h"

namespace tavo {

struct AppState {
  SlotTable slots;
  Settings settings;
  // Dark files of the dark-frame dialog, their frames and the master dark
  // every RAW development subtracts.
  DarkFrameSet darks;

  // Image file dialogs: the extension appended to names without a known
  // one, and the filter last chosen in the save dialog (1..5).
  std::string default_extension = ".BMP";
  int save_filter_index = 1;
  std::string last_dialog_path;

  // Main window client area in pixels.
  int client_width = 800;
  int client_height = 512;

  int batch_mode = 0;  // 0 off, 1 one file at a time, 2 composite first

  // Set by the exit command once every changed image has been dealt with;
  // the front end then closes without asking again.
  bool quit_requested = false;
};

// Defaults for every setting, all slots empty, no current slot.
void InitAppState(AppState& app);

// The slot commands act on, or null when none is current or it is empty.
Image* CurrentImage(AppState& app);

// "%d(%s) size:%dx%d %d%" of the current slot; "TAVO" before any.
std::string WindowTitle(const AppState& app);

// printf-style formatting of one message with one string or number.
std::string FormatText(const char* format, const std::string& text);

}  // namespace tavo
