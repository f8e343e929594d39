// SPDX-License-Identifier: MIT
// shell/background_capture.h - sampling the sky background where the user
// clicks on the image window while a capture is armed (commands 3061 and
// 3062 arm it).
#pragma once
#include "core/image.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Background estimate of the 3 x 3 block around a point: the point is
// first moved to 1..width - 2, 1..height - 2 (on images narrower or lower
// than 3 pixels to the nearest pixel, and the block's outer pixels repeat
// the edge). Per channel the four smallest of the nine samples are kept,
// starting from four placeholders of 65280, and `level` is the mean of the
// third and fourth, (v3 + v4) >> 1; `level8` is (v3 + v4) >> 9. A
// monochrome image is read through R.
struct BackgroundSample {
  int x = 0, row = 0;  // the point after moving it inside
  int level[3] = {0, 0, 0};
  int level8[3] = {0, 0, 0};
};
BackgroundSample SampleBackground(const Image& image, int x, int row);

// A left click on the image window at image point (x, stored row). In
// capture mode 1 the estimate becomes the centre point and the three
// centre levels of the quadratic background settings; in mode 2 the
// corner point and the periphery levels; the mode returns to 0 and the
// current slot is remembered as the one the samples belong to. Returns
// false - nothing changed, the click is the window's to handle - in any
// other mode or without a current image.
bool BackgroundSampleAt(AppState& app, UiPort& ui, int x, int stored_row);

}  // namespace tavo
