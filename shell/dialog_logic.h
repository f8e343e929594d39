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

// Levels typed in 8-bit units with decimals and held in 16-bit units (the
// sharp/smooth and edge ranges): the text read as a decimal number x
// (leading blanks, optional sign, digits, "." and digits; anything else
// ends it; no digit gives 0) and held as trunc((x + 0.01) x 256), limited
// to 0..65535. "10" holds 2562.
int HeldLevelFromText(const std::string& text);
// The held level in 8-bit units, "%d.%02d" truncated (2560 -> "10.00").
std::string HeldLevelText(int held);
// Its bar shows held / 256 (0..255): a line moves the held value by 26, a
// page by `page`, a drag sets thumb x 256; limited to 0..65535.
int HeldLevelAfterScroll(int held, int action, int thumb_position, int page);
int HeldLevelBarPosition(int held);
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
