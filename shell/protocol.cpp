// SPDX-License-Identifier: MIT
#include "shell/protocol.h"

#include "shell/messages.h"

namespace tavo {

bool RunInPlaceConfirmed(AppState& app, UiPort& ui, InPlaceRun run) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return false;
  bool snapshot_taken;
  {
    WaitCursor wait(ui);
    snapshot_taken = SnapshotUndo(*image);
    if (snapshot_taken) {
      run(app, *image);
      MarkInPlaceChange(*image);
    }
  }
  // The box comes after the wait cursor is gone.
  if (!snapshot_taken) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return false;
  }
  ui.Repaint();
  return true;
}

bool RunInPlace(AppState& app, UiPort& ui, int dialog_id, InPlaceRun run) {
  if (CurrentImage(app) == nullptr) return false;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return false;
  }
  if (dialog_id != 0 && !ui.EditSettings(dialog_id)) return false;
  return RunInPlaceConfirmed(app, ui, run);
}

}  // namespace tavo
