// SPDX-License-Identifier: MIT
// shell/ops/composite_op.h - the composite with automatic alignment: the
// menu command, the run shared with the batch, and the logic of its dialog
// "Composite(Auto)" (weights, compare range, the noise options; the image
// rows, the noise level and the shifts are stored on OK, everything else as
// the controls change, so Cancel keeps those edits).
#pragma once
#include <string>

#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"
#include "stack/composite_auto.h"

namespace tavo {

// The job for `composite` (its chosen slots and weights; a row without a
// slot is empty).
CompositeJob CompositeJobFrom(SlotTable& slots, const CompositeSettings& composite);

// The composite of `composite` into `target`; black-and-white inputs are
// expanded first. The target stays empty unless kOpMade. `checks` (may be
// null) receives the search's check of each dialog row; `progress` (may be
// null) hears how far it is and may stop it (kOpCancelled).
OpStatus RunCompositeInto(SlotTable& slots, const CompositeSettings& composite, Image& target,
                          AlignCheck checks[kStackMax] = nullptr, Progress* progress = nullptr);

// Command 302: the dialog, a free slot, the composite; the new image
// becomes current. Fewer than two usable images: the message composite by
// points gives. Once the stack is shown, one message names every input
// whose alignment is doubtful (AlignCheck) and suggests a larger range.
void CmdCompositeAuto(AppState& app, UiPort& ui);

// The text of that message, "" when every input is sound.
std::string AlignmentWarning(const SlotTable& slots, const CompositeSettings& composite,
                             const AlignCheck checks[kStackMax]);

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

}  // namespace tavo
