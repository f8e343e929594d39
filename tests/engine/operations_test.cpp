// SPDX-License-Identifier: MIT
// The code-based entry: how each numbered block is decoded and clamped. The operations are tested with their modules.
#include "engine/operations.h"

#include <gtest/gtest.h>

#include <memory>

#include "filters/distortion.h"
#include "filters/edge.h"
#include "filters/line_split.h"
#include "filters/resize.h"
#include "filters/rotate.h"
#include "filters/sharp.h"
#include "stack/composite_combine.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

ParamBlock Block(std::initializer_list<int> values) {
  ParamBlock p;
  int i = 0;
  for (int v : values) p[i++] = v;
  return p;
}

class EngineTest : public ::testing::Test {
 protected:
  std::unique_ptr<SlotTable> slots_ = std::make_unique<SlotTable>();
};

TEST_F(EngineTest, UnknownCodesLeaveTheImageUntouched) {
  Image img = MakeNoiseImage(5, 4, 9);
  const Image before = MakeNoiseImage(5, 4, 9);
  for (int code : {4, -1, 2, 11, 99, 1000}) EXPECT_EQ(RunOperation(*slots_, img, code, ParamBlock{}), kOpNothingToDo);
  EXPECT_TRUE(SamePlanes(img, before));
}

// Points packed input * 1000 + output, three per channel, the per-channel switch, the kind. (0, 0) (128, 255) (255,
// 255) straight: the line from (1, 0) to (32768, 65280) takes 16384 to 32639; the default points take it to 16383;
// (128, 0) flattens it to 0.
TEST_F(EngineTest, GammaBlockGivesEachChannelItsPoints) {
  Image img = MakeFlatImage(1, 1, 16384);
  ASSERT_EQ(RunOperation(*slots_, img, kOpGamma,
                         Block({0, 128255, 255255, 0, 128128, 255255, 0, 128000, 255255, 1, 0})), kOpMade);
  EXPECT_EQ(PixelValues(img, 0, 0), Ints({32639, 16383, 0}));
  // Packed parts beyond 255 clamp to 255, negative ones to 0; a kind other than 0 is curved, a per-channel value other
  // than 1 is off: on a monochrome image only R is mapped. Curved default points: 16383 too.
  Image mono = MakeFlatImage(1, 1, 16384);
  mono.monochrome = 1;
  ASSERT_EQ(RunOperation(*slots_, mono, kOpGamma, Block({-5, 128128, 999999, 0, 0, 0, 0, 0, 0, 2, 7})), kOpMade);
  EXPECT_EQ(PixelValues(mono, 0, 0), Ints({16383, 16384, 16384}));
}

// Slots [4]..[7], weights [8]..[11], ranges [0] [1], mode [2], method and normalisation [3], noise [15], shift [16].
TEST_F(EngineTest, CompositeBlockTakesSlotsAndWeightsByRow) {
  (*slots_)[2] = MakeFlatImage(8, 8, 1000);
  (*slots_)[5] = MakeFlatImage(8, 8, 3000);
  // Rows 1 and 3 hold slots 2 and 5; row 2 is empty, row 4 out of range. Range 0 is taken as 1: flat frames tie, the
  // first displacement (-1, -1) wins, so the canvas is 9 x 9 with input 1 at (1, 1) and input 2 at (0, 0). Add: both
  // 1000 x 50 / 100 + 3000 x 20 / 100, input 2 alone 600, input 1 alone 500.
  ParamBlock p = Block({0, 0, kCombineAdd, 0, 2, -1, 5, 100, 50, 999, 20, 999});
  Image out;
  const auto row4 = [&](std::initializer_list<int> xs) {
    std::vector<int> v;
    for (int x : xs) v.push_back(Sample(out.r.get(), out, x, 4));
    return v;
  };
  ASSERT_EQ(RunOperation(*slots_, out, kOpCompositeAuto, p), kOpMade);
  ASSERT_EQ(out.width, 9);
  EXPECT_EQ(row4({0, 1, 4, 8}), Ints({600, 1100, 1100, 500}));
  // A shift of 2 per input moves input 2 to x = 2; the canvas stays.
  p[16] = 2;
  ASSERT_EQ(RunOperation(*slots_, out, kOpCompositeAuto, p), kOpMade);
  ASSERT_EQ(out.width, 9);
  EXPECT_EQ(row4({0, 1, 2}), Ints({0, 500, 1100}));
  // Mode 7 acts as contrast maximum: only pixels inside an input's edge count: x = 0 empty, x = 1 input 2, x = 7 input
  // 1.
  p[2] = 7, p[16] = 0;
  ASSERT_EQ(RunOperation(*slots_, out, kOpCompositeAuto, p), kOpMade);
  EXPECT_EQ(row4({0, 1, 7}), Ints({0, 3000, 1000}));
  // Average with [3] = 3: normalised, so 3000 counts as 3000 x 5461 / 16384 = 999: (1000 x 50 + 999 x 20) / 70 = 999.
  // Noise -7 is taken as off; level 0 replaces the rougher of two differing inputs (a tie keeps input 1): 1000.
  p[2] = kCombineAverage, p[3] = 3, p[15] = -7;
  ASSERT_EQ(RunOperation(*slots_, out, kOpCompositeAuto, p), kOpMade);
  EXPECT_EQ(Sample(out.r.get(), out, 4, 4), 999);
  p[15] = 0;
  ASSERT_EQ(RunOperation(*slots_, out, kOpCompositeAuto, p), kOpMade);
  EXPECT_EQ(Sample(out.r.get(), out, 4, 4), 1000);
  p[6] = -1;  // one row left
  EXPECT_EQ(RunOperation(*slots_, out, kOpCompositeAuto, p), kOpTooFewInputs);
}

// Mode [0], levels [2]..[7] in 8-bit units (centre, periphery per channel), curve [8]. Centre 4 x 256 = 1024 over
// periphery 0 on a flat 1000: the corner becomes (1000 x 128 / 1024) x 16 = 2000 (stack/background_quad).
TEST_F(EngineTest, BackgroundBlockLevelsAreEightBitUnits) {
  Image img = MakeFlatImage(8, 6, 1000);
  ASSERT_EQ(RunOperation(*slots_, img, kOpBackground, Block({0, 0, 4, 0, 4, 0, 4, 0, 200})), kOpMade);
  EXPECT_EQ(PixelValues(img, 0, 0), Ints({2000, 2000, 2000}));
  EXPECT_EQ(Sample(img.r.get(), img, 4, 3), 992);
  // Modes that use a background image or points do nothing here.
  EXPECT_EQ(RunOperation(*slots_, img, kOpBackground, Block({3, 0, 4, 0, 4, 0, 4, 0, 200})), kOpNothingToDo);
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
