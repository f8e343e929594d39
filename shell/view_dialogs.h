// SPDX-License-Identifier: MIT
// shell/view_dialogs.h - the logic behind the image select dialog (421)
// and the display settings dialog (422); the front end only shows it.
#pragma once
#include <string>
#include <vector>

#include "shell/app_state.h"

namespace tavo {

// One line of the image select list: "%02d(%s)" of slot index and name.
struct ImageSelectEntry {
  int slot;
  std::string text;
};

// Every non-empty slot, in slot order.
std::vector<ImageSelectEntry> ImageSelectEntries(const AppState& app);

// The slot a confirmed dialog picks: the number in front of "(" of row
// `row`, or of the last row when `row` is not a row of the list. -1 for an
// empty list.
int ImageSelectSlot(const std::vector<ImageSelectEntry>& entries, int row);

// Display settings: bit counts 6..16 and the readout scale D = 2^(16 - b).
constexpr int kDisplayBitsMin = 6;
constexpr int kDisplayBitsMax = 16;
// b clamped to 6..16, then 2^(16 - b).
int DisplayScaleFromBits(int bits);
// The b the dialog preselects for scale D: 16 - floor(log2 D), clamped to
// 6..16 (exact for the scales the dialog itself sets; D below 1 gives 16).
int DisplayBitsFromScale(int scale);

}  // namespace tavo
