// SPDX-License-Identifier: MIT
// The composite command, the background captures and the quadratic
// background command.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "shell/background_capture.h"
#include "shell/ops/background_quad_op.h"
#include "shell/ops/composite_op.h"
#include "stack/background_quad.h"
#include "tests/shell/shell_test_util.h"
#include "tests/stack/star_field.h"

namespace tavo {
namespace {

void Choose(AppState& app, int a, int b) {
  int* in = app.settings.composite.inputs;
  in[0] = a;
  in[1] = b;
  in[2] = in[3] = -1;
}

TEST(CompositeJobFrom, RowsWithoutSlotAndTheNoiseOption) {
  auto slots = std::make_unique<SlotTable>();
  CompositeSettings c;
  c.inputs[0] = 4;
  c.inputs[1] = -1;
  c.weights[1] = 60;
  CompositeJob job = CompositeJobFrom(*slots, c);
  EXPECT_EQ(job.images[0], &(*slots)[4]);
  EXPECT_EQ(job.images[1], nullptr);
  EXPECT_EQ(job.weights[1], 0);  // the row has no slot
  // {option, level, shift_y, noise}: move mode adds 256; a shift turns the
  // option off.
  const int cases[][4] = {{2, 255, 0, 255 + 256}, {1, 5, 0, 5}, {1, 5, -2, -1}, {0, 5, 0, -1}};
  for (const auto& k : cases) {
    c.noise_option = k[0];
    c.noise_level = k[1];
    c.shift_y = k[2];
    job = CompositeJobFrom(*slots, c);
    EXPECT_EQ(job.noise, k[3]) << k[0] << " " << k[2];
    EXPECT_EQ(job.shift_y, k[2]);
  }
}

// Identical frames stack to themselves: the flow is what is checked here.
TEST_F(ShellTest, CompositeMakesANewCurrentImage) {
  Image mono = MakeStarWorld(64, 48, 3);
  for (size_t i = 0; i < mono.PixelCount(); ++i) mono.g[i] = mono.b[i] = 0;  // stale: must be expanded
  PutImage(*app_, 0, std::move(mono), "mono").monochrome = 1;
  Image grey = MakeStarWorld(64, 48, 3);
  for (size_t i = 0; i < grey.PixelCount(); ++i) grey.g[i] = grey.b[i] = grey.r[i];
  PutImage(*app_, 1, std::move(grey), "grey");
  Choose(*app_, 0, 1);
  ASSERT_EQ(RunCommand(*app_, ui_, kCmdCompositeAuto), kCommandRan);
  EXPECT_EQ(ui_.dialogs, std::vector<int>{kCmdCompositeAuto});
  EXPECT_TRUE(ui_.boxes.empty());
  ASSERT_EQ(app_->slots.current, 2);
  const Image& made = Slot(2);
  EXPECT_TRUE(SamePlanes(made, Slot(1)));
  EXPECT_EQ(Slot(0).g[100], Slot(0).r[100]);  // expanded in its slot
  EXPECT_TRUE(made.name.empty());
  EXPECT_EQ(Flags(made), (std::vector<int>{1, 0, 0, 1, 0}));
  EXPECT_EQ(std::vector<int>({ui_.wait_depth, ui_.max_wait_depth}), std::vector<int>({0, 1}));
  EXPECT_GE(ui_.repaints, 1);
}

// Two frames: the coarse search (0), the fine search (0.4), the combine (0.8). Stopped at the fine search, nothing
// changes and nothing is said; let run, it reports all three.
TEST_F(ShellTest, CompositeReportsProgressAndStopsWhenAsked) {
  PutImage(*app_, 0, MakeStarWorld(64, 48, 3), "a");
  PutImage(*app_, 1, MakeStarWorld(64, 48, 3), "b");
  Choose(*app_, 0, 1);
  app_->slots.current = 1;
  ui_.progress_answers = {true, false};
  Run(kCmdCompositeAuto);
  EXPECT_TRUE(Slot(2).Empty());
  EXPECT_EQ(app_->slots.current, 1);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(ui_.progress, (std::vector<double>{0.0, 0.4}));
  EXPECT_EQ(ui_.progress_ends, 1);
  Run(kCmdCompositeAuto);
  EXPECT_FALSE(Slot(2).Empty());
  EXPECT_EQ(ui_.progress, (std::vector<double>{0.0, 0.4, 0.0, 0.4, 0.8}));
  EXPECT_EQ(ui_.progress_texts.back(), kProgressCombining);
  EXPECT_EQ(ui_.progress_ends, 2);
}

TEST_F(ShellTest, CompositeCancelTooFewNoSlotOrNoMemoryMakeNothing) {
  PutImage(*app_, 0, MakeFlatImage(4, 4, 100), "a");
  PutImage(*app_, 1, MakeFlatImage(4, 4, 100), "b");
  Choose(*app_, 0, 1);
  ui_.dialog_results = {false};
  Run(kCmdCompositeAuto);
  EXPECT_EQ(ui_.max_wait_depth, 0);
  Choose(*app_, 0, -1);
  app_->settings.composite.inputs[3] = 5;  // an empty slot is no image either
  Run(kCmdCompositeAuto);
  EXPECT_TRUE(Slot(2).Empty());
  EXPECT_EQ(app_->slots.current, 1);
  EXPECT_TRUE(ui_.boxes.empty());

  Choose(*app_, 0, 1);
  FillSlots(*app_, 2);
  Run(kCmdCompositeAuto);
  ClearSlot(app_->slots, 50);
  SetAvailableMemoryForTest(10);  // the headroom check for a new image fails
  Run(kCmdCompositeAuto);
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(Texts(ui_), (Strings{kMsgNoSlotToMake, kMsgNoSlotToMake}));
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_TRUE(Slot(50).Empty());
  EXPECT_EQ(ui_.wait_depth, 0);
}

TEST_F(ShellTest, CaptureCommandsArmWithTheirMessages) {
  PutImage(*app_, 0, MakeFlatImage(4, 4, 100), "a");
  Run(kCmdCaptureCentre);
  EXPECT_EQ(app_->capture.mode, 1);
  Run(kCmdCaptureCorner);
  EXPECT_EQ(app_->capture.mode, 2);
  EXPECT_EQ(Texts(ui_), (Strings{kMsgPickCentreBackground, kMsgPickCornerBackground}));
  EXPECT_EQ(ui_.boxes[0].kind, kBoxMessage);
}

// 5 x 4: R flat 30000 with a 3 x 3 block around (2, 2); G flat 512; B flat
// 65535 (above the 65280 placeholders, so never taken).
Image SkyPatch() {
  Image img = MakeFlatImage(5, 4, 30000);
  const int block[3][3] = {{9000, 25600, 65535}, {26112, 40000, 30000}, {65400, 27000, 26500}};
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) img.r[static_cast<size_t>(1 + j) * 5 + 1 + i] = static_cast<uint16_t>(block[j][i]);
  }
  for (size_t i = 0; i < img.PixelCount(); ++i) {
    img.g[i] = 512;
    img.b[i] = 65535;
  }
  return img;
}

TEST(BackgroundSample, ThirdAndFourthSmallestOfTheBlock) {
  // Around (2, 2): 9000, 25600, 26112, 26500 are the four smallest;
  // (26112 + 26500) >> 1 = 26306 and >> 9 = 102. G: (512 + 512) >> 9 = 2.
  // B: the placeholders stay, (65280 + 65280) >> 9 = 255.
  const Image img = SkyPatch();
  const BackgroundSample s = SampleBackground(img, 2, 2);
  EXPECT_EQ(std::vector<int>({s.level[0], s.level8[0], s.level8[1], s.level[2], s.level8[2]}),
            std::vector<int>({26306, 102, 2, 65280, 255}));
  // At the corner the block moves to (1, 1): 9000, 25600, 26112, 30000 ->
  // 56112 >> 9 = 109.
  const BackgroundSample corner = SampleBackground(img, 0, 0);
  EXPECT_EQ(std::vector<int>({corner.x, corner.row, corner.level8[0]}), std::vector<int>({1, 1, 109}));
  // A 2 x 1 image [1000, 3000] repeats its edge: around (0, 0) six 1000s
  // and three 3000s; a click beyond the right edge samples around (1, 0):
  // three 1000s and six 3000s, (1000 + 3000) >> 1.
  Image tiny = MakeFlatImage(2, 1, 1000);
  tiny.r[1] = 3000;
  EXPECT_EQ(SampleBackground(tiny, 0, 0).level[0], 1000);
  const BackgroundSample right = SampleBackground(tiny, 5, 5);
  EXPECT_EQ(std::vector<int>({right.x, right.row, right.level[0]}), std::vector<int>({1, 0, 2000}));
}

TEST_F(ShellTest, BackgroundClickStoresLevelsAndDisarms) {
  PutImage(*app_, 0, SkyPatch(), "sky");
  EXPECT_FALSE(BackgroundSampleAt(*app_, ui_, 2, 2));  // not armed
  app_->capture.mode = 1;
  ASSERT_TRUE(BackgroundSampleAt(*app_, ui_, 2, 2));
  const int* levels = app_->settings.back2.levels;
  EXPECT_EQ(std::vector<int>({app_->capture.mode, app_->capture.centre_x, app_->capture.centre_row}),
            std::vector<int>({0, 2, 2}));
  EXPECT_EQ(std::vector<int>(levels, levels + 6), std::vector<int>({102, 0, 2, 0, 255, 0}));
  app_->capture.mode = 2;
  ASSERT_TRUE(BackgroundSampleAt(*app_, ui_, 0, 0));
  EXPECT_EQ(std::vector<int>(levels, levels + 2), std::vector<int>({102, 109}));
  EXPECT_EQ(app_->capture.corner_x, 1);
  EXPECT_EQ(app_->capture.corner_level[0], 109);
  app_->capture.mode = 100;  // point collection is handled elsewhere
  EXPECT_FALSE(BackgroundSampleAt(*app_, ui_, 2, 2));
  EXPECT_EQ(app_->capture.mode, 100);
  // A monochrome image is read through R in every channel.
  Slot(0).monochrome = 1;
  app_->capture.mode = 1;
  ASSERT_TRUE(BackgroundSampleAt(*app_, ui_, 2, 2));
  EXPECT_EQ(levels[2], 102);
  EXPECT_EQ(levels[4], 102);
}

TEST_F(ShellTest, BackgroundWithoutPeripheryLevelsArmsTheCentreCapture) {
  PutImage(*app_, 0, MakeFlatImage(8, 6, 1000), "a");
  Run(kCmdBackgroundQuad);
  EXPECT_EQ(ui_.dialogs, std::vector<int>{kCmdBackgroundQuad});
  EXPECT_EQ(app_->capture.mode, 1);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(Slot(0).changed, 0);
  EXPECT_EQ(Slot(0).undo_available, 0);
}

// The settings reach the correction in 16-bit units; subtraction works on
// (centre - 2 periphery + shift, shift - periphery). The expected image is
// the correction itself run on those hand-worked levels.
TEST_F(ShellTest, BackgroundPassesItsLevelsInSixteenBitUnits) {
  struct Case {
    int mode, shift;
    int typed[6];
    int levels[6];
  } cases[] = {
      {0, 0, {40, 20, 30, 10, 50, 49}, {40 * 256, 20 * 256, 30 * 256, 10 * 256, 50 * 256, 49 * 256}},
      {1, 60, {40, 20, 30, 10, 50, 49}, {60 * 256, 40 * 256, 70 * 256, 50 * 256, 12 * 256, 11 * 256}},
  };
  for (const Case& c : cases) {
    const Image start = MakeNoiseImage(8, 6, 4);
    Image expected;
    ASSERT_TRUE(DuplicateImage(start, expected));
    ASSERT_EQ(ApplyQuadraticBackground(expected, c.mode, c.levels, 250), kOpMade);
    auto app = NewApp();
    PutImage(*app, 0, MakeNoiseImage(8, 6, 4), "a");
    Back2Settings& b = app->settings.back2;
    b.mode = c.mode;
    b.shift = c.shift;
    b.curve = 250;
    std::copy(c.typed, c.typed + 6, b.levels);
    app->capture.mode = 2;
    FakeUi ui;
    RunCommand(*app, ui, kCmdBackgroundQuad);
    EXPECT_TRUE(SamePlanes(app->slots[0], expected)) << c.mode;
    EXPECT_EQ(app->slots[0].changed, 1);
    EXPECT_EQ(app->slots[0].undo_r[7], start.r[7]);
    EXPECT_EQ(app->capture.mode, 0);
  }
}

// What a dialog leaves is brought into range, then the OK rule keeps each
// centre above its periphery: R 100/100 -> 101/100; G 300/300 (above the
// range) -> 255/255 -> 255/254; B 3/9 -> 10/9.
TEST_F(ShellTest, BackgroundLevelsAreClampedThenKeptAboveThePeriphery) {
  PutImage(*app_, 0, MakeFlatImage(8, 6, 1000), "a");
  ui_.on_dialog = [&](int) {
    const int typed[6] = {100, 100, 300, 300, 3, 9};
    std::copy(typed, typed + 6, app_->settings.back2.levels);
  };
  Run(kCmdBackgroundQuad);
  const int expected[6] = {101, 100, 255, 254, 10, 9};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(app_->settings.back2.levels[i], expected[i]) << i;
  EXPECT_EQ(Slot(0).changed, 1);
  // Cancel keeps the edits, brought into range, and runs nothing.
  const uint16_t corrected = Slot(0).r[0];
  ui_.on_dialog = [&](int) { app_->settings.back2.levels[0] = 300; };
  ui_.dialog_results = {false};
  Run(kCmdBackgroundQuad);
  EXPECT_EQ(app_->settings.back2.levels[0], 255);
  EXPECT_EQ(app_->settings.back2.levels[1], 100);
  EXPECT_EQ(Slot(0).r[0], corrected);
}

TEST_F(ShellTest, BackgroundShortMemoryStopsBeforeTheDialog) {
  PutImage(*app_, 0, MakeFlatImage(8, 6, 1000), "a");
  SetAvailableMemoryForTest(10);
  Run(kCmdBackgroundQuad);
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(Texts(ui_), Strings{kMsgNoMemory});
  EXPECT_TRUE(ui_.dialogs.empty());
}

}  // namespace
}  // namespace tavo
