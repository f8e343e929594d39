// SPDX-License-Identifier: MIT
// shell/app_state.h - everything the application keeps between commands.
#pragma once
#include <string>
#include <vector>

#include "batch/batch_sequence.h"
#include "settings/settings.h"
#include "core/progress.h"
#include "core/slots.h"
#include "raw/dark_frames.h"

namespace tavo {

// One free background point picked on the image, 16-bit levels.
struct CapturePoint {
  int x = 0, row = 0;
  int r = 0, g = 0, b = 0;
  int mean = 0;  // (r + g + b) / 3
};

// Background capture on the image window. Mode 0: clicks zoom as usual;
// 1: the next left click samples the centre background; 2: the corner
// background; 100 and above: collecting free points. Points are (x, stored
// row) as sampled; levels are 8-bit.
struct CaptureState {
  int mode = 0;
  int centre_x = -1, centre_row = -1;
  int centre_level[3] = {0, 0, 0};
  int corner_x = -1, corner_row = -1;
  int corner_level[3] = {0, 0, 0};
  // Slot the centre and corner samples were taken on, so they can be shown
  // there; -1 once the correction has used them.
  int slot = -1;
  std::vector<CapturePoint> points;  // free points collected so far
};

struct AppState {
  SlotTable slots;
  Settings settings;
  // Dark files of the dark-frame dialog, their frames and the master dark
  // every RAW development subtracts.
  DarkFrameSet darks;

  // Image file dialogs: the extension appended to names without a known
  // one, and the filter last chosen in the save dialog (1..7);
  // `last_save_filter` stays 0 until the image save dialog was first used.
  std::string default_extension = ".BMP";
  int save_filter_index = 1;
  int last_save_filter = 0;
  std::string last_dialog_path;

  // Main window client area in pixels.
  int client_width = 800;
  int client_height = 512;

  int batch_mode = 0;  // 0 off, 1 one file at a time, 2 composite first
  BatchSequence batch;
  // Text the toolbar row shows instead of its buttons while batch mode is
  // on; empty when it is off. Set through SetBatchMode.
  std::string batch_banner;

  CaptureState capture;

  // Image window: the last mouse position in its pixels, kept for the
  // status text and the A/B keys; false until the mouse has been over it.
  int mouse_x = 0, mouse_y = 0;
  bool mouse_seen = false;

  // Area selection (command 212): 0 off, 1 armed, 2 dragging; the two
  // corners as (x, stored row).
  int area_flag = 0;
  int area_x1 = 0, area_y1 = 0, area_x2 = 0, area_y2 = 0;

  // Toolbar buttons drawn pressed (1) or not (0).
  int toolbar_state[24] = {};

  // Histogram window (commands 411 and 413): whether it is open and what
  // it shows (MeasureMode, shell/measure.h). The front end closes it by
  // clearing the flag.
  bool histogram_open = false;
  int histogram_mode = 0;

  // Image select dialog: the row chosen in its list, -1 for none.
  int image_select_row = -1;

  // Folder of the running program (help pages are looked up beside it);
  // empty when unknown.
  std::string program_dir;

  // The running in-place operation's progress record (set by the in-place
  // protocol around the run, null otherwise).
  Progress* progress = nullptr;

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

// printf-style formatting of one message with one string, or with one
// string followed by one number.
std::string FormatText(const char* format, const std::string& text);
std::string FormatText(const char* format, const std::string& text, int number);

}  // namespace tavo
