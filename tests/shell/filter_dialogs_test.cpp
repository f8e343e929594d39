// SPDX-License-Identifier: MIT
// The dialog logic of the filter and geometry operations: decimal levels,
// the angle field, keep-aspect arithmetic and the resize method.
#include <gtest/gtest.h>

#include <utility>

#include "shell/dialog_logic.h"
#include "shell/ops/resize_op.h"
#include "shell/ops/rotate_op.h"
#include "shell/ops/sharp_op.h"

namespace tavo {
namespace {

TEST(HeldLevel, TypedScrolledAndShown) {
  // (10 + 0.01) x 256 = 2562.56; 10.51 x 256 = 2690.56; 1.00 x 256; below 0;
  // above 65535; no digit: 0.01 x 256 = 2.56; "x" ends it: 2.51 x 256.
  const std::pair<const char*, int> cases[] = {{"10", 2562}, {"10.5", 2690}, {" 0.99", 256}, {"-3", 0},
                                               {"300", 65535}, {"abc", 2}, {"2.5x9", 642}};
  for (const auto& [text, held] : cases) EXPECT_EQ(HeldLevelFromText(text), held) << text;
  EXPECT_EQ(HeldLevelText(2560), "10.00");
  EXPECT_EQ(HeldLevelText(2586), "10.10");  // 2586 x 100 / 256 = 1010.1
  EXPECT_EQ(HeldLevelAfterScroll(2560, kScrollLineRight, 0, 1280), 2586);
  EXPECT_EQ(HeldLevelAfterScroll(1000, kScrollPageLeft, 0, 1280), 0);
  EXPECT_EQ(HeldLevelAfterScroll(65000, kScrollPageRight, 0, 2560), 65535);
  EXPECT_EQ(HeldLevelAfterScroll(0, kScrollTrack, 255, 2560), 65280);
  EXPECT_EQ(HeldLevelBarPosition(2586), 10);
}

TEST(SharpFields, ClampedAsTyped) {
  EXPECT_EQ(SharpRadiusFromText("0"), 1);
  EXPECT_EQ(SharpRadiusFromText("25"), 10);
  EXPECT_EQ(StrengthFromText("80"), 50);
  EXPECT_EQ(SharpRadiusAfterScroll(1, kScrollPageRight, 0), 5);
  EXPECT_EQ(StrengthAfterScroll(45, kScrollPageRight, 0), 50);
}

TEST(AngleField, GrammarAndDisplay) {
  const std::pair<const char*, int> cases[] = {
      {"12.5", 1250}, {"-0.25", -25}, {"1.234", 123}, {"  90", 9000}, {"-+3.1", -310},
      {"12.", 1200},  {"1x", 0},      {"", 0},        {"7.x5", 700},  {"99999999999", 214748364}};
  for (const auto& [text, angle] : cases) EXPECT_EQ(AngleFromText(text), angle) << text;
  EXPECT_EQ(AngleText(-25), "-0.25");
  EXPECT_EQ(AngleText(9000), "90.00");
  EXPECT_EQ(AngleText(-9005), "-90.05");
}

TEST(RotateDialog, OkStoresTheAngleOfItsKind) {
  const int want[6] = {9000, -9000, 18000, 1234, 1234, 1234};
  for (int kind = 0; kind < 6; ++kind) {
    RoundSettings r{kind, 1234};
    AcceptRotateDialog(r);
    EXPECT_EQ(r.angle, want[kind]) << kind;
  }
}

TEST(ResizeDialog, KeepAspectAndMethod) {
  ResizeSettings r;
  r.x_from = 3000;
  r.y_from = 2000;
  TypeResizeTo(r, false, "1500");
  EXPECT_EQ(r.y_to, 1000);  // (2000 x 1500 + 1) / 3000
  TypeResizeTo(r, true, "501");
  EXPECT_EQ(r.x_to, 751);   // (3000 x 501 + 1) / 2000 = 751.5
  TypeResizeTo(r, false, "-5");
  EXPECT_EQ(r.x_to, 0);
  EXPECT_EQ(r.y_to, 0);     // (0 + 1) / 3000
  r.keep_aspect = 0;
  TypeResizeTo(r, false, "4000");
  EXPECT_EQ(r.y_to, 0);
  // Method 2: Lanczos only when neither side shrinks.
  r.method = 2;
  EXPECT_EQ(ResizeParamsFrom(r).method, kResizeBilinear);
  r.y_to = 2000;
  EXPECT_EQ(ResizeParamsFrom(r).method, kResizeLanczos);
  r.method = 3;
  r.x_to = 10;
  EXPECT_EQ(ResizeParamsFrom(r).method, kResizeLanczos);
  EXPECT_TRUE(ResizeSizesUsable(r));
  r.x_to = 10001;
  EXPECT_FALSE(ResizeSizesUsable(r));
  // A to size of -1 (not typed) is the from size.
  r.x_to = -1;
  EXPECT_EQ(ResizeParamsFrom(r).x_to, 3000);
}

}  // namespace
}  // namespace tavo
