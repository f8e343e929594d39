// SPDX-License-Identifier: MIT
#include "shell/ops/background_image_op.h"

#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "stack/background_image.h"

namespace tavo {
namespace {

bool BackgroundChosen(const AppState& app) {
  const int slot = app.settings.back1.slot;
  return slot >= 0 && slot < kSlotCount && !app.slots[slot].Empty();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

OpStatus RunBackgroundImageOn(AppState& app, Image& image) {
  if (!BackgroundChosen(app)) return kOpNothingToDo;
  const Back1Settings& b = app.settings.back1;
  const int mode = b.mode == kBackgroundImageSubtract ? kBackgroundImageSubtract : kBackgroundImageDivide;
  return ApplyImageBackground(image, mode, app.slots[b.slot], b.shift);
}

void CmdBackgroundImage(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (!EditSettings(app, ui, kCmdBackgroundImage)) return;
  if (!BackgroundChosen(app)) {
    ui.ShowMessage(kBoxError, kMsgNoImageChosen);
    return;
  }
  RunInPlaceConfirmed(app, ui, RunBackgroundImageOn);
}

int BackgroundSlotFromListText(const std::string& text) {
  if (text.size() < 2 || !IsDigit(text[0]) || !IsDigit(text[1])) return 100;
  return (text[0] - '0') * 10 + (text[1] - '0');
}

}  // namespace tavo
