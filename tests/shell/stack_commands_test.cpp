// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>

#include "core/memory.h"
#include "shell/background_capture.h"
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/ops/composite_op.h"
#include "tests/fake_ui.h"
#include "tests/stack/star_field.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

std::unique_ptr<AppState> NewApp() {
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  return app;
}

void Put(AppState& app, int slot, Image image, const char* name) {
  app.slots[slot] = std::move(image);
  SetImageName(app.slots[slot], name);
  MarkLoaded(app.slots[slot]);
  app.slots.current = slot;
}

void Choose(AppState& app, int a, int b) {
  int* in = app.settings.composite.inputs;
  in[0] = a;
  in[1] = b;
  in[2] = in[3] = -1;
}

TEST(CompositeJobFrom, RowsWithoutSlotAndTheNoiseOption) {
  auto slots = std::make_unique<SlotTable>();
  CompositeSettings c;
  c.noise_level = 255;
  c.noise_option = 2;
  c.inputs[0] = 4;
  c.inputs[1] = -1;
  c.weights[1] = 60;
  CompositeJob job = CompositeJobFrom(*slots, c);
  EXPECT_EQ(job.images[0], &(*slots)[4]);
  EXPECT_EQ(job.images[1], nullptr);
  EXPECT_EQ(job.weights[1], 0);  // the row has no slot
  EXPECT_EQ(job.noise, 255 + 256);  // move mode
  c.noise_option = 1;
  c.noise_level = 5;
  EXPECT_EQ(CompositeJobFrom(*slots, c).noise, 5);
  c.shift_y = -2;  // a shift turns the noise option off
  job = CompositeJobFrom(*slots, c);
  EXPECT_EQ(job.noise, -1);
  EXPECT_EQ(job.shift_y, -2);
  c.shift_y = 0;
  c.noise_option = 0;
  EXPECT_EQ(CompositeJobFrom(*slots, c).noise, -1);
}

TEST(CompositeCommand, MakesANewCurrentComposite) {
  auto app = NewApp();
  Put(*app, 0, MakeStarWorld(64, 48, 3), "a.ppm");
  Put(*app, 1, MakeStarWorld(64, 48, 3), "b.ppm");
  Choose(*app, 0, 1);
  FakeUi ui;
  ASSERT_EQ(RunCommand(*app, ui, 302), kCommandRan);
  EXPECT_EQ(ui.dialogs, std::vector<int>{302});
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_EQ(app->slots.current, 2);
  const Image& made = app->slots[2];
  EXPECT_TRUE(SamePlanes(made, app->slots[0]));  // identical frames average to themselves
  EXPECT_TRUE(made.name.empty());
  EXPECT_EQ(made.changed, 1);
  EXPECT_EQ(made.stats_refresh, 1);
  EXPECT_EQ(made.undo_available, 0);
  EXPECT_EQ(made.monochrome, 0);
  EXPECT_EQ(ui.wait_depth, 0);
  EXPECT_EQ(ui.max_wait_depth, 1);
  EXPECT_GE(ui.repaints, 1);
}

TEST(CompositeCommand, CancelAndTooFewImagesMakeNothing) {
  auto app = NewApp();
  Put(*app, 0, MakeStarWorld(64, 48, 3), "a.ppm");
  Put(*app, 1, MakeStarWorld(64, 48, 3), "b.ppm");
  Choose(*app, 0, 1);
  FakeUi cancel;
  cancel.dialog_results.push_back(false);
  RunCommand(*app, cancel, 302);
  EXPECT_TRUE(app->slots[2].Empty());
  EXPECT_EQ(cancel.max_wait_depth, 0);
  Choose(*app, 0, -1);
  app->settings.composite.inputs[3] = 5;  // an empty slot is no image either
  FakeUi one;
  RunCommand(*app, one, 302);
  EXPECT_TRUE(app->slots[2].Empty());
  EXPECT_EQ(app->slots.current, 1);
  ASSERT_EQ(one.boxes.size(), 1u);  // the same words as composite by points
  EXPECT_EQ(one.boxes[0].text, kMsgTooFewImages);
}

TEST(CompositeCommand, NoFreeSlotOrNoMemory) {
  auto app = NewApp();
  for (int i = 0; i < kSlotCount; ++i) Put(*app, i, MakeFlatImage(2, 2, 100), "f");
  Choose(*app, 0, 1);
  FakeUi full;
  RunCommand(*app, full, 302);
  ASSERT_EQ(full.boxes.size(), 1u);
  EXPECT_EQ(full.boxes[0].kind, kBoxError);
  EXPECT_EQ(full.boxes[0].text, kMsgNoSlotToMake);
  EXPECT_EQ(full.wait_depth, 0);
  ClearSlot(app->slots, 50);
  SetAvailableMemoryForTest(10);  // the headroom check for a new image fails
  FakeUi short_memory;
  RunCommand(*app, short_memory, 302);
  SetAvailableMemoryForTest(-1);
  ASSERT_EQ(short_memory.boxes.size(), 1u);
  EXPECT_EQ(short_memory.boxes[0].text, kMsgNoSlotToMake);
  EXPECT_TRUE(app->slots[50].Empty());
}

TEST(CompositeCommand, MonochromeInputsAreExpandedFirst) {
  auto app = NewApp();
  Image mono = MakeStarWorld(64, 48, 3);
  for (size_t i = 0; i < mono.PixelCount(); ++i) mono.g[i] = mono.b[i] = 0;  // stale
  Put(*app, 0, std::move(mono), "mono");
  app->slots[0].monochrome = 1;
  Image copy = MakeStarWorld(64, 48, 3);
  for (size_t i = 0; i < copy.PixelCount(); ++i) copy.g[i] = copy.b[i] = copy.r[i];
  Put(*app, 1, std::move(copy), "grey");
  Choose(*app, 0, 1);
  FakeUi ui;
  RunCommand(*app, ui, 302);
  ASSERT_EQ(app->slots.current, 2);
  EXPECT_EQ(app->slots[0].g[100], app->slots[0].r[100]);
  EXPECT_TRUE(SamePlanes(app->slots[2], app->slots[1]));
}

TEST(CaptureCommands, ArmTheCaptureWithTheirMessages) {
  auto app = NewApp();
  FakeUi none;
  RunCommand(*app, none, 3061);
  RunCommand(*app, none, 3062);
  EXPECT_EQ(app->capture.mode, 0);
  EXPECT_TRUE(none.boxes.empty());
  Put(*app, 0, MakeFlatImage(4, 4, 100), "a");
  FakeUi ui;
  RunCommand(*app, ui, 3061);
  EXPECT_EQ(app->capture.mode, 1);
  RunCommand(*app, ui, 3062);
  EXPECT_EQ(app->capture.mode, 2);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, "画像中央付近の背景を選択して下さい！");
  EXPECT_EQ(ui.boxes[1].text, "画像角付近の背景を選択して下さい！");
  // Resetting all settings disarms it.
  ui.answers.push_back(kAnswerOk);
  RunCommand(*app, ui, 133);
  EXPECT_EQ(app->capture.mode, 0);
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
  EXPECT_EQ(s.level[0], 26306);
  EXPECT_EQ(s.level8[0], 102);
  EXPECT_EQ(s.level8[1], 2);
  EXPECT_EQ(s.level[2], 65280);
  EXPECT_EQ(s.level8[2], 255);
  // At the corner the block moves to (1, 1): 9000, 25600, 26112, 30000 ->
  // 56112 >> 9 = 109.
  const BackgroundSample corner = SampleBackground(img, 0, 0);
  EXPECT_EQ(corner.x, 1);
  EXPECT_EQ(corner.row, 1);
  EXPECT_EQ(corner.level8[0], 109);
  // A 2 x 1 image [1000, 3000] repeats its edge: around (0, 0) six 1000s
  // and three 3000s; a click beyond the right edge samples around (1, 0):
  // three 1000s and six 3000s, (1000 + 3000) >> 1.
  Image tiny = MakeFlatImage(2, 1, 1000);
  tiny.r[1] = 3000;
  EXPECT_EQ(SampleBackground(tiny, 0, 0).level[0], 1000);
  const BackgroundSample right = SampleBackground(tiny, 5, 5);
  EXPECT_EQ(right.x, 1);
  EXPECT_EQ(right.row, 0);
  EXPECT_EQ(right.level[0], 2000);
}

TEST(BackgroundSample, ClickStoresLevelsAndDisarms) {
  auto app = NewApp();
  Put(*app, 0, SkyPatch(), "sky");
  FakeUi ui;
  EXPECT_FALSE(BackgroundSampleAt(*app, ui, 2, 2));  // not armed
  app->capture.mode = 1;
  ASSERT_TRUE(BackgroundSampleAt(*app, ui, 2, 2));
  EXPECT_EQ(app->capture.mode, 0);
  EXPECT_EQ(app->capture.centre_x, 2);
  EXPECT_EQ(app->capture.centre_row, 2);
  const int* levels = app->settings.back2.levels;
  EXPECT_EQ(levels[0], 102);
  EXPECT_EQ(levels[2], 2);
  EXPECT_EQ(levels[4], 255);
  EXPECT_EQ(levels[1], 0);
  app->capture.mode = 2;
  ASSERT_TRUE(BackgroundSampleAt(*app, ui, 0, 0));
  EXPECT_EQ(levels[1], 109);
  EXPECT_EQ(levels[0], 102);
  EXPECT_EQ(app->capture.corner_x, 1);
  EXPECT_EQ(app->capture.corner_level[0], 109);
  app->capture.mode = 100;  // point collection is handled elsewhere
  EXPECT_FALSE(BackgroundSampleAt(*app, ui, 2, 2));
  EXPECT_EQ(app->capture.mode, 100);
  // A monochrome image is read through R in every channel.
  app->slots[0].monochrome = 1;
  app->capture.mode = 1;
  ASSERT_TRUE(BackgroundSampleAt(*app, ui, 2, 2));
  EXPECT_EQ(levels[2], 102);
  EXPECT_EQ(levels[4], 102);
}

TEST(BackgroundCommand, WithoutPeripheryLevelsArmsTheCentreCapture) {
  auto app = NewApp();
  Put(*app, 0, MakeFlatImage(8, 6, 1000), "a");
  FakeUi ui;
  RunCommand(*app, ui, 306);
  EXPECT_EQ(ui.dialogs, std::vector<int>{306});
  EXPECT_EQ(app->capture.mode, 1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(app->slots[0].changed, 0);
  EXPECT_EQ(app->slots[0].undo_available, 0);
  EXPECT_EQ(app->slots[0].r[0], 1000);
}

TEST(BackgroundCommand, CorrectsInPlaceAndDisarms) {
  auto app = NewApp();
  Put(*app, 0, MakeFlatImage(8, 6, 1000), "a");
  for (int c = 0; c < 3; ++c) {
    app->settings.back2.levels[2 * c] = 4;
    app->settings.back2.levels[2 * c + 1] = 1;
  }
  app->capture.mode = 2;
  FakeUi ui;
  RunCommand(*app, ui, 306);
  const Image& img = app->slots[0];
  // Amplitude 768, peak 1792, s = 112; the corner surface is 1024:
  // (1000 * 112 / 1024 = 109) * 16 = 1744.
  EXPECT_EQ(img.r[0], 1744);
  EXPECT_EQ(img.changed, 1);
  EXPECT_EQ(img.undo_available, 1);
  EXPECT_EQ(img.undo_r[0], 1000);
  EXPECT_EQ(app->capture.mode, 0);
  EXPECT_EQ(ui.wait_depth, 0);
}

TEST(BackgroundCommand, OkRuleKeepsCentreAboveEdgeWithinRange) {
  auto app = NewApp();
  Put(*app, 0, MakeFlatImage(8, 6, 1000), "a");
  int* levels = app->settings.back2.levels;
  // R 100/100: the centre becomes 101. G 255/255: 256 would not fit, so
  // 255 over 254. B 3/9: 10.
  const int typed[6] = {100, 100, 255, 255, 3, 9};
  for (int i = 0; i < 6; ++i) levels[i] = typed[i];
  FakeUi ui;
  RunCommand(*app, ui, 306);
  EXPECT_EQ(levels[0], 101);
  EXPECT_EQ(levels[1], 100);
  EXPECT_EQ(levels[2], 255);
  EXPECT_EQ(levels[3], 254);
  EXPECT_EQ(levels[4], 10);
  EXPECT_EQ(app->slots[0].changed, 1);
}

TEST(BackgroundCommand, CancelNoImageAndShortMemory) {
  auto app = NewApp();
  FakeUi nothing;
  RunCommand(*app, nothing, 306);
  EXPECT_TRUE(nothing.dialogs.empty());
  Put(*app, 0, MakeFlatImage(8, 6, 1000), "a");
  app->settings.back2.levels[0] = 100;  // would fall to 1 with the OK rule
  app->settings.back2.levels[1] = 100;
  FakeUi cancel;
  cancel.dialog_results.push_back(false);
  RunCommand(*app, cancel, 306);
  EXPECT_EQ(app->settings.back2.levels[0], 100);
  EXPECT_EQ(app->slots[0].undo_available, 0);
  SetAvailableMemoryForTest(10);
  FakeUi short_memory;
  RunCommand(*app, short_memory, 306);
  SetAvailableMemoryForTest(-1);
  ASSERT_EQ(short_memory.boxes.size(), 1u);
  EXPECT_EQ(short_memory.boxes[0].text, kMsgNoMemory);
  EXPECT_TRUE(short_memory.dialogs.empty());
}

TEST(BackgroundCommand, CaptureThenCorrect) {
  // Bright centre, darker corners: 3061 and a click at the centre, 3062 and
  // a click at a corner, then 306 lifts the corner towards the centre.
  auto app = NewApp();
  Image img = MakeFlatImage(8, 6, 20 * 256);
  for (int y = 2; y <= 4; ++y) {
    for (int x = 3; x <= 5; ++x) {
      const size_t i = static_cast<size_t>(y) * 8 + x;
      img.r[i] = img.g[i] = img.b[i] = 40 * 256;
    }
  }
  Put(*app, 0, std::move(img), "sky");
  FakeUi ui;
  RunCommand(*app, ui, 3061);
  ASSERT_TRUE(BackgroundSampleAt(*app, ui, 4, 3));
  RunCommand(*app, ui, 3062);
  ASSERT_TRUE(BackgroundSampleAt(*app, ui, 0, 0));
  EXPECT_EQ(app->settings.back2.levels[0], 40);
  EXPECT_EQ(app->settings.back2.levels[1], 20);
  RunCommand(*app, ui, 306);
  // Corner: peak (20 * 256 + 1024) = 6144, s = 384; 5120 * 384 / 1024 * 16.
  EXPECT_EQ(app->slots[0].r[0], 30720);
  EXPECT_EQ(app->slots[0].r[3 * 8 + 4], 40 * 256);  // the centre stays
}

}  // namespace
}  // namespace tavo
