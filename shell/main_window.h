// SPDX-License-Identifier: MIT
// shell/main_window.h - the main window's own controls: the toolbar row
// (buttons, status bar, batch banner), the keyboard, the client size and
// the command-line names.
#pragma once
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Toolbar row geometry: 17 buttons of 24 x 24 from the left edge, then a
// black bar from x = 408 with the status text at x = 412.
constexpr int kToolbarHeight = 24;
constexpr int kToolbarButtonSize = 24;
constexpr int kToolbarButtons = 17;
constexpr int kStatusBarX = kToolbarButtons * kToolbarButtonSize;  // 408
constexpr int kStatusTextX = 412;
constexpr int kUpDownButton = 16;

// Pseudo command ids of the up/down button halves.
constexpr int kToolNextImage = -1;
constexpr int kToolPreviousImage = -2;

inline constexpr char kBatchModeBanner[] = "バッチモード：ファイルをドラッグアンドドロップして下さい！";

// Button under (x, y) in the toolbar row, or -1 (outside the buttons, or
// in batch mode, when the row is one banner).
int ToolbarButtonAt(const AppState& app, int x, int y);
// What button `button` runs when clicked at height y: a command id of the
// table, kToolNextImage (upper half of the up/down button, y below 12),
// kToolPreviousImage (its lower half), or 0 for the blank buttons.
int ToolbarCommand(int button, int y);
// Name of the picture drawn on the button: "UNDO" / "REDO" only while the
// current image can be undone / redone, "BLACK" otherwise.
const char* ToolbarBitmap(const AppState& app, int button);
// Whether button `button` acts when clicked: its command is built and has
// something to act on (a current image for all but open; an undo or redo
// state for those two); the up/down button needs a current image. False
// for the blank buttons and in batch mode. A button that would not act is
// drawn greyed.
bool ToolbarButtonEnabled(const AppState& app, int button);
// The button's tooltip: its command's menu text without the "(&X)"
// accelerator, the up/down button's own text, "" for the blank ones.
std::string ToolbarTooltip(int button);
// A menu text as shown without its accelerator: "保存(BMP,JPG,TIF,PPM)(&S)"
// -> "保存(BMP,JPG,TIF,PPM)"; a lone "&" marker is dropped too.
std::string PlainMenuText(const char* text);
// Banner that replaces the buttons in batch mode; empty otherwise.
std::string ToolbarBanner(const AppState& app);

// Mouse on the toolbar row: pressing an enabled button draws it pressed;
// releasing over the same button runs its command.
void ToolbarPress(AppState& app, UiPort& ui, int x, int y);
void ToolbarRelease(AppState& app, UiPort& ui, int x, int y);
// Press and release at one place.
void ToolbarClick(AppState& app, UiPort& ui, int x, int y);

// Keys, acted on when released. Letters and digits are their ASCII
// upper-case codes.
enum KeyCode { kKeyUp = 0x10000, kKeyDown, kKeyInsert };
// A / B: mark the pixel under the mouse; C: clear both marks; Up or 8:
// next image; Down or 2: previous image; Insert: copy; O: open; S: save.
// False for keys that mean nothing here.
bool HandleKey(AppState& app, UiPort& ui, int key);

// New client size (negative sizes count as 0); the current image's scroll
// is kept inside it.
void ResizeClient(AppState& app, int width, int height);
// For a front end that knows the area the picture is drawn in (its image
// window without scroll bars): the client size that makes the visible
// extent exactly that area, i.e. the area plus the fixed margins, so that
// scroll bars, scroll limits and centring match what is on the screen.
void ResizeImageArea(AppState& app, int width, int height);

// File names from the program's arguments. An argument holding double
// quotes is split as a command line (spaces separate, quotes group); any
// other argument is one name, spaces included.
std::vector<std::string> NamesFromArguments(const std::vector<std::string>& args);

// Runs command `id` of the table, or one of the up/down pseudo ids.
void RunToolCommand(AppState& app, UiPort& ui, int id);

}  // namespace tavo
