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
    img.r[i] = static_cast<uint16_t>(r), img.g[i] = static_cast<uint16_t>(g), img.b[i] = static_cast<uint16_t>(b);
  }
  return img;
}

void Set(Image& img, int x, int row, int r, int g, int b) {
  const size_t i = static_cast<size_t>(row) * img.width + x;
  img.r[i] = static_cast<uint16_t>(r), img.g[i] = static_cast<uint16_t>(g), img.b[i] = static_cast<uint16_t>(b);
}

StackInput In(const Image& img, int weight = 100, int ox = 0, int oy = 0) { return {&img, weight, ox, oy}; }

// Combines the inputs on a w x h canvas; the result must exist.
Image Combine(std::vector<StackInput> in, int w, int h, int mode, int noise = -1, bool normalise = false) {
  Image out;
  EXPECT_TRUE(CombineStack(in.data(), static_cast<int>(in.size()), w, h, mode, noise, normalise, out));
  return out;
}

int R(const Image& img, int x, int row) { return Sample(img.r.get(), img, x, row); }

TEST(StackPlacement, CanvasAndShift) {
  // Found offsets (0, 0) and (-5, -4): everything moves by (+5, +4); w = max(5 + 10, 6), h = max(4 + 8, 12).
  Image a = Flat3(10, 8, 1, 1, 1), b = Flat3(6, 12, 1, 1, 1), wide = Flat3(6000, 1, 1, 1, 1);
  StackInput in[2] = {In(a, 100, 0, 0), In(b, 100, -5, -4)};
  int w = 0, h = 0;
  ComputeCanvas(in, 2, &w, &h);
  EXPECT_EQ(Ints({in[0].offset_x, in[0].offset_y, in[1].offset_x, in[1].offset_y, w, h}), Ints({5, 4, 0, 0, 15, 12}));
  StackInput far[2] = {In(wide, 100, 0, 0), In(wide, 100, 5000, 0)};
  ComputeCanvas(far, 2, &w, &h);
  EXPECT_EQ(w, 10000);  // 11000 cut
  EXPECT_EQ(h, 1);
  StackInput shifted[3] = {In(a, 1, 1, 1), In(a, 1, 2, 0), In(a, 1, 0, 3)};
  ApplyStackShift(shifted, 3, 5, -1);  // input k moves by k x (5, -1)
  EXPECT_EQ(Ints({shifted[0].offset_x, shifted[1].offset_x, shifted[2].offset_x, shifted[0].offset_y,
                  shifted[1].offset_y, shifted[2].offset_y}), Ints({1, 7, 10, 1, -1, 1}));
}

TEST(NormalisationFactors, SmallestMeanOverEachMeanOnTheOverlapGrid) {
  Image a = Flat3(4, 4, 1000, 2000, 3000), b = Flat3(4, 4, 3000, 2000, 6000);
  StackInput in[2] = {In(a), In(b)};
  int f[kStackMax][3];
  NormalisationFactors(in, 2, true, f);
  // 1000 x 16384 / 3000 = 5461.33; 3000 x 16384 / 6000 = 8192.
  EXPECT_EQ(Ints({f[0][0], f[0][1], f[0][2], f[1][0], f[1][1], f[1][2]}),
            Ints({16384, 16384, 16384, 5461, 16384, 8192}));
  NormalisationFactors(in, 2, false, f);
  EXPECT_EQ(f[1][0], 16384);
  // 300 wide: step 300 / 128 + 1 = 3, so only columns 0, 3, 6, ... count; C is 1000 there, 60000 elsewhere; D 2000.
  Image c = Flat3(300, 2, 1000, 1000, 1000), d = Flat3(300, 2, 2000, 1000, 1000);
  for (int x = 0; x < 300; ++x) {
    if (x % 3 != 0) Set(c, x, 0, 60000, 1000, 1000), Set(c, x, 1, 60000, 1000, 1000);
  }
  StackInput grid[2] = {In(c), In(d)};
  NormalisationFactors(grid, 2, true, f);
  EXPECT_EQ(Ints({f[0][0], f[1][0]}), Ints({16384, 8192}));
  // Inputs that only touch, or a channel mean of 0: all unity.
  Image e = Flat3(4, 4, 2000, 0, 2000);
  StackInput apart[2] = {In(a, 100, 0, 0), In(a, 100, 4, 0)}, dark[2] = {In(a), In(e)};
  NormalisationFactors(apart, 2, true, f);
  EXPECT_EQ(f[1][0], 16384);
  NormalisationFactors(dark, 2, true, f);
  EXPECT_EQ(Ints({f[1][0], f[1][2]}), Ints({16384, 16384}));
}

TEST(CombineAverage, WeightsNormalisationZerosAndMonochrome) {
  // 1000, 2000, 4000 with weights 100, 50, 25: 300000 / 175 = 1714.28.
  Image a = Flat3(1, 1, 1000, 1000, 1000), b = Flat3(1, 1, 2000, 2000, 2000), c = Flat3(1, 1, 4000, 4000, 4000);
  EXPECT_EQ(R(Combine({In(a, 100), In(b, 50), In(c, 25)}, 1, 1, kCombineAverage), 0, 0), 1714);
  // Normalised: E's R factor 5461 makes 3000 into 999.94 -> 999; average (1000 + 999) / 2 = 999; G and B stay.
  Image d = Flat3(2, 2, 1000, 2000, 3000), e = Flat3(2, 2, 3000, 2000, 6000);
  EXPECT_EQ(PixelValues(Combine({In(d), In(e)}, 2, 2, kCombineAverage, -1, true), 1, 1), Ints({999, 2000, 3000}));
  // Two inputs: one with all three channels 0 is left out; one with any channel above 0 counts in every channel.
  Image z = Flat3(2, 1, 100, 0, 0), y = Flat3(2, 1, 300, 50, 70), x = Flat3(1, 1, 600, 0, 90);
  Set(z, 1, 0, 0, 0, 0);
  const Image two = Combine({In(z), In(y)}, 2, 1, kCombineAverage);
  EXPECT_EQ(PixelValues(two, 0, 0), Ints({200, 25, 35}));
  EXPECT_EQ(PixelValues(two, 1, 0), Ints({300, 50, 70}));
  // Three inputs: per channel, only samples of 1 or more count: 1000 / 3, only 50, 160 / 2; X misses x = 1.
  const Image three = Combine({In(z), In(y), In(x)}, 2, 1, kCombineAverage);
  EXPECT_EQ(PixelValues(three, 0, 0), Ints({333, 50, 80}));
  EXPECT_EQ(R(three, 1, 0), 300);
  // A monochrome input is read through its R plane (G and B are stale).
  Image mono = Flat3(1, 1, 1000, 0, 0);
  mono.monochrome = 1;
  const Image grey = Combine({In(mono), In(a)}, 1, 1, kCombineAverage);
  EXPECT_EQ(PixelValues(grey, 0, 0), Ints({1000, 1000, 1000}));
  EXPECT_EQ(grey.monochrome, 0);
}

// One-pixel inputs of weight 100 with these R values (G and B 1000): the R of the average with noise control `noise`.
int AverageR(const std::vector<int>& r, int noise) {
  std::vector<Image> img;
  for (int v : r) img.push_back(Flat3(1, 1, v, 1000, 1000));
  std::vector<StackInput> in;
  for (const Image& i : img) in.push_back(In(i));
  return R(Combine(in, 1, 1, kCombineAverage, noise), 0, 0);
}

TEST(CombineAverage, RejectionOfThreeAndFourInputs) {
  const struct {
    const char* what;
    std::vector<int> r;
    int noise, want;
  } cases[] = {
      // d = |v - mean of the others|: 1000 -> |1000 - 2010 / 2| = 5, 1010 -> 10, 1000 -> 5. Level 0 (T = 0) leaves
      // input 2 out; level 1 (T = 256) tolerates it: 3010 / 3.
      {"level 0", {1000, 1010, 1000}, 0, 1000}, {"level 1", {1000, 1010, 1000}, 1, 1003},
      // d3 = |1256 - 1000| = 256: exactly T is kept, (2000 + 1256) / 3; 257 is over and largest (d1 = d2 = 128): 1000.
      {"exactly at T", {1000, 1000, 1256}, 1, 1085}, {"one above T", {1000, 1000, 1257}, 1, 1000},
      // 3000, 1000, 3000, 1000: d1 = d3 = |3000 - 5000 / 3| = 1334, d2 = d4 = 1333, all above T = 1280. S1 is not above
      // S3 and S2 is not largest, so input 3 goes: 5000 / 3.
      {"four: input 3 against 2 and 4", {3000, 1000, 3000, 1000}, 5, 1666},
      {"four, no rejection", {1000, 1000, 60000, 1000}, -1, 15750},
      // 60000 deviates by 59000, the others by |1000 - 62000 / 3| = 19666.
      {"four: the spot goes", {1000, 1000, 60000, 1000}, 5, 1000},
      {"four: the last input is the spot", {1000, 1000, 1000, 60000}, 5, 1000},
      // Move mode keeps the first input only, spot or not.
      {"move mode", {1000, 9000, 1000}, 256 + 5, 1000}, {"move mode, spot first", {9000, 1000, 1000}, 256 + 5, 9000}};
  for (const auto& c : cases) EXPECT_EQ(AverageR(c.r, c.noise), c.want) << c.what;
  // A spot only in R leaves only R: its G and B deviations are 0.
  Image flat = Flat3(1, 1, 1000, 1000, 1000), spot = Flat3(1, 1, 60000, 1000, 1000);
  EXPECT_EQ(PixelValues(Combine({In(flat), In(flat), In(spot), In(flat)}, 1, 1, kCombineAverage, 5), 0, 0),
            Ints({1000, 1000, 1000}));
}

TEST(CombineAverage, RejectionCountsOnlyCoveringInputs) {
  // Three 2 x 1 inputs at x offsets 0, 0, 1: column 0 holds inputs 1 and 2, column 2 input 3: no rejection.
  Image a = Flat3(2, 1, 1000, 1000, 1000), b = Flat3(2, 1, 5000, 5000, 5000), c = Flat3(2, 1, 2000, 2000, 2000);
  for (int noise : {0, 256}) {
    const Image out = Combine({In(a), In(b), In(c, 100, 1, 0)}, 3, 1, kCombineAverage, noise);
    EXPECT_EQ(R(out, 0, 0), 3000) << noise;
    EXPECT_EQ(R(out, 2, 0), 2000) << noise;
  }
  // Column 1 has all three: d = 2500, 3500, 1000, so level 0 leaves input 2 out; move mode keeps input 1.
  EXPECT_EQ(R(Combine({In(a), In(b), In(c, 100, 1, 0)}, 3, 1, kCombineAverage, 0), 1, 0), 1500);
  EXPECT_EQ(R(Combine({In(a), In(b), In(c, 100, 1, 0)}, 3, 1, kCombineAverage, 256), 1, 0), 1000);
  // Input 1 at x offset 1: column 0 is held by inputs 2, 3, 4, and input 3 has a spot there: deviations 4500, 9000,
  // 4500, so input 3 goes. Move mode keeps the first covering input, input 2.
  Image one = Flat3(1, 1, 7000, 7000, 7000), spot = Flat3(2, 1, 1000, 1000, 1000);
  Set(spot, 0, 0, 10000, 1000, 1000);
  EXPECT_EQ(R(Combine({In(one, 100, 1, 0), In(a), In(spot), In(a)}, 2, 1, kCombineAverage, 5), 0, 0), 1000);
  EXPECT_EQ(R(Combine({In(one, 100, 1, 0), In(c), In(spot), In(a)}, 2, 1, kCombineAverage, 256 + 5), 0, 0), 2000);
}

TEST(CombineAverage, TwoInputsReplaceTheRougherOne) {
  // Roughness of the spot at (1, 1): 3 x |5000 - 2000| = 9000 against 0. Level 5: either order gives the flat value,
  // move mode keeps input 1; off, or within T at level 20: the plain average. A difference of exactly T = 256 (level 1)
  // is kept, (1256 + 1000) / 2; 257 is not. The spot at (0, 1) lies on the edge: never replaced.
  Image flat = Flat3(3, 3, 1000, 1000, 1000), spot = Flat3(3, 3, 1000, 1000, 1000);
  Image at_t = Flat3(3, 3, 1000, 1000, 1000), over_t = Flat3(3, 3, 1000, 1000, 1000);
  Set(spot, 1, 1, 5000, 5000, 5000), Set(spot, 0, 1, 5000, 5000, 5000);
  Set(at_t, 1, 1, 1256, 1000, 1000), Set(over_t, 1, 1, 1257, 1000, 1000);
  const struct {
    const Image *first, *second;
    int noise, x, want;
  } cases[] = {{&flat, &spot, 5, 1, 1000},   {&spot, &flat, 5, 1, 1000},  {&spot, &flat, 256 + 5, 1, 5000},
               {&spot, &flat, -1, 1, 3000},  {&spot, &flat, 20, 1, 3000}, {&at_t, &flat, 1, 1, 1128},
               {&over_t, &flat, 1, 1, 1000}, {&spot, &flat, 5, 0, 3000}};
  for (const auto& c : cases) {
    const Image out = Combine({In(*c.first), In(*c.second)}, 3, 3, kCombineAverage, c.noise);
    EXPECT_EQ(R(out, c.x, 1), c.want) << (c.first == &flat) << " " << c.noise << " " << c.x;
  }
}

TEST(CombineOthers, AddMaximumAndMinimum) {
  Image full = Flat3(1, 1, 65280, 65280, 65280);
  EXPECT_EQ(R(Combine({In(full), In(full)}, 1, 1, kCombineAdd), 0, 0), 65535);
  // (1000 x 50 + 2000 x 30) / 100 = 1100; outside input 2 only 500.
  Image a = Flat3(2, 1, 1000, 1000, 1000), b = Flat3(1, 1, 2000, 2000, 2000);
  const Image sum = Combine({In(a, 50), In(b, 30)}, 2, 1, kCombineAdd);
  EXPECT_EQ(Ints({R(sum, 0, 0), R(sum, 1, 0)}), Ints({1100, 500}));
  // Covering inputs only. The minimum leaves out black samples, before or after lit ones; 0 where only black covers.
  Image c = Flat3(2, 1, 0, 500, 7000), d = Flat3(1, 1, 1000, 200, 0);
  const Image mx = Combine({In(c), In(d)}, 2, 1, kCombineMax), mn = Combine({In(c), In(d)}, 2, 1, kCombineMin);
  EXPECT_EQ(PixelValues(mx, 0, 0), Ints({1000, 500, 7000}));
  EXPECT_EQ(PixelValues(mn, 0, 0), Ints({1000, 200, 7000}));
  EXPECT_EQ(PixelValues(mn, 1, 0), Ints({0, 500, 7000}));
  // Canvas pixels no input covers are 0.
  EXPECT_EQ(PixelValues(Combine({In(b), In(b, 100, 2, 0)}, 3, 1, kCombineMax), 1, 0), Ints({0, 0, 0}));
  EXPECT_EQ(PixelValues(Combine({In(b), In(b, 100, 2, 0)}, 3, 1, kCombineMin), 1, 0), Ints({0, 0, 0}));
}

TEST(CombineContrastMax, RunningWeightsFollowTheSharperInput) {
  // 7 x 4: interior pixels x 1..5 in rows 1 and 2. Input 1 is flat (contrast 0); input 2 is 4000 with rows 0 and 3 at
  // 3000, so every interior 3 x 3 block has contrast 12000 - 9000 = 3000 >= 0 + 513: input 2 wins each time. Weights
  // (1, 1) become (2, 2) after every frame pixel, then along row 1: w2 = 3..7 while w1 stays clamped at 2; row 2
  // carries on 8, 9, 10, 10, 10. Value (2000 + w2 x 4000) / (2 + w2); the frame 0.
  Image flat = Flat3(7, 4, 1000, 1000, 1000), sharp = Flat3(7, 4, 4000, 4000, 4000);
  for (int x = 0; x < 7; ++x) Set(sharp, x, 0, 3000, 3000, 3000), Set(sharp, x, 3, 3000, 3000, 3000);
  const Image out = Combine({In(flat), In(sharp)}, 7, 4, kCombineContrastMax);
  std::vector<int> want(28, 0);
  const int row1[5] = {2800, 3000, 3142, 3250, 3333}, row2[5] = {3400, 3454, 3500, 3500, 3500};
  for (int x = 1; x <= 5; ++x) want[7 + x] = row1[x - 1], want[14 + x] = row2[x - 1];
  EXPECT_EQ(PlaneValues(out.r.get(), out), want);
  EXPECT_EQ(PlaneValues(out.b.get(), out), want);
  // Both contrasts 3000: neither exceeds the other by 513, weights stay 2: (4000 + 8000) / 2.
  Image a = Flat3(3, 3, 4000, 4000, 4000), b = Flat3(3, 3, 8000, 8000, 8000);
  Set(a, 0, 0, 3000, 3000, 3000);
  Set(b, 0, 0, 7000, 7000, 7000);
  EXPECT_EQ(R(Combine({In(a), In(b)}, 3, 3, kCombineContrastMax), 1, 1), 6000);
  // Flat 4 x 3 inputs, the second at x = 1: along row 1 the flat first wins (contrast 0 against one that is not there)
  // at x = 1, (3, 2); at x = 2 both are flat, no winner: (3 x 1000 + 2 x 3000) / 5; then the second alone.
  Image c = Flat3(4, 3, 1000, 1000, 1000), d = Flat3(4, 3, 3000, 3000, 3000);
  const Image e = Combine({In(c), In(d, 100, 1, 0)}, 5, 3, kCombineContrastMax);
  EXPECT_EQ(PlaneValues(e.r.get(), e), Ints({0, 0, 0, 0, 0, 0, 1000, 1800, 3000, 0, 0, 0, 0, 0, 0}));
}

TEST(CombineStack, AnyPlacementStaysInsideEveryInput) {
  // Inputs of different sizes at offsets inside, across and beyond the canvas: every rule and noise setting reads only
  // covered samples (the sanitizer build checks the reads) and leaves uncovered pixels 0.
  Image a = MakeNoiseImage(7, 5, 1), b = MakeNoiseImage(3, 9, 2), c = MakeNoiseImage(12, 2, 3);
  Image d = MakeNoiseImage(1, 1, 4);
  const int offsets[][8] = {{0, 0, 2, -3, -11, 4, 6, 4}, {0, 0, 100, 100, -100, -100, 0, 1}, {3, 1, 0, 0, 6, 8, -1, -1},
                            {0, 0, 1 << 30, -(1 << 30), 2, 2, 5, 0}};
  for (const auto& o : offsets) {
    StackInput in[4] = {In(a, 100, o[0], o[1]), In(b, 70, o[2], o[3]), In(c, 30, o[4], o[5]), In(d, 100, o[6], o[7])};
    for (int n = 2; n <= 4; ++n) {
      bool anyone = false;  // covers the corner (8, 9)
      for (int k = 0; k < n; ++k) {
        const StackInput& i = in[k];
        anyone |= i.offset_x <= 8 && i.offset_x + i.image->width > 8 && i.offset_y <= 9 &&
                  i.offset_y + i.image->height > 9;
      }
      for (int run = 0; run < 5 * 3 * 2; ++run) {  // mode, noise -1 / 0 / 256, normalise
        Image out;
        const int noise = run / 2 % 3 == 0 ? -1 : (run / 2 % 3 - 1) * 256;
        ASSERT_TRUE(CombineStack(in, n, 9, 10, run / 6, noise, run % 2, out));
        EXPECT_TRUE(anyone || R(out, 8, 9) == 0);
      }
    }
  }
}

TEST(CombineStack, RefusesBadRequestsAndShortMemory) {
  Image a = Flat3(2, 2, 1, 1, 1);
  StackInput in[2] = {In(a), In(a)};
  Image out = Flat3(1, 1, 7, 7, 7);
  EXPECT_FALSE(CombineStack(in, 1, 2, 2, kCombineAverage, -1, false, out));
  EXPECT_FALSE(CombineStack(in, 2, 0, 2, kCombineAverage, -1, false, out));
  EXPECT_FALSE(CombineStack(in, 2, 2, 2, 5, -1, false, out));
  SetAvailableMemoryForTest(6 * 4 - 1);  // a 2 x 2 canvas needs 24 bytes
  EXPECT_FALSE(CombineStack(in, 2, 2, 2, kCombineAverage, -1, false, out));
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(Ints({out.width, out.r[0]}), Ints({1, 7}));
}

}  // namespace
}  // namespace tavo
