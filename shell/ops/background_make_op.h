// SPDX-License-Identifier: MIT
// shell/ops/background_make_op.h - background generation (command 3071,
// batch step 5): the background of the current image made into a new slot,
// optionally in two passes, then kept or applied at once; and the logic
// of its dialog "Make background".
#pragma once
#include <string>

#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

struct BatchRun;  // shell/batch_run.h

// The background of slot `source` into slot `target` with the "back3"
// settings. Two passes (`intermediate` a free slot): half the detection
// area from the source into `intermediate`, then from there into
// `target`; `intermediate` is cleared afterwards. kOpNoMemory, or
// kOpCancelled when stopped through `progress` (may be null), with
// `target` as it was.
OpStatus GenerateBackground(SlotTable& slots, int source, int target, int intermediate, const Back3Settings& back3,
                            Progress* progress = nullptr);

// Correction 1 divides `image` by `background` (shift 0), 2 subtracts it
// and adds the shift back; 0 leaves the image alone (kOpNothingToDo).
OpStatus CorrectByGenerated(Image& image, const Image& background, const Back3Settings& back3);

// Command 3071.
void CmdBackgroundMake(AppState& app, UiPort& ui);

// Batch step 5: the background into the first free slot of the run (two
// passes through the slot after it), then the correction of the current
// image; the current image and the background slot stay.
OpStatus StepBackgroundMake(BatchRun& run);

// Detection area bar 8..256: line +-8, page +-32, the thumb rounded down
// to a multiple of 8; typed values clamped to 8..256.
int DetectAreaAfterScroll(int area, int action, int thumb_position);
int DetectAreaFromText(const std::string& text);
// Averaging area bar 2..16: line +-2, page +-4, the thumb rounded down to
// an even number; typed values clamped to 2..16.
int AverageAreaAfterScroll(int area, int action, int thumb_position);
int AverageAreaFromText(const std::string& text);

}  // namespace tavo
