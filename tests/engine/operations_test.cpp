// SPDX-License-Identifier: MIT
#include "engine/operations.h"

#include <gtest/gtest.h>

#include <memory>

#include "filters/distortion.h"
#include "filters/edge.h"
#include "filters/line_split.h"
#include "filters/resize.h"
#include "filters/rotate.h"
#include "filters/sharp.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

ParamBlock GammaBlock(int r1, int r2, int r3, int g1, int g2, int g3, int b1, int b2, int b3, int per_channel,
                      int kind) {
  ParamBlock p;
  const int v[11] = {r1, r2, r3, g1, g2, g3, b1, b2, b3, per_channel, kind};
  for (int i = 0; i < 11; ++i) p[i] = v[i];
  return p;
}

class EngineTest : public ::testing::Test {
 protected:
  std::unique_ptr<SlotTable> slots_ = std::make_unique<SlotTable>();
};

TEST_F(EngineTest, UnknownCodesLeaveTheImageUntouched) {
  Image img = MakeNoiseImage(5, 4, 9);
  const Image before = MakeNoiseImage(5, 4, 9);
  for (int code : {4, -1, 2, 11, 99, 1000}) {
    ParamBlock p;
    RunOperation(*slots_, img, code, p);
  }
  EXPECT_TRUE(SamePlanes(img, before));
}

// Curve (0 -> 0), (128 -> 255), (255 -> 255) straight: S2 from (1, 0) to
// (32768, 65280); 16384 -> 16384 * 65280/32767 - 65280/32767 = 32639.0 -> 32639.
TEST_F(EngineTest, GammaAppliesEachChannelsTriple) {
  Image img = MakeFlatImage(2, 1, 16384);
  ParamBlock p = GammaBlock(0, 128255, 255255, 0, 128128, 255255, 0, 128000, 255255, 1, 0);
  RunOperation(*slots_, img, kOpGamma, p);
  EXPECT_EQ(img.r[0], 32639);
  EXPECT_EQ(img.g[1], 16383);  // default curve: one unit lower
  EXPECT_EQ(img.b[0], 0);      // S2 from (1, 0) to (32768, 0)
}

TEST_F(EngineTest, GammaOnMonochromeMapsROnlyInAllColoursMode) {
  Image img = MakeFlatImage(1, 1, 16384);
  img.g[0] = 7;
  img.b[0] = 9;
  img.monochrome = 1;
  ParamBlock p = GammaBlock(0, 128255, 255255, 0, 128255, 255255, 0, 128255, 255255, 0, 0);
  RunOperation(*slots_, img, kOpGamma, p);
  EXPECT_EQ(img.r[0], 32639);
  EXPECT_EQ(img.g[0], 7);  // stale planes stay as they were
  EXPECT_EQ(img.b[0], 9);
}

TEST_F(EngineTest, GammaPerChannelOnMonochromeStartsEveryPlaneFromR) {
  Image img = MakeFlatImage(1, 1, 16384);
  img.g[0] = 7;
  img.b[0] = 9;
  img.monochrome = 1;
  ParamBlock p = GammaBlock(0, 128255, 255255, 0, 128128, 255255, 0, 128000, 255255, 1, 0);
  RunOperation(*slots_, img, kOpGamma, p);
  EXPECT_EQ(img.r[0], 32639);
  EXPECT_EQ(img.g[0], 16383);
  EXPECT_EQ(img.b[0], 0);
}

TEST_F(EngineTest, GammaOnEmptyImageDoesNothing) {
  Image img;
  ParamBlock p = GammaBlock(0, 128255, 255255, 0, 128255, 255255, 0, 128255, 255255, 0, 0);
  RunOperation(*slots_, img, kOpGamma, p);
  EXPECT_TRUE(img.Empty());
}

// Each filter code reads its entries into the right fields: the same
// samples as the typed entry with the values placed by hand.
TEST_F(EngineTest, FilterCodesReadTheirEntries) {
  struct Case {
    int code;
    std::vector<int> block;
    OpStatus (*direct)(Image&);
  } const cases[] = {
      {kOpSharpSmooth, {2, 3000, 5, 20, 0, kChannelFlagG},
       [](Image& i) { return ApplySharpSmooth(i, {2, 3000, 5, 20, kChannelFlagG}); }},
      {kOpEdge, {9, 2000, 15, 40, 7, kChannelFlagR | kChannelFlagB},
       [](Image& i) { return ApplyEdge(i, {2000, 15, 40, 7, kChannelFlagR | kChannelFlagB}); }},
      {kOpResize, {9, 5, 3, 4, 0}, [](Image& i) { return ResizeNearest(i, 9, 5, 3, 4); }},
      {kOpRotate, {1250, kRotateByAngle}, [](Image& i) { return RotateImage(i, 12500, nullptr); }},
      {kOpRotate, {0, kMirrorTopBottom}, [](Image& i) { return MirrorImage(i, kMirrorTopBottom); }},
      {kOpDistortion, {-7}, [](Image& i) { return ApplyDistortion(i, {-7}); }},
  };
  for (const Case& c : cases) {
    Image by_code = MakeNoiseImage(7, 6, 3), direct = MakeNoiseImage(7, 6, 3);
    ParamBlock p;
    for (size_t k = 0; k < c.block.size(); ++k) p[static_cast<int>(k)] = c.block[k];
    EXPECT_EQ(RunOperation(*slots_, by_code, c.code, p), kOpMade) << c.code;
    c.direct(direct);
    EXPECT_TRUE(SamePlanes(by_code, direct)) << c.code;
  }
}

// Code 30 takes rows 0, 2, ..., code 31 rows 1, 3, ... of slot [0].
TEST_F(EngineTest, LineCodesReadTheSourceSlot) {
  (*slots_)[3] = MakePositionImage(1, 2);
  Image odd, even;
  ParamBlock p;
  p[0] = 3;
  EXPECT_EQ(RunOperation(*slots_, odd, kOpOddLines, p), kOpMade);
  EXPECT_EQ(RunOperation(*slots_, even, kOpEvenLines, p), kOpMade);
  EXPECT_EQ(odd.r[1] * 10 + even.r[0], 1);
  p[0] = 100;
  EXPECT_EQ(RunOperation(*slots_, odd, kOpOddLines, p), kOpNothingToDo);
}

// The blocks of codes 20, 22 and 23 reach the typed parameters in order;
// the arithmetic itself is tested in tests/tone.
TEST_F(EngineTest, ToneCodesDecodeTheirBlocks) {
  Image img = MakeFlatImage(1, 1, 0);
  img.r[0] = 800, img.g[0] = 1600, img.b[0] = 30000;
  ParamBlock p;
  p[0] = 3, p[1] = 0, p[2] = 1, p[3] = 0;  // manual weights: G alone
  EXPECT_EQ(RunOperation(*slots_, img, kOpBlackWhite, p), kOpMade);
  EXPECT_EQ(img.b[0], 1600);
  EXPECT_EQ(img.monochrome, 1);

  img = MakeFlatImage(1, 1, 0);
  img.r[0] = 1000, img.g[0] = 2000, img.b[0] = 30000;
  p = ParamBlock{};
  p[0] = 0, p[1] = 120;  // hue +120: R <- B, G <- R, B <- G
  EXPECT_EQ(RunOperation(*slots_, img, kOpSaturationHue, p), kOpMade);
  EXPECT_EQ(img.r[0], 30000);
  EXPECT_EQ(img.g[0], 1000);

  img = MakeFlatImage(1, 1, 32768);
  p = ParamBlock{};  // strength 0: 32768 * (127 / 255) * 2 = 32639.4
  EXPECT_EQ(RunOperation(*slots_, img, kOpToneCorrection, p), kOpMade);
  EXPECT_EQ(img.g[0], 32639);
}

// [14] = 1 enlarges, [15] = 1 is Haar: with gains of 1.0 every sample is
// repeated 2 x 2.
TEST_F(EngineTest, WaveletTakesGainsEnlargeFlagAndOrder) {
  Image img = MakePositionImage(3, 2);
  ParamBlock p;
  for (int i = 0; i < 6; ++i) p[i] = 10;
  p[14] = 1;
  p[15] = 1;
  EXPECT_EQ(RunOperation(*slots_, img, kOpWavelet, p), kOpMade);
  ASSERT_EQ(img.width, 6);
  EXPECT_EQ(Sample(img.r.get(), img, 5, 3), 2001);
}

// Spread 0.5, dullness 4.0, one iteration, no emphasis: a 3460 bump on
// 20000 becomes 3 O - 2 K * O = 26980 (K's centre 17 / 34.6).
TEST_F(EngineTest, DeblurTakesSpreadDullnessIterationsEmphasis) {
  Image img = MakeFlatImage(5, 5, 20000);
  img.r[12] = 23460;
  ParamBlock p;
  p[0] = 5;
  p[1] = 40;
  p[2] = 1;
  p[3] = 0;
  EXPECT_EQ(RunOperation(*slots_, img, kOpDeblur, p), kOpMade);
  EXPECT_EQ(img.r[12], 26980);
}

}  // namespace
}  // namespace tavo
