// SPDX-License-Identifier: MIT
// shell/image_window.h - what the mouse does in the image window, the area
// selection, and the status text with the pixel under the mouse.
#pragma once
#include <string>

#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

enum MouseButton { kMouseLeft = 1, kMouseRight = 2 };

// Mouse positions are image-window pixels. Without a current image only the
// position is remembered.
//
// Left button: with an area selection armed or dragging, starts the drag at
// the pixel; with no capture mode, zooms in one step about the click; in a
// capture mode, hands the pixel to CaptureClick. Right button: below
// capture mode 100 zooms out about the click; from 100 up ends the
// collection (CaptureFinish).
void ImageMouseDown(AppState& app, UiPort& ui, int button, int mx, int my);
// Left button up during an area selection: when the corners differ in both
// x and row, the rectangle between them (far column and row excluded) is
// copied into a free slot, which becomes current; otherwise the selection
// keeps dragging.
void ImageMouseUp(AppState& app, UiPort& ui, int button, int mx, int my);
// Remembers the position; while dragging, moves the second corner.
void ImageMouseMove(AppState& app, int mx, int my);
// The mouse left the image window: no pixel is under it any more.
void ImageMouseLeave(AppState& app);

// Command 212: arms the area selection with an empty rectangle.
void ArmAreaSelection(AppState& app);

// The rectangle being dragged, in image-window pixels; false when no area
// selection is in progress.
bool AreaScreenRect(const AppState& app, int* x, int* y, int* w, int* h);

// One readout, samples divided by the scale D (1, 2, 4: five digits;
// 8..64: four digits; 128 and above: integer part and one decimal).
// `row_from_top` is the row counted from the top of the picture.
std::string FormatReadout(int x, int row_from_top, int r, int g, int b, int scale);

// The status text: the readout of the pixel under the mouse, followed by
// "  AREA(w,h)" while an area selection is armed or dragging. Empty in
// batch mode, without a current image, before the mouse has been over the
// image window, after it left it, and while it is beyond the picture.
std::string StatusText(const AppState& app);

}  // namespace tavo
