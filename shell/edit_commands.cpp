// SPDX-License-Identifier: MIT
// Undo, redo, copy, moving between images, exit and the version box.
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"

namespace tavo {

void CmdUndo(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr || image->undo_available != 1) return;
  SwapUndo(*image);
  image->undo_available = 0;
  image->redo_available = 1;
  MarkStatsStale(*image);
  image->changed = image->undo_changed;
  ui.Repaint();
}

void CmdRedo(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr || image->redo_available != 1) return;
  SwapUndo(*image);
  image->undo_available = 1;
  image->redo_available = 0;
  MarkStatsStale(*image);
  image->undo_changed = image->changed;
  image->changed = 1;
  ui.Repaint();
}

void CmdCopy(AppState& app, UiPort& ui) {
  Image* source = CurrentImage(app);
  if (source == nullptr) return;
  const int slot = FindFreeSlot(app.slots);
  if (slot < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return;
  }
  Image& copy = app.slots[slot];
  if (!DuplicateImage(*source, copy)) {
    ClearSlot(app.slots, slot);
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  MarkNewCopy(copy);
  app.slots.current = slot;
  ui.Repaint();
}

void SelectNextImage(AppState& app, UiPort& ui) {
  app.slots.current = NextOpenSlot(app.slots, app.slots.current);
  ui.Repaint();
}

void SelectPreviousImage(AppState& app, UiPort& ui) {
  app.slots.current = PreviousOpenSlot(app.slots, app.slots.current);
  ui.Repaint();
}

void CmdExit(AppState& app, UiPort& ui) {
  if (ConfirmExit(app, ui)) app.quit_requested = true;
}

void CmdVersion(AppState& app, UiPort& ui) {
  (void)app;
  ui.ShowMessage(kBoxAbout, kMsgVersion);
}

}  // namespace tavo
