// SPDX-License-Identifier: MIT
// Composite and quadratic background commands.
#include "batch/op_params.h"
#include "engine/operations.h"
#include "shell/command_handlers.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "shell/stack_dialogs.h"

namespace tavo {

void CmdCompositeAuto(AppState& app, UiPort& ui) {
  if (!ui.EditSettings(302)) return;
  ui.SetWaitCursor(true);
  const int slot = FindFreeSlot(app.slots);
  if (slot < 0) {
    ui.SetWaitCursor(false);
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return;
  }
  const CompositeSettings& composite = app.settings.composite;
  int usable = 0;
  for (int row = 0; row < 4; ++row) {
    const int input = composite.inputs[row];
    if (input >= 0 && input < kSlotCount && !app.slots[input].Empty() && composite.weights[row] > 0) ++usable;
  }
  Image& made = app.slots[slot];
  RunCompositeWith(app.slots, composite, made);
  ui.SetWaitCursor(false);
  if (made.Empty()) {
    // Fewer than two images chosen leaves nothing to make; with enough
    // images only the canvas or the search buffers can have failed.
    if (usable >= 2) ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  MarkNewComposite(made);
  app.slots.current = slot;
  ui.Repaint();
}

void CmdBackgroundQuad(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (!ui.EditSettings(306)) return;
  // The dialog's OK rule, applied here as well so that every front end
  // (also one that confirms without showing the dialog) runs with it.
  AcceptBackgroundDialog(app.settings.back2);
  const Back2Settings& back2 = app.settings.back2;
  if (back2.levels[1] == 0 && back2.levels[3] == 0 && back2.levels[5] == 0) {
    app.capture.mode = 1;  // nothing to correct yet: the next click picks the centre
    return;
  }
  const bool ran = RunInPlaceConfirmed(app, ui, [](AppState& state, Image& image) {
    ParamBlock params;
    FillBack2Params(state.settings.back2, params);
    RunOperation(state.slots, image, kOpBackground, params);
  });
  if (ran) app.capture.mode = 0;
}

void CmdCaptureCentre(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  app.capture.mode = 1;
  ui.ShowMessage(kBoxMessage, kMsgPickCentreBackground);
}

void CmdCaptureCorner(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  app.capture.mode = 2;
  ui.ShowMessage(kBoxMessage, kMsgPickCornerBackground);
}

}  // namespace tavo
