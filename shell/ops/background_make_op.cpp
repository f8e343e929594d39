// SPDX-License-Identifier: MIT
#include "shell/ops/background_make_op.h"

#include <algorithm>

#include "shell/batch_run.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "stack/background_image.h"

namespace tavo {
namespace {

// A bar of low..high moved by `line` or `page`, the thumb rounded down to
// a multiple of `line`.
int SteppedBar(int value, int action, int thumb, int low, int high, int line, int page) {
  int v = std::clamp(value, low, high);
  switch (action) {
    case kScrollLineLeft: v -= line; break;
    case kScrollLineRight: v += line; break;
    case kScrollPageLeft: v -= page; break;
    case kScrollPageRight: v += page; break;
    case kScrollTrack: v = thumb / line * line; break;
    default: break;
  }
  return std::clamp(v, low, high);
}

}  // namespace

OpStatus GenerateBackground(SlotTable& slots, int source, int target, int intermediate, const Back3Settings& back3,
                            Progress* progress) {
  BackgroundDataParams p{back3.detect, back3.average, back3.exclude_zero, progress};
  if (back3.two_pass != 1) return MakeBackgroundData(slots[source], slots[target], p);
  p.area = back3.detect / 2;
  ProgressPart first(progress, 0.0, 0.5), second(progress, 0.5, 1.0);
  p.progress = first.get();
  OpStatus status = MakeBackgroundData(slots[source], slots[intermediate], p);
  p.progress = second.get();
  if (status == kOpMade) status = MakeBackgroundData(slots[intermediate], slots[target], p);
  ClearSlot(slots, intermediate);
  return status;
}

OpStatus CorrectByGenerated(Image& image, const Image& background, const Back3Settings& back3) {
  switch (back3.correction) {
    case 1: return ApplyImageBackground(image, kBackgroundImageDivide, background, 0);
    case 2: return ApplyImageBackground(image, kBackgroundImageSubtract, background, back3.shift);
    default: return kOpNothingToDo;
  }
}

void CmdBackgroundMake(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (!EditSettings(app, ui, kCmdBackgroundMake)) return;
  const Back3Settings& back3 = app.settings.back3;
  const int target = FindFreeSlot(app.slots);
  if (target < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return;
  }
  int intermediate = -1;
  if (back3.two_pass == 1) {
    // The background slot is held by giving it the image's size, so that
    // the search for a second slot passes it by.
    if (!AllocateImagePlanes(app.slots[target], image->width, image->height, true)) {
      ui.ShowMessage(kBoxError, kMsgNoMemory);
      return;
    }
    intermediate = FindFreeSlot(app.slots);
    if (intermediate < 0) {
      ClearSlot(app.slots, target);
      ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
      return;
    }
  }
  OpStatus status;
  {
    WaitCursor wait(ui);
    ProgressScope progress(ui);
    status = GenerateBackground(app.slots, app.slots.current, target, intermediate, back3, progress.get());
    if (status == kOpMade && back3.correction != 0) {
      status = SnapshotUndo(*image) ? CorrectByGenerated(*image, app.slots[target], back3) : kOpNoMemory;
      if (status == kOpMade) MarkInPlaceChange(*image);
      ClearSlot(app.slots, target);
    }
  }
  if (status != kOpMade) {
    ClearSlot(app.slots, target);
    if (status != kOpCancelled) ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (back3.correction == 0) {
    MarkNewDerived(app.slots[target]);
    app.slots.current = target;
  }
  ui.Repaint();
}

OpStatus StepBackgroundMake(BatchRun& run) {
  SlotTable& slots = run.app.slots;
  const Back3Settings& back3 = run.app.settings.back3;
  const int target = run.next_free;
  if (target + 1 >= kSlotCount || slots[run.current].Empty()) return kOpTooFewInputs;
  ClearSlot(slots, target);
  ClearSlot(slots, target + 1);
  OpStatus status = GenerateBackground(slots, run.current, target, target + 1, back3);
  if (status == kOpMade && back3.correction != 0) {
    status = CorrectByGenerated(slots[run.current], slots[target], back3);
  }
  return status;
}

int DetectAreaAfterScroll(int area, int action, int thumb_position) {
  return SteppedBar(area, action, thumb_position, 8, 256, 8, 32);
}

int DetectAreaFromText(const std::string& text) { return std::clamp(EditValue(text, false), 8, 256); }

int AverageAreaAfterScroll(int area, int action, int thumb_position) {
  return SteppedBar(area, action, thumb_position, 2, 16, 2, 4);
}

int AverageAreaFromText(const std::string& text) { return std::clamp(EditValue(text, false), 2, 16); }

}  // namespace tavo
