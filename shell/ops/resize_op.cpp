// SPDX-License-Identifier: MIT
#include "shell/ops/resize_op.h"

#include <algorithm>

#include "shell/batch_run.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {

ResizeParams ResizeParamsFrom(const ResizeSettings& r) {
  ResizeParams p;
  p.x_from = r.x_from;
  p.y_from = r.y_from;
  p.x_to = r.x_to < 0 ? r.x_from : r.x_to;
  p.y_to = r.y_to < 0 ? r.y_from : r.y_to;
  switch (r.method) {
    case kResizeNearest:
    case kResizeBilinear: p.method = r.method; break;
    case 2: p.method = p.x_from <= p.x_to && p.y_from <= p.y_to ? kResizeLanczos : kResizeBilinear; break;
    default: p.method = kResizeLanczos; break;
  }
  return p;
}

bool ResizeSizesUsable(const ResizeSettings& r) {
  const ResizeParams p = ResizeParamsFrom(r);
  for (const int v : {p.x_from, p.x_to, p.y_from, p.y_to}) {
    if (v < 0 || v > kResizeSizeMax) return false;
  }
  return true;
}

OpStatus RunResizeOn(AppState& app, Image& image) { return ApplyResize(image, ResizeParamsFrom(app.settings.resize)); }

void CmdResize(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  ResizeSettings& r = app.settings.resize;
  r.x_from = image->width;
  r.y_from = image->height;
  if (!EditSettings(app, ui, kCmdResize)) return;
  if (!ResizeSizesUsable(r)) {
    ui.ShowMessage(kBoxError, kMsgBadSize);
    return;
  }
  RunInPlaceConfirmed(app, ui, RunResizeOn);
}

void OpenResizeDialog(ResizeSettings& r) {
  r.x_to = r.x_from;
  r.y_to = r.y_from;
}

void TypeResizeTo(ResizeSettings& r, bool y_axis, const std::string& text) {
  const int v = std::max(EditValue(text, true), 0);
  if (y_axis) {
    r.y_to = v;
    if (r.keep_aspect == 1) r.x_to = KeepAspectTo(v, r.y_from, r.x_from);
  } else {
    r.x_to = v;
    if (r.keep_aspect == 1) r.y_to = KeepAspectTo(v, r.x_from, r.y_from);
  }
}

void TypeResizeFrom(ResizeSettings& r, bool y_axis, const std::string& text) {
  (y_axis ? r.y_from : r.x_from) = std::max(EditValue(text, true), 0);
}

CropResizeParams CropParamsFrom(const CutSettings& c) {
  return {c.anchor, c.width, c.height, c.scale_mode, c.out_width, c.out_height, c.scale};
}

int CropValueFromText(const std::string& text) { return EditValue(text, true); }

void CmdCropResize(AppState& app, UiPort& ui) {
  Image* source = CurrentImage(app);
  if (source == nullptr) return;
  const int slot = FindFreeSlot(app.slots);
  if (slot < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return;
  }
  if (!EditSettings(app, ui, kCmdCropResize)) return;
  OpStatus status;
  {
    WaitCursor wait(ui);
    status = ApplyCropResize(*source, app.slots[slot], CropParamsFrom(app.settings.cut));
  }
  if (status == kOpNoMemory) ui.ShowMessage(kBoxError, kMsgNoMemory);
  if (status != kOpMade) return;
  MarkNewCopy(app.slots[slot]);
  app.slots.current = slot;
  ui.Repaint();
}

OpStatus StepCropResize(BatchRun& run) {
  const Image& source = run.app.slots[run.current];
  if (source.Empty()) return kOpTooFewInputs;
  if (run.next_free >= kSlotCount) return kOpNoMemory;
  Image& target = run.app.slots[run.next_free];
  const OpStatus status = ApplyCropResize(source, target, CropParamsFrom(run.app.settings.cut));
  if (status != kOpMade) return status;
  run.current = run.next_free++;
  run.app.slots.current = run.current;
  return kOpMade;
}

}  // namespace tavo
