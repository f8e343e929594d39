// SPDX-License-Identifier: MIT
#include "shell/ops/composite_op.h"

#include <algorithm>

#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {

CompositeJob CompositeJobFrom(SlotTable& slots, const CompositeSettings& composite) {
  CompositeJob job;
  for (int row = 0; row < kStackMax; ++row) {
    const int slot = composite.inputs[row];
    const bool chosen = slot >= 0 && slot < kSlotCount;
    job.images[row] = chosen ? &slots[slot] : nullptr;
    job.weights[row] = chosen ? composite.weights[row] : 0;
  }
  job.range_x = job.range_y = composite.range;
  job.mode = composite.mode;
  job.method = composite.method;
  job.normalise = composite.normalise != 0;
  // Noise removal and move mode only without a manual shift.
  const int option = composite.noise_option;
  if ((option != 1 && option != 2) || composite.shift_x != 0 || composite.shift_y != 0) {
    job.noise = -1;
  } else {
    job.noise = option == 2 ? composite.noise_level + 256 : composite.noise_level;
  }
  job.shift_x = composite.shift_x;
  job.shift_y = composite.shift_y;
  return job;
}

OpStatus RunCompositeInto(SlotTable& slots, const CompositeSettings& composite, Image& target,
                          AlignCheck checks[kStackMax], Progress* progress) {
  for (int row = 0; row < kStackMax; ++row) {
    const int input = composite.inputs[row];
    if (input >= 0 && input < kSlotCount) ExpandMonochrome(slots[input]);
  }
  CompositeJob job = CompositeJobFrom(slots, composite);
  job.progress = progress;
  return CompositeAuto(job, target, checks);
}

std::string AlignmentWarning(const SlotTable& slots, const CompositeSettings& composite,
                             const AlignCheck checks[kStackMax]) {
  std::string lines;
  for (int row = 0; row < kStackMax; ++row) {
    const int slot = composite.inputs[row];
    if (slot < 0 || slot >= kSlotCount) continue;
    const std::string input = SlotListText(slot, slots[slot].name);
    if (checks[row].on_edge) lines += FormatText(kMsgAlignOnEdge, input) + "\n";
    if (checks[row].poor_match) lines += FormatText(kMsgAlignPoorMatch, input) + "\n";
  }
  return lines.empty() ? "" : FormatText(kMsgAlignmentDoubtful, lines);
}

void CmdCompositeAuto(AppState& app, UiPort& ui) {
  if (!EditSettings(app, ui, kCmdCompositeAuto)) return;
  OpStatus status;
  int slot;
  AlignCheck checks[kStackMax];
  {
    WaitCursor wait(ui);
    ProgressScope progress(ui);
    slot = FindFreeSlot(app.slots);
    status = slot < 0 ? kOpNoMemory
                      : RunCompositeInto(app.slots, app.settings.composite, app.slots[slot], checks, progress.get());
  }
  if (slot < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return;
  }
  if (status == kOpNoMemory) ui.ShowMessage(kBoxError, kMsgNoMemory);
  if (status == kOpTooFewInputs) ui.ShowMessage(kBoxError, kMsgTooFewImages);
  if (status != kOpMade) return;
  MarkNewComposite(app.slots[slot]);
  app.slots.current = slot;
  ui.Repaint();
  // After the stack is on the screen, so the user sees what is meant.
  const std::string warning = AlignmentWarning(app.slots, app.settings.composite, checks);
  if (!warning.empty()) ui.ShowMessage(kBoxMessage, warning);
}

int WeightAfterScroll(int weight, int action, int thumb_position) {
  return ScrollStep(std::clamp(weight, 0, 100), action, thumb_position, 0, 100, 10);
}

int WeightFromText(const std::string& text) { return EditValue(text, false); }

int WeightBarPosition(int weight) { return std::clamp(weight, 0, 100); }

int CompareRangeFromText(const std::string& text) { return std::max(EditValue(text, false), 1); }

int NoiseOptionAfterClick(int option, int clicked) { return option == clicked ? 0 : clicked; }

void AcceptCompositeDialog(CompositeSettings& composite, const std::string row_texts[4], int noise_level,
                           int shift_x, int shift_y) {
  for (int row = 0; row < 4; ++row) composite.inputs[row] = SlotFromListText(row_texts[row]);
  composite.noise_level = std::clamp(noise_level, 0, 255);
  composite.shift_x = shift_x;
  composite.shift_y = shift_y;
}

}  // namespace tavo
