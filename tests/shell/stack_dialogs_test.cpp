// SPDX-License-Identifier: MIT
#include "shell/dialog_logic.h"
#include "shell/ops/background_quad_op.h"
#include "shell/ops/composite_op.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "shell/raw_ui.h"
#include "shell/view.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(ImageList, EntriesTextsAndSelection) {
  auto slots = std::make_unique<SlotTable>();
  InitSlots(*slots);
  (*slots)[0] = MakeFlatImage(2, 2, 1);
  SetImageName((*slots)[0], "/tmp/a.ppm");
  (*slots)[3] = MakeFlatImage(2, 2, 1);
  (*slots)[12] = MakeFlatImage(2, 2, 1);
  SetImageName((*slots)[12], "b%d.ppm");  // printf signs in a name are text
  const std::vector<std::string> entries = ImageListEntries(*slots);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], "");
  EXPECT_EQ(entries[1], "00(/tmp/a.ppm)");
  EXPECT_EQ(entries[2], "03()");
  EXPECT_EQ(entries[3], "12(b%d.ppm)");
  EXPECT_EQ(ListIndexForSlot(entries, 3), 2);
  EXPECT_EQ(ListIndexForSlot(entries, 12), 3);
  EXPECT_EQ(ListIndexForSlot(entries, 5), 0);
  EXPECT_EQ(ListIndexForSlot(entries, -1), 0);
}

TEST(ImageList, SlotFromText) {
  EXPECT_EQ(SlotFromListText("07(x.ppm)"), 7);
  EXPECT_EQ(SlotFromListText("12("), 12);
  EXPECT_EQ(SlotFromListText("99(a(3).ppm)"), 99);
  EXPECT_EQ(SlotFromListText(""), -1);
  EXPECT_EQ(SlotFromListText("(x)"), -1);
}

// Every dialog's scroll bar speaks the same events, so the RAW dialogs
// (included above together with the image window's scrolling) and these
// read one bar the same way.
TEST(ScrollEvents, OneSetForEveryDialog) {
  EXPECT_EQ(WeightAfterScroll(50, kScrollPageRight, 0), 60);
  EXPECT_EQ(DarkThresholdAfterScroll(512, kScrollPageRight, 0), 576);  // 512 + 64
  EXPECT_EQ(WeightAfterScroll(50, kScrollTrack, 7), 7);
  EXPECT_EQ(DarkThresholdAfterScroll(0, kScrollTrack, 7), 112);  // 7 x 16
}

TEST(EditValue, SignedAndUnsigned) {
  EXPECT_EQ(EditValue("42", false), 42);
  EXPECT_EQ(EditValue(" 12abc", false), 12);
  EXPECT_EQ(EditValue("abc", false), 0);
  EXPECT_EQ(EditValue("-5", true), -5);
  EXPECT_EQ(EditValue("-5", false), 0);
  EXPECT_EQ(EditValue("99999999999", false), INT_MAX);
  EXPECT_EQ(EditValue("-99999999999", true), -INT_MAX);
}

TEST(CompositeDialog, WeightBarAndEdit) {
  EXPECT_EQ(WeightAfterScroll(100, kScrollLineRight, 0), 100);
  EXPECT_EQ(WeightAfterScroll(0, kScrollLineLeft, 0), 0);
  EXPECT_EQ(WeightAfterScroll(50, kScrollLineLeft, 0), 49);
  EXPECT_EQ(WeightAfterScroll(95, kScrollPageRight, 0), 100);
  EXPECT_EQ(WeightAfterScroll(50, kScrollPageLeft, 0), 40);
  EXPECT_EQ(WeightAfterScroll(5, kScrollPageLeft, 0), 0);
  EXPECT_EQ(WeightAfterScroll(50, kScrollTrack, 77), 77);
  EXPECT_EQ(WeightFromText("150"), 150);  // the edit keeps what was typed
  EXPECT_EQ(WeightBarPosition(150), 100);
  EXPECT_EQ(WeightAfterScroll(150, kScrollLineLeft, 0), 99);
}

TEST(CompositeDialog, RangeNoiseOptionAndOk) {
  EXPECT_EQ(CompareRangeFromText("0"), 1);
  EXPECT_EQ(CompareRangeFromText(""), 1);
  EXPECT_EQ(CompareRangeFromText("25"), 25);
  EXPECT_EQ(NoiseOptionAfterClick(1, 1), 0);  // clicking the checked box
  EXPECT_EQ(NoiseOptionAfterClick(1, 2), 2);  // the other one takes over
  EXPECT_EQ(NoiseOptionAfterClick(0, 1), 1);
  EXPECT_EQ(NoiseOptionAfterClick(2, 2), 0);
  CompositeSettings c;
  const std::string rows[4] = {"00(a)", "", "03(b)", ""};
  AcceptCompositeDialog(c, rows, 300, -3, 7);
  EXPECT_EQ(c.inputs[0], 0);
  EXPECT_EQ(c.inputs[1], -1);
  EXPECT_EQ(c.inputs[2], 3);
  EXPECT_EQ(c.noise_level, 255);
  EXPECT_EQ(c.shift_x, -3);
  EXPECT_EQ(c.shift_y, 7);
  AcceptCompositeDialog(c, rows, -4, 0, 0);
  EXPECT_EQ(c.noise_level, 0);
}

TEST(BackgroundDialog, LevelAndCurveTexts) {
  EXPECT_EQ(BackgroundLevelFromText("300"), 255);
  EXPECT_EQ(BackgroundLevelFromText("12"), 12);
  EXPECT_EQ(BackgroundLevelFromText(""), 0);
  EXPECT_EQ(CurveFromText("2.5"), 250);
  EXPECT_EQ(CurveFromText("2.05"), 205);
  EXPECT_EQ(CurveFromText("2.567"), 256);
  EXPECT_EQ(CurveFromText("3.5"), 300);   // clamped
  EXPECT_EQ(CurveFromText(""), 100);      // no digit at all
  EXPECT_EQ(CurveFromText("2"), 200);     // whole units
  EXPECT_EQ(CurveFromText("2."), 200);
  EXPECT_EQ(CurveFromText("2.x5"), 200);
  EXPECT_EQ(CurveFromText("1a2.5"), 250);  // "a" restarts the whole part
  EXPECT_EQ(CurveFromText("0.9"), 100);
  EXPECT_EQ(CurveText(300), "3.00");
  EXPECT_EQ(CurveText(205), "2.05");
  EXPECT_EQ(CurveText(CurveFromText("3.5")), "3.00");
}

TEST(BackgroundDialog, CurveBar) {
  EXPECT_EQ(CurveBarPosition(250), 150);
  EXPECT_EQ(CurveAfterScroll(200, kScrollLineRight, 0), 201);
  EXPECT_EQ(CurveAfterScroll(200, kScrollLineLeft, 0), 199);
  EXPECT_EQ(CurveAfterScroll(290, kScrollPageRight, 0), 300);
  EXPECT_EQ(CurveAfterScroll(110, kScrollPageLeft, 0), 100);
  EXPECT_EQ(CurveAfterScroll(150, kScrollPageRight, 0), 170);
  EXPECT_EQ(CurveAfterScroll(100, kScrollTrack, 150), 250);
}

TEST(BackgroundDialog, OkRule) {
  Back2Settings b;
  const int typed[6] = {100, 100, 0, 0, 300, 10};
  for (int i = 0; i < 6; ++i) b.levels[i] = typed[i];
  b.shift = 400;
  AcceptBackgroundDialog(b);
  EXPECT_EQ(b.levels[0], 101);
  EXPECT_EQ(b.levels[1], 100);
  EXPECT_EQ(b.levels[2], 1);
  EXPECT_EQ(b.levels[3], 0);
  EXPECT_EQ(b.levels[4], 255);  // already above: left as it is (after the cap)
  EXPECT_EQ(b.levels[5], 10);
  EXPECT_EQ(b.shift, 255);
  b.levels[0] = 255;
  b.levels[1] = 255;
  b.levels[2] = 5;
  b.levels[3] = 9;
  AcceptBackgroundDialog(b);
  EXPECT_EQ(b.levels[0], 255);
  EXPECT_EQ(b.levels[1], 254);
  EXPECT_EQ(b.levels[2], 10);
}

}  // namespace
}  // namespace tavo
