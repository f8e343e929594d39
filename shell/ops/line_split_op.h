// SPDX-License-Identifier: MIT
// shell/ops/line_split_op.h - odd/even line separation (command 320): the
// rows of each field of the current image, doubled, into two new images.
#pragma once
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Rows 0, 2, 4, ... into a free slot, then rows 1, 3, 5, ... into the next
// one, which becomes current. A missing slot shows "これ以上、新たな画像を
// 作れません！" and ends the command (a first result stays). The current
// image and its undo state are not touched.
void CmdLineSplit(AppState& app, UiPort& ui);

}  // namespace tavo
