// SPDX-License-Identifier: MIT
// shell/dialog_logic.h - what the operation dialogs share, kept free of any
// toolkit: scroll-bar events and steps, the whole numbers their edits read,
// and the image lists ("%02d(%s)") that pick a slot.
#pragma once
#include <string>
#include <vector>

#include "core/slots.h"

namespace tavo {

// The events of a dialog's horizontal scroll bar.
enum ScrollAction {
  kScrollLineLeft,   // left arrow
  kScrollLineRight,  // right arrow
  kScrollPageLeft,   // click left of the thumb
  kScrollPageRight,  // click right of the thumb
  kScrollTrack,      // thumb dragged: the bar position is given
};

// A bar position after `action`: +-1 per line, +-`page` per page, the
// thumb's position when dragged; limited to low..high.
int ScrollStep(int position, int action, int thumb_position, int low, int high, int page);

// Whole numbers as the dialogs' edits read them: leading blanks, optional
// "-" (signed only), then digits; anything else ends the number; no digit
// gives 0. Values saturate at +-2147483647.
int EditValue(const std::string& text, bool is_signed);

// A typed decimal in tenths: leading blanks, optional "-", digits, then a
// "." and one digit; the rest is cut ("2.35" -> 23, ".5" -> 5, "" -> 0).
// Limited to low..high.
int TenthsFromText(const std::string& text, int low, int high);
// "%d.%01d" of value / 10 and value % 10 (23 -> "2.3").
std::string TenthsText(int value);

// "%02d(%s)" of slot index and name.
std::string SlotListText(int slot, const std::string& name);
// Entries of an image list: an empty one first, then SlotListText of every
// slot holding an image, in slot order.
std::vector<std::string> ImageListEntries(const SlotTable& slots);
// Slot a list text names: the decimal number before "("; -1 for an empty
// text or one that does not start with a digit.
int SlotFromListText(const std::string& text);
// Entry to preselect for a row that holds `slot`: the entry naming it, or
// 0 (the empty entry) when none does.
int ListIndexForSlot(const std::vector<std::string>& entries, int slot);

}  // namespace tavo
