// SPDX-License-Identifier: MIT
// shell/stack_dialogs.h - what the "Composite(Auto)" and the quadratic
// background dialogs do with their controls, kept free of any toolkit so a
// front end only wires widgets to these functions. Both dialogs edit the
// settings in place as controls change (Cancel keeps those edits); the
// image rows, the noise level and the shifts (composite) are stored on OK.
#pragma once
#include <string>
#include <vector>

#include "batch/settings.h"
#include "core/slots.h"
#include "shell/dialog_scroll.h"

namespace tavo {

// Entries of each image list: an empty one first, then "%02d(%s)" (slot
// index, name) for every slot holding an image, in slot order.
std::vector<std::string> ImageListEntries(const SlotTable& slots);
// Slot a list text names: the decimal number before "("; -1 for an empty
// text or one that does not start with a digit.
int SlotFromListText(const std::string& text);
// Entry to preselect for a row that holds `slot`: the entry naming it, or
// 0 (the empty entry) when none does.
int ListIndexForSlot(const std::vector<std::string>& entries, int slot);

// Whole numbers as the dialogs' edits read them: optional "-" (signed
// only), then digits; anything else ends the number; no digit gives 0.
// Values saturate at +-2147483647.
int EditValue(const std::string& text, bool is_signed);

// Weight bar 0..100: line +-1, page +-10, clamped; the thumb sets the
// position. A typed weight keeps the unsigned value typed; the bar shows
// it capped at 100.
int WeightAfterScroll(int weight, int action, int thumb_position);
int WeightFromText(const std::string& text);
int WeightBarPosition(int weight);

// Compare range as typed; below 1 becomes 1.
int CompareRangeFromText(const std::string& text);

// The two check boxes "ノイズ除去" (option 1) and "移動モード" (option 2)
// act as one setting: clicking the box of the current option clears it to
// 0, clicking the other one selects that one.
int NoiseOptionAfterClick(int option, int clicked);

// OK: each row's list text becomes its slot (-1 for none); the noise level
// is clamped to 0..255; the shifts are kept as typed (signed).
void AcceptCompositeDialog(CompositeSettings& composite, const std::string row_texts[4],
                           int noise_level, int shift_x, int shift_y);

// Quadratic background. Levels and the shift as typed, above 255 stored
// as 255.
int BackgroundLevelFromText(const std::string& text);
// Curve edit: digits up to "." (a non-digit before the point restarts the
// whole part at 0), then up to two digits after it (one digit is tenths);
// the value x 100 clamped to 100..300 ("2.5" -> 250, "3.5" -> 300, "" -> 100).
int CurveFromText(const std::string& text);
// "%d.%02d" of a curve value (250 -> "2.50").
std::string CurveText(int curve);
// Curve bar 0..200 for values 100..300: line +-1, page +-20, the thumb
// position + 100.
int CurveAfterScroll(int curve, int action, int thumb_position);
int CurveBarPosition(int curve);

// OK: every level and the shift into 0..255; a channel whose centre level
// is not above its periphery level gets centre = periphery + 1, and a
// periphery of 255 first steps down to 254 so that the centre stays 255 or
// below.
void AcceptBackgroundDialog(Back2Settings& back2);

}  // namespace tavo
