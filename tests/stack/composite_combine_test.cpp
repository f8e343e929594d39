// SPDX-License-Identifier: MIT
#include "stack/composite_combine.h"

#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/slots.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

Image Flat3(int w, int h, int r, int g, int b) {
  Image img;
  AllocateImagePlanes(img, w, h, false);
  for (size_t i = 0; i < img.PixelCount(); ++i) {
    img.r[i] = static_cast<uint16_t>(r);
    img.g[i] = static_cast<uint16_t>(g);
    img.b[i] = static_cast<uint16_t>(b);
  }
  return img;
}

void Set(Image& img, int x, int row, int r, int g, int b) {
  const size_t i = static_cast<size_t>(row) * img.width + x;
  img.r[i] = static_cast<uint16_t>(r);
  img.g[i] = static_cast<uint16_t>(g);
  img.b[i] = static_cast<uint16_t>(b);
}

StackInput In(const Image& img, int weight, int ox = 0, int oy = 0) {
  StackInput s;
  s.image = &img;
  s.weight = weight;
  s.offset_x = ox;
  s.offset_y = oy;
  return s;
}

// Combines `n` inputs on a w x h canvas; the result must exist.
Image Combine(const StackInput* in, int n, int w, int h, int mode, int noise = -1, bool normalise = false) {
  Image out;
  EXPECT_TRUE(CombineStack(in, n, w, h, mode, noise, normalise, out));
  return out;
}

int R(const Image& img, int x, int row) { return Sample(img.r.get(), img, x, row); }
int G(const Image& img, int x, int row) { return Sample(img.g.get(), img, x, row); }
int B(const Image& img, int x, int row) { return Sample(img.b.get(), img, x, row); }

TEST(ComputeCanvas, MovesOffsetsToZeroAndCoversAll) {
  Image a = Flat3(10, 8, 1, 1, 1), b = Flat3(6, 12, 1, 1, 1);
  // Found offsets (0, 0) and (-5, 4): x moves by +5, y stays (smallest 0).
  StackInput in[2] = {In(a, 100, 0, 0), In(b, 100, -5, 4)};
  int w = 0, h = 0;
  ComputeCanvas(in, 2, &w, &h);
  EXPECT_EQ(in[0].offset_x, 5);
  EXPECT_EQ(in[0].offset_y, 0);
  EXPECT_EQ(in[1].offset_x, 0);
  EXPECT_EQ(in[1].offset_y, 4);
  EXPECT_EQ(w, 15);  // max(5 + 10, 0 + 6)
  EXPECT_EQ(h, 16);  // max(0 + 8, 4 + 12)
}

TEST(ComputeCanvas, SidesAreCappedAt10000) {
  Image a = Flat3(6000, 1, 1, 1, 1), b = Flat3(6000, 1, 1, 1, 1);
  StackInput in[2] = {In(a, 100, 0, 0), In(b, 100, 5000, 0)};
  int w = 0, h = 0;
  ComputeCanvas(in, 2, &w, &h);
  EXPECT_EQ(w, 10000);  // 11000 cut
  EXPECT_EQ(h, 1);
}

TEST(ApplyStackShift, MovesInputKByKTimesTheShift) {
  Image a = Flat3(2, 2, 1, 1, 1);
  StackInput in[3] = {In(a, 1, 1, 1), In(a, 1, 2, 0), In(a, 1, 0, 3)};
  ApplyStackShift(in, 3, 5, -1);
  EXPECT_EQ(in[0].offset_x, 1);
  EXPECT_EQ(in[1].offset_x, 7);
  EXPECT_EQ(in[2].offset_x, 10);
  EXPECT_EQ(in[0].offset_y, 1);
  EXPECT_EQ(in[1].offset_y, -1);
  EXPECT_EQ(in[2].offset_y, 1);
}

TEST(DecodeNoiseControl, OffLevelAndMoveMode) {
  EXPECT_FALSE(DecodeNoiseControl(-1).active);
  const NoiseControl removal = DecodeNoiseControl(5);
  EXPECT_TRUE(removal.active);
  EXPECT_FALSE(removal.move);
  EXPECT_EQ(removal.threshold, 1280);
  const NoiseControl move = DecodeNoiseControl(256 + 3);
  EXPECT_TRUE(move.active);
  EXPECT_TRUE(move.move);
  EXPECT_EQ(move.threshold, 768);
}

TEST(NormalisationFactors, SmallestMeanOverEachMean) {
  Image a = Flat3(4, 4, 1000, 2000, 3000), b = Flat3(4, 4, 3000, 2000, 6000);
  StackInput in[2] = {In(a, 100), In(b, 100)};
  int f[kStackMax][3];
  NormalisationFactors(in, 2, true, f);
  EXPECT_EQ(f[0][0], 16384);
  EXPECT_EQ(f[0][1], 16384);
  EXPECT_EQ(f[0][2], 16384);
  EXPECT_EQ(f[1][0], 5461);  // 1000 * 16384 / 3000 = 5461.33
  EXPECT_EQ(f[1][1], 16384);
  EXPECT_EQ(f[1][2], 8192);  // 3000 * 16384 / 6000
  NormalisationFactors(in, 2, false, f);
  EXPECT_EQ(f[1][0], 16384);
}

TEST(NormalisationFactors, SamplesOnlyTheGridOfTheOverlap) {
  // 300 wide: step 300 / 128 + 1 = 3, so only columns 0, 3, 6, ... count.
  // Input A is 1000 there and 60000 elsewhere; B is flat 2000.
  Image a = Flat3(300, 2, 1000, 1000, 1000), b = Flat3(300, 2, 2000, 1000, 1000);
  for (int x = 0; x < 300; ++x) {
    if (x % 3 == 0) continue;
    Set(a, x, 0, 60000, 1000, 1000);
    Set(a, x, 1, 60000, 1000, 1000);
  }
  StackInput in[2] = {In(a, 100), In(b, 100)};
  int f[kStackMax][3];
  NormalisationFactors(in, 2, true, f);
  EXPECT_EQ(f[0][0], 16384);
  EXPECT_EQ(f[1][0], 8192);
}

TEST(NormalisationFactors, NoOverlapOrAZeroMeanGivesUnity) {
  Image a = Flat3(4, 4, 1000, 1000, 1000), b = Flat3(4, 4, 2000, 0, 2000);
  StackInput apart[2] = {In(a, 100, 0, 0), In(a, 100, 4, 0)};  // touch, do not overlap
  int f[kStackMax][3];
  NormalisationFactors(apart, 2, true, f);
  EXPECT_EQ(f[1][0], 16384);
  StackInput dark[2] = {In(a, 100), In(b, 100)};  // G mean 0 in B
  NormalisationFactors(dark, 2, true, f);
  EXPECT_EQ(f[1][0], 16384);
  EXPECT_EQ(f[1][2], 16384);
}

TEST(CombineAverage, WeightsNormalisationAndTruncation) {
  // Three inputs 1000, 2000, 4000 with weights 100, 50, 25:
  // (100000 + 100000 + 100000) / 175 = 1714.28.
  Image a = Flat3(1, 1, 1000, 1000, 1000), b = Flat3(1, 1, 2000, 2000, 2000), c = Flat3(1, 1, 4000, 4000, 4000);
  StackInput three[3] = {In(a, 100), In(b, 50), In(c, 25)};
  EXPECT_EQ(R(Combine(three, 3, 1, 1, kCombineAverage), 0, 0), 1714);
  // Normalised: B's R factor 5461 makes 3000 into 3000 * 5461 / 16384 =
  // 999.94 -> 999; average (1000 + 999) / 2 = 999.
  Image d = Flat3(2, 2, 1000, 2000, 3000), e = Flat3(2, 2, 3000, 2000, 6000);
  StackInput two[2] = {In(d, 100), In(e, 100)};
  const Image out = Combine(two, 2, 2, 2, kCombineAverage, -1, true);
  EXPECT_EQ(R(out, 1, 1), 999);
  EXPECT_EQ(G(out, 1, 1), 2000);
  EXPECT_EQ(B(out, 1, 1), 3000);
}

TEST(CombineAverage, ZerosDoNotPullTheAverageDown) {
  // Two inputs: an input with all three channels 0 is left out; one with
  // any channel above 0 counts in every channel.
  Image a = Flat3(2, 1, 100, 0, 0), b = Flat3(2, 1, 300, 50, 70);
  Set(a, 1, 0, 0, 0, 0);
  StackInput two[2] = {In(a, 100), In(b, 100)};
  const Image out2 = Combine(two, 2, 2, 1, kCombineAverage);
  EXPECT_EQ(R(out2, 0, 0), 200);
  EXPECT_EQ(G(out2, 0, 0), 25);  // (0 + 50) / 2: A counts, its R is above 0
  EXPECT_EQ(R(out2, 1, 0), 300);
  EXPECT_EQ(G(out2, 1, 0), 50);
  // Three inputs: per channel, only samples of 1 or more count.
  Image c = Flat3(1, 1, 600, 0, 90);
  StackInput three[3] = {In(a, 100), In(b, 100), In(c, 100)};
  const Image out3 = Combine(three, 3, 2, 1, kCombineAverage);
  EXPECT_EQ(R(out3, 0, 0), 333);  // (100 + 300 + 600) / 3
  EXPECT_EQ(G(out3, 0, 0), 50);   // only B's 50
  EXPECT_EQ(B(out3, 0, 0), 80);   // (70 + 90) / 2
  EXPECT_EQ(R(out3, 1, 0), 300);  // A is 0 there, C does not cover it
}

TEST(CombineAverage, BrightSpotInOneOfFourIsLeftOut) {
  Image a = Flat3(3, 3, 1000, 1000, 1000), c = Flat3(3, 3, 1000, 1000, 1000);
  Set(c, 1, 1, 60000, 1000, 1000);
  StackInput in[4] = {In(a, 100), In(a, 100), In(c, 100), In(a, 100)};
  // Level 5: T = 1280. R deviations: input 3 |60000 - 1000| = 59000, the
  // others |1000 - 62000 / 3| = 19666; S3 is largest, so input 3 leaves R
  // (its G and B deviations are 0, so it stays there).
  const Image out = Combine(in, 4, 3, 3, kCombineAverage, 5);
  EXPECT_EQ(R(out, 1, 1), 1000);
  EXPECT_EQ(G(out, 1, 1), 1000);
  // Without the option: (3 * 1000 + 60000) / 4.
  EXPECT_EQ(R(Combine(in, 4, 3, 3, kCombineAverage, -1), 1, 1), 15750);
}

TEST(CombineAverage, FourInputRuleComparesInputThreeOnlyWithTwoAndFour) {
  // R: 3000, 1000, 3000, 1000. d1 = d3 = |3000 - 5000 / 3| = 1334,
  // d2 = d4 = |1000 - 7000 / 3| = 1333; all above T = 1280. S1 is not above
  // S3 and S2 is not largest, so input 3 (greater than S2 and S4) is left
  // out: (3000 + 1000 + 1000) / 3 = 1666.
  Image hi = Flat3(1, 1, 3000, 1000, 1000), lo = Flat3(1, 1, 1000, 1000, 1000);
  StackInput in[4] = {In(hi, 100), In(lo, 100), In(hi, 100), In(lo, 100)};
  EXPECT_EQ(R(Combine(in, 4, 1, 1, kCombineAverage, 5), 0, 0), 1666);
}

TEST(CombineAverage, ThreeInputRuleAndLevelZero) {
  // Level 0: any difference rejects. R: 1000, 1010, 1000 gives
  // d1 = |1000 - 2010 / 2| = 5, d2 = |1010 - 1000| = 10, d3 = 5; S2 is
  // largest, so input 2 leaves R.
  Image a = Flat3(1, 1, 1000, 500, 500), b = Flat3(1, 1, 1010, 500, 500);
  StackInput in[3] = {In(a, 100), In(b, 100), In(a, 100)};
  EXPECT_EQ(R(Combine(in, 3, 1, 1, kCombineAverage, 0), 0, 0), 1000);
  // With level 1 (T = 256) the difference is tolerated: 3010 / 3.
  EXPECT_EQ(R(Combine(in, 3, 1, 1, kCombineAverage, 1), 0, 0), 1003);
}

TEST(CombineAverage, MoveModeKeepsOnlyTheFirstInput) {
  Image a = Flat3(1, 1, 1000, 1000, 1000), b = Flat3(1, 1, 9000, 1000, 1000);
  StackInput spot_second[3] = {In(a, 100), In(b, 100), In(a, 100)};
  const Image out = Combine(spot_second, 3, 1, 1, kCombineAverage, 256 + 5);
  EXPECT_EQ(R(out, 0, 0), 1000);
  EXPECT_EQ(G(out, 0, 0), 1000);
  StackInput spot_first[3] = {In(b, 100), In(a, 100), In(a, 100)};
  EXPECT_EQ(R(Combine(spot_first, 3, 1, 1, kCombineAverage, 256 + 5), 0, 0), 9000);
}

TEST(CombineAverage, PartlyCoveredPixelsKeepTheirInputs) {
  // Three 2 x 1 inputs at x offsets 0, 0, 1: canvas 3 x 1. Column 2 is held
  // by input 3 alone and column 0 by inputs 1 and 2 only; with fewer than
  // three covering inputs nothing is rejected, whatever the level.
  Image a = Flat3(2, 1, 1000, 1000, 1000), b = Flat3(2, 1, 5000, 5000, 5000), c = Flat3(2, 1, 2000, 2000, 2000);
  StackInput in[3] = {In(a, 100, 0, 0), In(b, 100, 0, 0), In(c, 100, 1, 0)};
  for (int noise : {0, 256}) {
    const Image out = Combine(in, 3, 3, 1, kCombineAverage, noise);
    EXPECT_EQ(R(out, 0, 0), 3000) << noise;  // (1000 + 5000) / 2
    EXPECT_EQ(R(out, 2, 0), 2000) << noise;  // input 3 alone
  }
  // Column 1 has all three: d = |1000 - 3500| = 2500, |5000 - 1500| = 3500,
  // |2000 - 3000| = 1000, so level 0 leaves input 2 out: (1000 + 2000) / 2.
  // Move mode keeps input 1 only.
  EXPECT_EQ(R(Combine(in, 3, 3, 1, kCombineAverage, 0), 1, 0), 1500);
  EXPECT_EQ(R(Combine(in, 3, 3, 1, kCombineAverage, 256), 1, 0), 1000);
}

TEST(CombineAverage, ThreeOfFourCoveringUseTheThreeInputRule) {
  // Input 1 sits at x offset 1, so canvas column 0 is held by inputs 2, 3,
  // 4 only. Input 3 has a spot there: among the three, deviations are
  // |1000 - 5500| = 4500, |10000 - 1000| = 9000, 4500: input 3 leaves.
  Image one = Flat3(1, 1, 7000, 7000, 7000), flat = Flat3(2, 1, 1000, 1000, 1000);
  Image spot = Flat3(2, 1, 1000, 1000, 1000);
  Set(spot, 0, 0, 10000, 1000, 1000);
  StackInput in[4] = {In(one, 100, 1, 0), In(flat, 100), In(spot, 100), In(flat, 100)};
  EXPECT_EQ(R(Combine(in, 4, 2, 1, kCombineAverage, 5), 0, 0), 1000);
  // Move mode keeps the first covering input, input 2.
  Image two = Flat3(2, 1, 2000, 2000, 2000);
  StackInput moved[4] = {In(one, 100, 1, 0), In(two, 100), In(spot, 100), In(flat, 100)};
  EXPECT_EQ(R(Combine(moved, 4, 2, 1, kCombineAverage, 256 + 5), 0, 0), 2000);
}

TEST(CombineAverage, TwoInputsReplaceTheRougherOne) {
  Image flat = Flat3(3, 3, 1000, 1000, 1000), spot = Flat3(3, 3, 1000, 1000, 1000);
  Set(spot, 1, 1, 5000, 5000, 5000);
  // Roughness of the spot: 3 * |5000 - 1000| = 12000 against 0.
  StackInput spot_second[2] = {In(flat, 100), In(spot, 100)};
  EXPECT_EQ(R(Combine(spot_second, 2, 3, 3, kCombineAverage, 5), 1, 1), 1000);
  StackInput spot_first[2] = {In(spot, 100), In(flat, 100)};
  EXPECT_EQ(R(Combine(spot_first, 2, 3, 3, kCombineAverage, 5), 1, 1), 1000);
  // Move mode always keeps input 1.
  EXPECT_EQ(R(Combine(spot_first, 2, 3, 3, kCombineAverage, 256 + 5), 1, 1), 5000);
  // Off, or a difference within T, or a pixel on the edge: plain average.
  EXPECT_EQ(R(Combine(spot_first, 2, 3, 3, kCombineAverage, -1), 1, 1), 3000);
  EXPECT_EQ(R(Combine(spot_first, 2, 3, 3, kCombineAverage, 20), 1, 1), 3000);
  Set(spot, 0, 1, 5000, 5000, 5000);
  EXPECT_EQ(R(Combine(spot_first, 2, 3, 3, kCombineAverage, 5), 0, 1), 3000);
}

TEST(CombineAdd, WeightedSumCappedAt65535) {
  Image full = Flat3(1, 1, 65280, 65280, 65280);
  StackInput two_full[2] = {In(full, 100), In(full, 100)};
  EXPECT_EQ(R(Combine(two_full, 2, 1, 1, kCombineAdd), 0, 0), 65535);
  // (1000 * 50 + 2000 * 30) / 100 = 1100; outside input 2 only 500.
  Image a = Flat3(2, 1, 1000, 1000, 1000), b = Flat3(1, 1, 2000, 2000, 2000);
  StackInput in[2] = {In(a, 50), In(b, 30)};
  const Image out = Combine(in, 2, 2, 1, kCombineAdd);
  EXPECT_EQ(R(out, 0, 0), 1100);
  EXPECT_EQ(R(out, 1, 0), 500);
}

TEST(CombineMaxMin, CoveringInputsOnly) {
  Image a = Flat3(2, 1, 0, 500, 7000), b = Flat3(1, 1, 1000, 200, 9000);
  StackInput in[2] = {In(a, 100), In(b, 100)};
  const Image mx = Combine(in, 2, 2, 1, kCombineMax);
  EXPECT_EQ(R(mx, 0, 0), 1000);
  EXPECT_EQ(G(mx, 0, 0), 500);
  EXPECT_EQ(B(mx, 1, 0), 7000);
  const Image mn = Combine(in, 2, 2, 1, kCombineMin);
  EXPECT_EQ(R(mn, 0, 0), 1000);  // 0 is skipped
  EXPECT_EQ(G(mn, 0, 0), 200);
  EXPECT_EQ(R(mn, 1, 0), 0);     // only A covers, and it is 0
  EXPECT_EQ(B(mn, 1, 0), 7000);
  // Canvas pixels no input covers are 0 for both.
  StackInput apart[2] = {In(b, 100, 0, 0), In(b, 100, 2, 0)};
  EXPECT_EQ(B(Combine(apart, 2, 3, 1, kCombineMax), 1, 0), 0);
  EXPECT_EQ(B(Combine(apart, 2, 3, 1, kCombineMin), 1, 0), 0);
}

TEST(CombineContrastMax, RunningWeightsFollowTheSharperInput) {
  // 7 x 4: interior pixels x 1..5 in rows 1 and 2. Input 1 is flat (contrast
  // 0); input 2 is 4000 with rows 0 and 3 at 3000, so every interior 3 x 3
  // block has contrast 12000 - 9000 = 3000 >= 0 + 513: input 2 wins each
  // time. Weights (1, 1) become (2, 2) after every frame pixel, then along
  // row 1: w2 = 3..7 while w1 stays clamped at 2; row 2 carries on 8, 9, 10,
  // 10, 10.
  Image flat = Flat3(7, 4, 1000, 1000, 1000), sharp = Flat3(7, 4, 4000, 4000, 4000);
  for (int x = 0; x < 7; ++x) {
    Set(sharp, x, 0, 3000, 3000, 3000);
    Set(sharp, x, 3, 3000, 3000, 3000);
  }
  StackInput in[2] = {In(flat, 100), In(sharp, 100)};
  const Image out = Combine(in, 2, 7, 4, kCombineContrastMax);
  const int row1[5] = {2800, 3000, 3142, 3250, 3333};  // (2000 + w2 * 4000) / (2 + w2)
  const int row2[5] = {3400, 3454, 3500, 3500, 3500};
  for (int x = 1; x <= 5; ++x) {
    EXPECT_EQ(R(out, x, 1), row1[x - 1]) << x;
    EXPECT_EQ(B(out, x, 2), row2[x - 1]) << x;
  }
  for (int x = 0; x < 7; ++x) {
    EXPECT_EQ(R(out, x, 0), 0);
    EXPECT_EQ(R(out, x, 3), 0);
  }
  EXPECT_EQ(G(out, 0, 1), 0);
  EXPECT_EQ(G(out, 6, 2), 0);
}

TEST(CombineContrastMax, NoClearWinnerKeepsEqualWeights) {
  // Both contrasts 3000: neither exceeds the other by 513, weights stay 2.
  Image a = Flat3(3, 3, 4000, 4000, 4000), b = Flat3(3, 3, 8000, 8000, 8000);
  Set(a, 0, 0, 3000, 3000, 3000);
  Set(b, 0, 0, 7000, 7000, 7000);
  StackInput in[2] = {In(a, 100), In(b, 100)};
  EXPECT_EQ(R(Combine(in, 2, 3, 3, kCombineContrastMax), 1, 1), 6000);
}

TEST(CombineStack, MonochromeInputsReadTheirRPlane) {
  Image mono = Flat3(1, 1, 1000, 0, 0);
  mono.monochrome = 1;  // G and B are stale
  Image colour = Flat3(1, 1, 1000, 1000, 1000);
  StackInput in[2] = {In(mono, 100), In(colour, 100)};
  const Image out = Combine(in, 2, 1, 1, kCombineAverage);
  EXPECT_EQ(G(out, 0, 0), 1000);
  EXPECT_EQ(B(out, 0, 0), 1000);
  EXPECT_EQ(out.monochrome, 0);
}

TEST(CombineStack, AnyPlacementStaysInsideEveryInput) {
  // Inputs of different sizes at offsets far inside, across and beyond the
  // canvas; every rule and noise setting must only read covered samples
  // (the sanitizer build checks the reads) and leave uncovered pixels 0.
  Image a = MakeNoiseImage(7, 5, 1), b = MakeNoiseImage(3, 9, 2), c = MakeNoiseImage(12, 2, 3), d = MakeNoiseImage(1, 1, 4);
  const int offsets[][8] = {{0, 0, 2, -3, -11, 4, 6, 4},
                            {0, 0, 100, 100, -100, -100, 0, 1},
                            {3, 1, 0, 0, 6, 8, -1, -1},
                            {0, 0, 1 << 30, -(1 << 30), 2, 2, 5, 0}};
  for (const auto& o : offsets) {
    StackInput in[4] = {In(a, 100, o[0], o[1]), In(b, 70, o[2], o[3]), In(c, 30, o[4], o[5]), In(d, 100, o[6], o[7])};
    for (int n = 2; n <= 4; ++n) {
      for (int mode = kCombineAverage; mode <= kCombineContrastMax; ++mode) {
        for (int noise : {-1, 0, 256}) {
          for (bool normalise : {false, true}) {
            Image out;
            ASSERT_TRUE(CombineStack(in, n, 9, 10, mode, noise, normalise, out));
            bool anyone = false;
            for (int k = 0; k < n; ++k) {
              anyone |= in[k].offset_x <= 8 && in[k].offset_x + in[k].image->width > 8 && in[k].offset_y <= 9 &&
                        in[k].offset_y + in[k].image->height > 9;
            }
            if (!anyone) {
              EXPECT_EQ(R(out, 8, 9), 0);
            }
          }
        }
      }
    }
  }
}

TEST(CombineStack, RefusesBadRequestsAndShortMemory) {
  Image a = Flat3(2, 2, 1, 1, 1);
  StackInput in[2] = {In(a, 100), In(a, 100)};
  Image out = Flat3(1, 1, 7, 7, 7);
  EXPECT_FALSE(CombineStack(in, 1, 2, 2, kCombineAverage, -1, false, out));
  EXPECT_FALSE(CombineStack(in, 2, 0, 2, kCombineAverage, -1, false, out));
  EXPECT_FALSE(CombineStack(in, 2, 2, 2, 5, -1, false, out));
  SetAvailableMemoryForTest(6 * 4 - 1);  // a 2 x 2 canvas needs 24 bytes
  EXPECT_FALSE(CombineStack(in, 2, 2, 2, kCombineAverage, -1, false, out));
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(out.width, 1);
  EXPECT_EQ(out.r[0], 7);
}

}  // namespace
}  // namespace tavo
