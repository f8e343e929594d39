// SPDX-License-Identifier: MIT
#include "shell/ops/line_split_op.h"

#include "filters/line_split.h"
#include "shell/messages.h"

namespace tavo {

void CmdLineSplit(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  const int source = app.slots.current;
  for (const int field : {kFieldRowsFromZero, kFieldRowsFromOne}) {
    const int slot = FindFreeSlot(app.slots);
    if (slot < 0) {
      ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
      break;
    }
    OpStatus status;
    {
      WaitCursor wait(ui);
      status = ApplyLineSplit(app.slots[source], app.slots[slot], {field});
    }
    if (status != kOpMade) {
      ui.ShowMessage(kBoxError, kMsgNoMemory);
      break;
    }
    MarkNewDerived(app.slots[slot]);
    if (field == kFieldRowsFromOne) app.slots.current = slot;
  }
  ui.Repaint();
}

}  // namespace tavo
