// SPDX-License-Identifier: MIT
// tests/shell/shell_fixture.h - an application state, a scripted front end
// and a folder of small PPM files for shell tests.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "io/pnm.h"
#include "shell/app_state.h"
#include "shell/commands.h"
#include "tests/fake_ui.h"
#include "tests/test_images.h"

namespace tavo {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppState(*app_);
    dir_ = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // Writes a w x h PPM whose samples are all `value` and returns its path.
  std::string MakePpm(const std::string& name, int w = 3, int h = 2, uint16_t value = 1000) {
    const Image img = MakeFlatImage(w, h, value);
    WritePnm(Path(name), img, false);
    return Path(name);
  }
  // Opens through the open command with a scripted dialog.
  void Open(const std::string& path) {
    ui_.files.push_back({true, path, 0});
    RunCommand(*app_, ui_, 101);
  }
  Image& Slot(int i) { return app_->slots[i]; }

  std::unique_ptr<AppState> app_ = std::make_unique<AppState>();
  FakeUi ui_;
  std::string dir_;
};

}  // namespace tavo
