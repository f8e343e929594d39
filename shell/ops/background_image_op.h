// SPDX-License-Identifier: MIT
// shell/ops/background_image_op.h - background correction with another
// image as the background (command 307) and the logic of its dialog.
#pragma once
#include <string>

#include "core/status.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// The correction of `image` by the "back1" settings: mode 3 divides, 4
// subtracts and adds the shift (8-bit units) back. kOpNothingToDo when the
// background slot holds no image.
OpStatus RunBackgroundImageOn(AppState& app, Image& image);

// Command 307: headroom check, the dialog, a background slot that holds an
// image (else "画像が選択されていません！"), then the in-place protocol.
void CmdBackgroundImage(AppState& app, UiPort& ui);

// The dialog's list text as a slot: its first two characters as a
// two-digit number; 100 (none) for anything else.
int BackgroundSlotFromListText(const std::string& text);

}  // namespace tavo
