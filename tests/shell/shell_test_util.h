// SPDX-License-Identifier: MIT
// tests/shell/shell_test_util.h - application states with images in chosen
// slots, a fixture with a scripted front end and a folder of small PPM
// files, and message texts filled in independently of the shell.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "io/pnm.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
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

// {changed, undo_available, redo_available, stats_refresh, monochrome}.
inline std::vector<int> Flags(const Image& i) {
  return {i.changed, i.undo_available, i.redo_available, i.stats_refresh, i.monochrome};
}
// The texts of the boxes shown, in order.
inline std::vector<std::string> Texts(const FakeUi& ui) {
  std::vector<std::string> texts;
  for (const ShownBox& box : ui.boxes) texts.push_back(box.text);
  return texts;
}
using Strings = std::vector<std::string>;

// A message constant with its %d / %s filled in by printf itself.
inline const char* MsgArg(const std::string& s) { return s.c_str(); }
inline int MsgArg(int v) { return v; }
template <typename... A>
std::string Msg(const char* format, const A&... args) {
  char text[2048];
  std::snprintf(text, sizeof text, format, MsgArg(args)...);
  return text;
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // Writes a w x h PPM whose samples are all `value` and returns its path.
  std::string MakePpm(const std::string& name, int w = 3, int h = 2, uint16_t value = 1000) {
    WritePnm(Path(name), MakeFlatImage(w, h, value), false);
    return Path(name);
  }
  void Open(const std::string& path) {
    ui_.files.push_back({true, path, 0});
    RunCommand(*app_, ui_, kCmdOpen);
  }
  void Run(int id) { RunCommand(*app_, ui_, id); }
  Image& Slot(int i) { return app_->slots[i]; }
  const ShownBox& LastBox() const { return ui_.boxes.back(); }

  std::unique_ptr<AppState> app_ = NewApp();
  FakeUi ui_;
  std::string dir_;
};

}  // namespace tavo
