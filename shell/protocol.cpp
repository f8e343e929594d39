// SPDX-License-Identifier: MIT
#include "shell/protocol.h"

#include <utility>

#include "settings/settings_file.h"
#include "shell/messages.h"

namespace tavo {
namespace {

// The undo side of an image, kept aside while an operation runs so that a
// failed one can put it back.
struct UndoSide {
  Plane r, g, b;
  int width = 0, height = 0, monochrome = 0;

  void Take(Image& image) {
    r = std::move(image.undo_r);
    g = std::move(image.undo_g);
    b = std::move(image.undo_b);
    width = image.undo_width;
    height = image.undo_height;
    monochrome = image.undo_monochrome;
  }
  void Restore(Image& image) {
    image.undo_r = std::move(r);
    image.undo_g = std::move(g);
    image.undo_b = std::move(b);
    image.undo_width = width;
    image.undo_height = height;
    image.undo_monochrome = monochrome;
  }
};

}  // namespace

bool EditSettings(AppState& app, UiPort& ui, int dialog_id) {
  const bool accepted = ui.EditSettings(dialog_id);
  ClampSettings(app.settings);
  return accepted;
}

bool RunInPlaceConfirmed(AppState& app, UiPort& ui, InPlaceRun run) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return false;
  OpStatus status = kOpNoMemory;
  {
    WaitCursor wait(ui);
    ProgressScope progress(ui);
    UndoSide previous;
    previous.Take(*image);
    app.progress = progress.get();
    if (SnapshotUndo(*image)) status = run(app, *image);
    app.progress = nullptr;
    if (status == kOpCancelled) {
      // Stopped part way: the snapshot just taken is the image as it was.
      image->r = std::move(image->undo_r);
      image->g = std::move(image->undo_g);
      image->b = std::move(image->undo_b);
      image->width = image->undo_width;
      image->height = image->undo_height;
      image->monochrome = image->undo_monochrome;
      previous.Restore(*image);
      return false;
    }
    if (status == kOpNoMemory) {
      previous.Restore(*image);
    } else {
      MarkInPlaceChange(*image);
    }
  }
  // The box comes after the wait cursor is gone.
  if (status == kOpNoMemory) {
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
  if (dialog_id != 0 && !EditSettings(app, ui, dialog_id)) return false;
  return RunInPlaceConfirmed(app, ui, run);
}

}  // namespace tavo
