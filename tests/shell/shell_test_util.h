// SPDX-License-Identifier: MIT
// tests/shell/shell_test_util.h - application states with images in chosen
// slots, for the shell tests.
#pragma once
#include <memory>
#include <string>
#include <utility>

#include "shell/app_state.h"
#include "tests/test_images.h"

namespace tavo {

// A fresh state as at start-up (heap: the slot table is large).
inline std::unique_ptr<AppState> NewApp() {
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  return app;
}

// Puts `image` into `slot` with `name` and makes it current.
inline Image& PutImage(AppState& app, int slot, Image image, const std::string& name = "") {
  app.slots[slot] = std::move(image);
  app.slots[slot].name = name;
  app.slots.current = slot;
  return app.slots[slot];
}

// Fills every slot from `first` on with a 1 x 1 image.
inline void FillSlots(AppState& app, int first) {
  for (int i = first; i < kSlotCount; ++i) app.slots[i] = MakeFlatImage(1, 1, 0);
}

}  // namespace tavo
