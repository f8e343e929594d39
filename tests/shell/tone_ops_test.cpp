// SPDX-License-Identifier: MIT
// The dialog logic of level correction, tone correction, black and white,
// saturation/hue and colour change, and the colour-change commands.
#include <gtest/gtest.h>

#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/ops/black_white_op.h"
#include "shell/ops/color_change_op.h"
#include "shell/ops/level_op.h"
#include "shell/ops/saturation_hue_op.h"
#include "shell/ops/tone_correction_op.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(LevelDialog, BarsStepsAndPairs) {
  LvlSettings l;
  l.table = 2;
  EXPECT_EQ(LevelBarPosition(l, kLevelContrast), 100);  // value 0 + 100
  LevelScroll(l, kLevelBrightness, kScrollTrack, 0);     // position - 255
  EXPECT_EQ(l.rows[2][kLevelBrightness], -255);
  LevelScroll(l, kLevelGamma, kScrollPageRight, 0);     // gamma pages by 10
  EXPECT_EQ(LevelFieldText(l, kLevelGamma), "1.10");
  LevelScroll(l, kLevelContrast, kScrollTrack, 0);
  EXPECT_EQ(l.rows[2][kLevelContrast], -100);
  // A minimum dragged onto its maximum stops one below; a maximum dragged
  // onto its minimum stops one above.
  LevelScroll(l, kLevelInMin, kScrollTrack, 255);
  EXPECT_EQ(l.rows[2][kLevelInMin], 254);
  LevelScroll(l, kLevelInMax, kScrollLineLeft, 0);
  EXPECT_EQ(l.rows[2][kLevelInMax], 255);
  LevelSetField(l, kLevelOutMax, 0);
  EXPECT_EQ(l.rows[2][kLevelOutMax], 1);
  LevelSetField(l, kLevelGamma, 0);
  EXPECT_EQ(LevelFieldText(l, kLevelGamma), "0.01");
  EXPECT_EQ(l.rows[0][kLevelInMin], 0);  // other tables untouched
  ResetLevelTables(l);
  EXPECT_EQ(l.rows[2][kLevelGamma], 100);
  EXPECT_EQ(l.table, 2);
}

TEST(LevelDialog, OneCurveOrThree) {
  LvlSettings l;
  l.rows[1][kLevelGamma] = 200;
  uint8_t curves[3][256];
  EXPECT_EQ(LevelCurves(l, curves), 1);
  l.table = 1;
  EXPECT_EQ(LevelCurves(l, curves), 3);
  EXPECT_EQ(curves[0][64], 127);  // (16384 / 65280) ^ 0.5 * 65280 / 256
}

// Typed values are clamped to their fields; the standard mode brings back
// its weights; the HSV swatch goes through HsvToRgb.
TEST(ToneDialogs, FieldRules) {
  ToneSettings t;
  ToneStrengthFromText(t, "150");
  EXPECT_EQ(t.strength, 100);
  GraySettings g;
  BlackWhiteWeightFromText(g, 1, "12");
  BlackWhiteChooseMode(g, kGreyManual);
  EXPECT_EQ(g.weight_g, 12);
  BlackWhiteChooseMode(g, kGreyStandard);
  EXPECT_EQ(g.weight_g, 587);
  ColorSettings c;
  ColorFieldFromText(c, kColorSaturation, "-50");
  EXPECT_EQ(c.saturation, 50);
  ColorFieldFromText(c, kColorHue, "500");
  EXPECT_EQ(c.hue, 360);
  ColorHsvSettings hsv;
  ColorChangeFromText(ColorChangeValue(hsv, kColorTarget0), ColorChangeFieldMax(true, kColorTarget0), "400");
  EXPECT_EQ(hsv.target[0], 359);
  hsv.target[0] = 120, hsv.target[1] = 255, hsv.target[2] = 255;
  int rgb[3];
  ColorHsvSwatch(hsv, true, rgb);  // (254, 65280, 254) >> 8
  EXPECT_EQ(rgb[0], 0);
  EXPECT_EQ(rgb[1], 255);
}

using ColorChangeCommandTest = ShellTest;

// 2 x 1: pixel 0 (100, 150, 200) x 256, pixel 1 (10, 20, 30) x 256.
void TwoPixels(Image& img) {
  img = MakeFlatImage(2, 1, 0);
  const int v[2][3] = {{100, 150, 200}, {10, 20, 30}};
  for (int x = 0; x < 2; ++x) {
    for (int c = 0; c < 3; ++c) img.Channel(c)[x] = static_cast<uint16_t>(v[x][c] * 256);
  }
}

TEST_F(ColorChangeCommandTest, PointAGivesTheSourceColour) {
  TwoPixels(Slot(0));
  app_->slots.current = 0;
  Slot(0).point_a_x = 1;
  Slot(0).point_a_y = 0;
  app_->settings.color_rgb.target[0] = 255;
  int seen[3] = {};
  ui_.on_dialog = [&](int) { std::copy(app_->settings.color_rgb.source, app_->settings.color_rgb.source + 3, seen); };
  RunCommand(*app_, ui_, kCmdColorRgb);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(seen[1], 20);
  EXPECT_EQ(Slot(0).r[1], 65280);  // the pixel under A took the target
  EXPECT_EQ(Slot(0).r[0], 25600);
  EXPECT_EQ(Slot(0).undo_available, 1);
}

TEST_F(ColorChangeCommandTest, WithoutPointAAHintAndThePreviousSource) {
  TwoPixels(Slot(0));
  app_->slots.current = 0;
  app_->settings.color_hsv.source[1] = 77;
  ui_.dialog_results.push_back(false);
  RunCommand(*app_, ui_, kCmdColorHsv);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui_.boxes[0].text, kMsgColorPointHint);
  EXPECT_EQ(ui_.dialogs, std::vector<int>{kCmdColorHsv});
  EXPECT_EQ(app_->settings.color_hsv.source[1], 77);
  EXPECT_EQ(Slot(0).undo_available, 0);  // cancelled
}

}  // namespace
}  // namespace tavo
