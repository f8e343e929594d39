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

}  // namespace
}  // namespace tavo
