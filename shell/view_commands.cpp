// SPDX-License-Identifier: MIT
// View menu: zoom, area copy, image select and display settings.
#include <cstdio>
#include <cstdlib>

#include "shell/command_handlers.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/protocol.h"
#include "shell/image_window.h"
#include "shell/view.h"
#include "shell/view_dialogs.h"

namespace tavo {

std::vector<ImageSelectEntry> ImageSelectEntries(const AppState& app) {
  std::vector<ImageSelectEntry> entries;
  for (int i = 0; i < kSlotCount; ++i) {
    if (!app.slots[i].Empty()) entries.push_back({i, SlotListText(i, app.slots[i].name)});
  }
  return entries;
}

int ImageSelectSlot(const std::vector<ImageSelectEntry>& entries, int row) {
  if (entries.empty()) return -1;
  if (row < 0 || row >= static_cast<int>(entries.size())) row = static_cast<int>(entries.size()) - 1;
  // The list text is what the user picked; its leading number names the slot.
  return std::atoi(entries[static_cast<size_t>(row)].text.c_str());
}

int DisplayScaleFromBits(int bits) {
  if (bits < kDisplayBitsMin) bits = kDisplayBitsMin;
  if (bits > kDisplayBitsMax) bits = kDisplayBitsMax;
  return 1 << (16 - bits);
}

int DisplayBitsFromScale(int scale) {
  int log2 = 0;
  while (scale > 1) {
    scale >>= 1;
    ++log2;
  }
  const int bits = 16 - log2;
  return bits < kDisplayBitsMin ? kDisplayBitsMin : bits > kDisplayBitsMax ? kDisplayBitsMax : bits;
}

void CmdZoomIn(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  image->zoom = ZoomStepIn(image->zoom);
  image->stats_refresh = 1;  // planes unchanged: nothing to recount
  ui.Repaint();
}

void CmdZoomOut(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  image->zoom = ZoomStepOut(image->zoom);
  image->stats_refresh = 1;  // planes unchanged: nothing to recount
  ui.Repaint();
}

void CmdAreaCopy(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  ArmAreaSelection(app);
  ui.Repaint();
}

void CmdImageSelect(AppState& app, UiPort& ui) {
  const std::vector<ImageSelectEntry> entries = ImageSelectEntries(app);
  app.image_select_row = -1;
  if (!EditSettings(app, ui, kCmdImageSelect)) return;
  const int slot = ImageSelectSlot(entries, app.image_select_row);
  if (slot < 0 || slot >= kSlotCount || app.slots[slot].Empty()) return;
  app.slots.current = slot;
  ui.Repaint();
}

void CmdDisplayMode(AppState& app, UiPort& ui) {
  (void)app;  // the dialog edits app.settings.display itself
  if (!EditSettings(app, ui, kCmdDisplayMode)) return;
  ui.Repaint();
}

}  // namespace tavo
