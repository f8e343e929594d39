// SPDX-License-Identifier: MIT
#include "shell/ops/composite_points_op.h"

#include <cstring>

#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {
namespace {

bool HoldsImage(const AppState& app, int slot) {
  return slot >= 0 && slot < kSlotCount && !app.slots[slot].Empty();
}

MarkedPoints MarksOf(const int row[4]) { return {row[0], row[1], row[2], row[3]}; }

// A free slot, the composite `make` into it, the new image current. False
// with the message shown when there was no slot or no memory.
template <typename Make>
bool MakeIntoFreeSlot(AppState& app, UiPort& ui, Make make) {
  OpStatus status = kOpNoMemory;
  int slot;
  {
    WaitCursor wait(ui);
    slot = FindFreeSlot(app.slots);
    if (slot >= 0) status = make(app.slots[slot]);
  }
  if (slot < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return false;
  }
  if (status == kOpNoMemory) ui.ShowMessage(kBoxError, kMsgNoMemory);
  // Rows chosen with a weight of 0 can leave fewer than two inputs.
  if (status == kOpTooFewInputs) ui.ShowMessage(kBoxError, kMsgTooFewImages);
  if (status != kOpMade) return false;
  MarkNewComposite(app.slots[slot]);
  app.slots[slot].monochrome = 0;
  app.slots.current = slot;
  ui.Repaint();
  return true;
}

void ClearRuleB(int points[4][4], bool rule_ran) {
  if (!rule_ran) return;
  for (int r = 0; r < 4; ++r) points[r][2] = points[r][3] = 0;
}

}  // namespace

void MarkedPointsRow(const Image& image, int row[4]) {
  const int* xs[2] = {&image.point_a_x, &image.point_b_x};
  const int* ys[2] = {&image.point_a_y, &image.point_b_y};
  for (int p = 0; p < 2; ++p) {
    const bool marked = *xs[p] >= 0 && *ys[p] >= 0;
    row[2 * p] = marked ? *xs[p] : 0;
    row[2 * p + 1] = marked ? image.height - 1 - *ys[p] : 0;
  }
}

void FillPointRowFromSlot(AppState& app, int row, int slot) {
  if (row < 0 || row >= 4 || !HoldsImage(app, slot)) return;
  MarkedPointsRow(app.slots[slot], app.settings.composite.points[row]);
}

bool ApplyPointRule(int points[4][4], const bool chosen[4]) {
  bool any_b_unset = false;
  for (int r = 0; r < 4; ++r) {
    int* p = points[r];
    if (p[0] == p[2] && p[1] == p[3]) p[2] = p[3] = 0;
    if (chosen[r] && p[2] == 0 && p[3] == 0) any_b_unset = true;
  }
  if (!any_b_unset) return false;
  for (int r = 0; r < 4; ++r) {
    points[r][2] = points[r][0] + 100;
    points[r][3] = points[r][1] + 100;
  }
  return true;
}

void CmdCompositePoints(AppState& app, UiPort& ui) {
  if (!EditSettings(app, ui, kCmdCompositePoints)) return;
  CompositeSettings& c = app.settings.composite;
  bool chosen[4];
  int count = 0;
  for (int r = 0; r < 4; ++r) {
    chosen[r] = HoldsImage(app, c.inputs[r]);
    if (!chosen[r]) continue;
    ExpandMonochrome(app.slots[c.inputs[r]]);
    ++count;
  }
  if (count < 2) {
    ui.ShowMessage(kBoxError, kMsgTooFewImages);
    return;
  }
  bool rule_ran = false;
  MakeIntoFreeSlot(app, ui, [&](Image& target) {
    rule_ran = ApplyPointRule(c.points, chosen);
    PointCompositeJob job;
    for (int r = 0; r < 4; ++r) {
      job.images[r] = chosen[r] ? &app.slots[c.inputs[r]] : nullptr;
      job.weights[r] = chosen[r] ? c.weights[r] : 0;
      job.points[r] = MarksOf(c.points[r]);
    }
    job.mode = c.mode;
    job.normalise = c.normalise != 0;
    const bool shifted = c.shift_x != 0 || c.shift_y != 0;
    job.noise = (c.noise_option != 1 && c.noise_option != 2) || shifted ? -1
                : c.noise_option == 2                                   ? c.noise_level + 256
                                                                        : c.noise_level;
    job.shift_x = c.shift_x;
    job.shift_y = c.shift_y;
    return CompositeByPoints(job, target);
  });
  ClearRuleB(c.points, rule_ran);
}

void CmdLrgb(AppState& app, UiPort& ui) {
  if (!EditSettings(app, ui, kCmdLrgb)) return;
  const LrgbSettings& s = app.settings.lrgb;
  int (&points)[4][4] = app.settings.composite.points;
  if (!HoldsImage(app, s.l) || !HoldsImage(app, s.rgb)) {
    ui.ShowMessage(kBoxError, kMsgNoImageChosen);
    return;
  }
  ExpandMonochrome(app.slots[s.l]);
  ExpandMonochrome(app.slots[s.rgb]);
  MakeIntoFreeSlot(app, ui, [&](Image& target) {
    int rule_rows[4][4] = {};
    std::memcpy(rule_rows, points, sizeof(int) * 8);
    const bool chosen[4] = {true, true, false, false};
    ApplyPointRule(rule_rows, chosen);
    std::memcpy(points, rule_rows, sizeof(int) * 8);  // these B values stay
    LrgbJob job;
    job.images[0] = &app.slots[s.l];
    job.points[0] = MarksOf(points[0]);
    for (int r = 0; r < 4; ++r) job.weights[r] = 100;
    for (int r = 1; r < 4; ++r) {
      job.images[r] = &app.slots[s.rgb];
      job.points[r] = MarksOf(points[1]);
    }
    return CompositeLrgb(job, target);
  });
}

void CmdLrgbSeparate(AppState& app, UiPort& ui) {
  if (!EditSettings(app, ui, kCmdLrgbSeparate)) return;
  const LrgbSettings& s = app.settings.lrgb;
  CompositeSettings& c = app.settings.composite;
  bool chosen[4];
  for (int r = 0; r < 4; ++r) chosen[r] = HoldsImage(app, s.inputs[r]);
  if (!chosen[1] || !chosen[2] || !chosen[3]) {
    ui.ShowMessage(kBoxError, kMsgRgbNotChosen);
    return;
  }
  for (int r = 0; r < 4; ++r) {
    if (chosen[r]) ExpandMonochrome(app.slots[s.inputs[r]]);
  }
  bool rule_ran = false;
  MakeIntoFreeSlot(app, ui, [&](Image& target) {
    rule_ran = ApplyPointRule(c.points, chosen);
    LrgbJob job;
    for (int r = 0; r < 4; ++r) {
      job.images[r] = chosen[r] ? &app.slots[s.inputs[r]] : nullptr;
      job.weights[r] = chosen[r] ? c.weights[r] : 0;
      job.points[r] = MarksOf(c.points[r]);
    }
    return CompositeLrgb(job, target);
  });
  ClearRuleB(c.points, rule_ran);
}

}  // namespace tavo
