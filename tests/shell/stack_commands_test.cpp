// SPDX-License-Identifier: MIT
// The composite command, the background captures and the quadratic
// background command.
#include <gtest/gtest.h>

#include <cstring>

#include "core/memory.h"
#include "shell/background_capture.h"
#include "shell/dialog_logic.h"
#include "shell/display.h"
#include "shell/ops/background_quad_op.h"
#include "shell/ops/composite_op.h"
#include "shell/capture.h"
#include "shell/ops/composite_points_op.h"
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

  Choose(*app_, 0, 1);
  FillSlots(*app_, 2);
  Run(kCmdCompositeAuto);
  ClearSlot(app_->slots, 50);
  SetAvailableMemoryForTest(10);  // the headroom check for a new image fails
  Run(kCmdCompositeAuto);
  SetAvailableMemoryForTest(-1);
  // Too few images: the same words as composite by points.
  EXPECT_EQ(Texts(ui_), (Strings{kMsgTooFewImages, kMsgNoSlotToMake, kMsgNoSlotToMake}));
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
  EXPECT_EQ(ImageMarkers(*app_).size(), 1u);  // the sample is marked where it was taken
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

TEST_F(ShellTest, ADriftedFrameIsNamedAfterTheStack) {
  // Frame b drifted 26 pixels: past the range of 20, yet within the search's reach, so it is found on the edge and
  // stacked as found.
  const Image world = MakeStarWorld(420, 380, 5);
  PutImage(*app_, 0, CropWorld(world, 30, 30, 360, 320), "a");
  PutImage(*app_, 1, CropWorld(world, 56, 30, 360, 320), "b");
  Choose(*app_, 0, 1);
  Run(kCmdCompositeAuto);
  EXPECT_EQ(Slot(2).width, 386);
  EXPECT_EQ(Texts(ui_), Strings{Msg(kMsgAlignmentDoubtful, Msg(kMsgAlignOnEdge, SlotListText(1, "b")) + "\n")});
}

}  // namespace
}  // namespace tavo

namespace tavo {
namespace {

TEST(PointRule, UnsetOrEqualBTurnsEveryRowIntoAShift) {
  struct Case {
    int points[4][4];
    bool chosen[4];
    bool ran;
    int want_b_row0[2];
  };
  const Case cases[] = {
      {{{1, 2, 30, 40}, {5, 6, 50, 60}, {}, {}}, {true, true, false, false}, false, {30, 40}},
      // Row 1's A equals B: its B becomes 0, so every B becomes A + 100.
      {{{1, 2, 30, 40}, {5, 6, 5, 6}, {}, {}}, {true, true, false, false}, true, {101, 102}},
      // Only an unchosen row lacks B: nothing moves.
      {{{1, 2, 30, 40}, {5, 6, 50, 60}, {7, 7, 0, 0}, {}}, {true, true, false, false}, false, {30, 40}},
  };
  for (const Case& c : cases) {
    int p[4][4];
    std::memcpy(p, c.points, sizeof p);
    EXPECT_EQ(ApplyPointRule(p, c.chosen), c.ran);
    EXPECT_EQ(std::vector<int>({p[0][2], p[0][3]}), std::vector<int>(c.want_b_row0, c.want_b_row0 + 2));
  }
}

TEST(PointRule, MarkedPointsInDisplayRows) {
  Image img = MakeFlatImage(5, 10, 0);
  img.point_a_x = 2, img.point_a_y = 3;  // stored row 3 is display row 10 - 1 - 3
  int row[4] = {9, 9, 9, 9};
  MarkedPointsRow(img, row);
  EXPECT_EQ(std::vector<int>(row, row + 4), std::vector<int>({2, 6, 0, 0}));
}

// Unmarked inputs are only shifted; the B values the rule set go back to 0
// and the new image is current.
TEST_F(ShellTest, CompositeByPointsFlow) {
  PutImage(*app_, 0, MakeStarWorld(32, 24, 4), "a");
  Choose(*app_, 0, -1);
  RunCommand(*app_, ui_, kCmdCompositePoints);
  EXPECT_EQ(Texts(ui_), std::vector<std::string>{kMsgTooFewImages});
  PutImage(*app_, 1, MakeStarWorld(32, 24, 4), "b");
  Choose(*app_, 0, 1);
  int (&p)[4][4] = app_->settings.composite.points;
  p[0][0] = 3, p[1][0] = 5;  // b is moved 2 columns left
  ASSERT_EQ(RunCommand(*app_, ui_, kCmdCompositePoints), kCommandRan);
  EXPECT_EQ(Texts(ui_).size(), 1u);
  ASSERT_EQ(app_->slots.current, 2);
  EXPECT_EQ(Slot(2).width, 34);
  EXPECT_EQ(std::vector<int>({p[0][2], p[1][3], p[0][0]}), std::vector<int>({0, 0, 3}));
}

}  // namespace
}  // namespace tavo

namespace tavo {
namespace {

// Slot 1 holds the background; flat 1000 over flat 999 (1000 after the +1)
// divides to ((1000 x 62) / 1000) x 16 = 992.
TEST_F(ShellTest, BackgroundImageCommand) {
  PutImage(*app_, 1, MakeFlatImage(16, 16, 999), "bg");
  PutImage(*app_, 0, MakeFlatImage(16, 16, 1000), "sky");
  app_->settings.back1.slot = 100;
  RunCommand(*app_, ui_, kCmdBackgroundImage);
  EXPECT_EQ(Texts(ui_), std::vector<std::string>{kMsgNoImageChosen});
  app_->settings.back1.slot = 1;
  RunCommand(*app_, ui_, kCmdBackgroundImage);
  EXPECT_EQ(Sample(Slot(0).g.get(), Slot(0), 3, 3), 992);
  EXPECT_EQ(Slot(0).undo_available, 1);
}

// Two passes through an intermediate slot that is cleared again; with no
// slot for it, the background slot taken first is given back.
TEST_F(ShellTest, BackgroundMakeCommand) {
  PutImage(*app_, 0, MakeFlatImage(40, 40, 1000), "sky");
  Back3Settings& b = app_->settings.back3;
  b.two_pass = 1;
  RunCommand(*app_, ui_, kCmdBackgroundMake);
  ASSERT_EQ(app_->slots.current, 1);
  EXPECT_EQ(PixelValues(Slot(1), 5, 5), std::vector<int>({1000, 1000, 1000}));
  EXPECT_TRUE(Slot(2).Empty());
  b.correction = 1;  // in place; the background slot is cleared
  app_->slots.current = 0;
  RunCommand(*app_, ui_, kCmdBackgroundMake);
  EXPECT_EQ(Sample(Slot(0).r.get(), Slot(0), 7, 7), 976);
  EXPECT_TRUE(Slot(2).Empty());
  FillSlots(*app_, 3);
  RunCommand(*app_, ui_, kCmdBackgroundMake);
  EXPECT_EQ(Texts(ui_), std::vector<std::string>{kMsgNoSlotToMake});
  EXPECT_TRUE(Slot(2).Empty());
}

// Two passes report half each: planes at 0, 1/6, 1/3 of the first, 1/2 for
// the second's first. Stopped there, or at the very first report, neither
// the background nor the intermediate slot stays and the image is as it
// was, its undo state too; no box.
TEST_F(ShellTest, BackgroundMakeStoppedFromTheProgress) {
  Image& sky = PutImage(*app_, 0, MakeNoiseImage(24, 20, 5), "sky");
  sky.undo_available = 1;
  sky.undo_r = NewPlane(1, true);
  const uint16_t* undo = sky.undo_r.get();
  const Image before = MakeNoiseImage(24, 20, 5);
  app_->settings.back3.two_pass = 1;
  app_->settings.back3.correction = 1;
  for (size_t go_on : {3u, 0u}) {
    ui_ = FakeUi();
    ui_.progress_answers.assign(go_on, true);
    ui_.progress_answers.push_back(false);
    Run(kCmdBackgroundMake);
    EXPECT_EQ(ui_.progress, (go_on == 3 ? std::vector<double>{0.0, 1.0 / 6, 1.0 / 3, 0.5} : std::vector<double>{0.0}));
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_TRUE(Slot(1).Empty() && Slot(2).Empty());
    EXPECT_EQ(app_->slots.current, 0);
    EXPECT_TRUE(SamePlanes(sky, before));
    EXPECT_EQ(Ints({sky.changed, sky.undo_available}), Ints({0, 1}));
    EXPECT_EQ(sky.undo_r.get(), undo);
  }
}

// Clicks sample the 3 x 3 background; the right button fits through them.
// All at 1000: subtractive with shift 1 gives 1000 - 1000 + 256.
TEST_F(ShellTest, BackgroundPointsCapture) {
  PutImage(*app_, 0, MakeFlatImage(30, 20, 1000), "sky");
  app_->settings.back1.mode = 4;
  app_->settings.back1.shift = 1;
  RunCommand(*app_, ui_, kCmdBackgroundPoints);
  EXPECT_EQ(app_->capture.mode, 100);
  for (int k = 0; k < 3; ++k) CaptureClick(*app_, ui_, 5 * k, 3 * k);
  EXPECT_EQ(app_->capture.mode, 103);
  EXPECT_EQ(app_->capture.points[0].x, 1);  // moved one pixel inside
  CaptureFinish(*app_, ui_);
  EXPECT_EQ(Texts(ui_), (std::vector<std::string>{kMsgPickBackgroundPoints, kMsgBackgroundPointsDone}));
  EXPECT_EQ(Sample(Slot(0).b.get(), Slot(0), 29, 0), 256);
  EXPECT_EQ(app_->capture.mode, 0);
  // The hundredth point ends the collection by itself (one spot on a small
  // image keeps the search short: no pair has a slope to divide).
  PutImage(*app_, 0, MakeFlatImage(4, 4, 1000), "small");
  RunCommand(*app_, ui_, kCmdBackgroundPoints);
  for (int k = 0; k < 100; ++k) CaptureClick(*app_, ui_, 2, 2);
  EXPECT_EQ(app_->capture.mode, 0);
  EXPECT_EQ(Texts(ui_).back(), kMsgBackgroundPointsDone);
}

}  // namespace
}  // namespace tavo
