// SPDX-License-Identifier: MIT
#include "raw/dark_frames.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <vector>

#include "core/memory.h"
#include "raw/develop_raw.h"
#include "raw/libraw_session.h"
#include "tests/raw/dng_fixtures.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// A w x h frame whose channel c holds values[c] at sample 0, 1, ... and 0
// beyond the list.
DarkFrame MakeFrame(int w, int h, const std::vector<std::vector<uint16_t>>& values) {
  DarkFrame f;
  const size_t n = static_cast<size_t>(w) * h;
  for (int c = 0; c < 4; ++c) {
    f.planes[c] = NewPlane(n, true);
    if (c < static_cast<int>(values.size())) {
      for (size_t i = 0; i < values[c].size() && i < n; ++i) f.planes[c][i] = values[c][i];
    }
  }
  f.width = w;
  f.height = h;
  return f;
}

DarkFrame Channel0(const std::vector<uint16_t>& v) { return MakeFrame(4, 1, {v}); }

std::vector<uint16_t> MasterChannel0(const DarkFrameSet& set) {
  return std::vector<uint16_t>(set.master.planes[0].get(), set.master.planes[0].get() + 4);
}

TEST(CombineDarkFrames, OneAndTwoFrames) {
  DarkFrameSet set;
  set.frames[0] = Channel0({7, 8, 65535, 0});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), (std::vector<uint16_t>{7, 8, 65535, 0}));
  set.frames[1] = Channel0({4, 9, 65535, 1});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  // (7+4)>>1 = 5, (8+9)>>1 = 8, no overflow at the top, (0+1)>>1 = 0.
  EXPECT_EQ(MasterChannel0(set), (std::vector<uint16_t>{5, 8, 65535, 0}));
}

TEST(CombineDarkFrames, ThreeFramesDropTheFarthestAndTheEarliestOnTies) {
  DarkFrameSet set;
  // sample 0: 10 20 90, m = 40, deviations 30 20 50: drop c, (10+20)>>1 = 15
  // sample 1: 10 30 20, m = 20, deviations 10 10 0: a ties b, a goes: 25
  // sample 2: 20 10 30, m = 20, deviations 0 10 10: b ties c, b goes: 25
  // sample 3: 50 50 50: a goes: 50
  set.frames[0] = Channel0({10, 10, 20, 50});
  set.frames[1] = Channel0({20, 30, 10, 50});
  set.frames[2] = Channel0({90, 20, 30, 50});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), (std::vector<uint16_t>{15, 25, 25, 50}));
}

TEST(CombineDarkFrames, FourFramesDropOneAndAverageThree) {
  DarkFrameSet set;
  // sample 0: 10 20 30 100, m = 160>>2 = 40, d goes: 60/3 = 20
  // sample 1: 0 10 20 30, m = 15, a and d tie at 15, a goes: 60/3 = 20
  // sample 2: 40 0 40 40, m = 30, b goes: 120/3 = 40
  // sample 3: 1 2 2 2, m = 7>>2 = 1, d(b) = d(c) = d(d) = 1, a's is 0: b goes: 5/3 = 1
  set.frames[0] = Channel0({10, 0, 40, 1});
  set.frames[1] = Channel0({20, 10, 0, 2});
  set.frames[2] = Channel0({30, 20, 40, 2});
  set.frames[3] = Channel0({100, 30, 40, 2});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), (std::vector<uint16_t>{20, 20, 40, 1}));
}

TEST(CombineDarkFrames, CountStopsAtAGapOrAnotherSize) {
  DarkFrameSet set;
  set.frames[0] = Channel0({100, 100, 100, 100});
  set.frames[2] = Channel0({200, 200, 200, 200});
  set.frames[3] = Channel0({300, 300, 300, 300});
  EXPECT_EQ(CountedDarkFrames(set), 1);
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), (std::vector<uint16_t>{100, 100, 100, 100}));

  set.frames[1] = MakeFrame(2, 2, {{500, 500, 500, 500}});  // another size
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), (std::vector<uint16_t>{100, 100, 100, 100}));
  EXPECT_EQ(set.master.width, 4);
  EXPECT_EQ(set.master.height, 1);
}

TEST(CombineDarkFrames, NoFramesOrTheStartUpFormLeaveNoMaster) {
  DarkFrameSet set;
  set.master = Channel0({1, 2, 3, 4});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_FALSE(set.master.Loaded());
  set.frames[0] = Channel0({1, 2, 3, 4});
  ASSERT_TRUE(CombineDarkFrames(set, -1));
  EXPECT_FALSE(set.master.Loaded());
  ForgetDarkFrames(set);
  EXPECT_FALSE(set.frames[0].Loaded());
}

// Mosaic records of w x h pixels, four channels each, top row first.
struct Records {
  int w, h;
  std::vector<uint16_t> v;
  Records(int width, int height) : w(width), h(height), v(static_cast<size_t>(width) * height * 4) {}
  uint16_t& At(int x, int y, int c) { return v[(static_cast<size_t>(y) * w + x) * 4 + c]; }
};

TEST(DiamondMean, SameColourNeighboursAndOutlierDropping) {
  Records m(5, 5);
  // Red positions (even, even) around (2,2): (2,0) (0,2) (4,2) (2,4).
  m.At(2, 0, 0) = 100;
  m.At(0, 2, 0) = 110;
  m.At(4, 2, 0) = 120;
  m.At(2, 4, 0) = 400;
  m.At(1, 1, 1) = 5000;  // another channel: never counted
  // n = 4, S = 730, m = 182: |100-182| = 82 < |400-182| = 218, drop max:
  // (730-400)/3 = 110.
  EXPECT_EQ(DiamondMean(m.v.data(), 5, 5, 2, 2, 0), 110);
  // (0,0): only (2,0) and (0,2) inside and non-zero: (100+110)/2 = 105.
  EXPECT_EQ(DiamondMean(m.v.data(), 5, 5, 0, 0, 0), 105);
  // (4,4): (4,2) and (2,4): n = 2, (120+400)/2 = 260.
  EXPECT_EQ(DiamondMean(m.v.data(), 5, 5, 4, 4, 0), 260);
  // Nothing of channel 2 anywhere: 0.
  EXPECT_EQ(DiamondMean(m.v.data(), 5, 5, 2, 2, 2), 0);
  // A tie between min and max drops the min: 100 200 300, m = 200,
  // (600-100)/2 = 250.
  Records t(5, 5);
  t.At(2, 0, 0) = 100;
  t.At(0, 2, 0) = 200;
  t.At(4, 2, 0) = 300;
  EXPECT_EQ(DiamondMean(t.v.data(), 5, 5, 2, 2, 0), 250);
}

TEST(ApplyMasterDark, KeepAndZeroModes) {
  // Light 100 30 20 0 over dark 30 30 30 30 in channel 0 of four pixels.
  for (int mode : {kDarkKeep, kDarkZero}) {
    Records m(4, 1);
    const uint16_t light[4] = {100, 30, 20, 0};
    for (int x = 0; x < 4; ++x) m.At(x, 0, 0) = light[x];
    const DarkFrame dark = MakeFrame(4, 1, {{30, 30, 30, 30}});
    ASSERT_TRUE(ApplyMasterDark(m.v.data(), 4, 1, dark, mode, 0));
    EXPECT_EQ(m.At(0, 0, 0), 70);
    EXPECT_EQ(m.At(1, 0, 0), mode == kDarkKeep ? 30 : 0);
    EXPECT_EQ(m.At(2, 0, 0), mode == kDarkKeep ? 20 : 0);
    EXPECT_EQ(m.At(3, 0, 0), 0);
  }
}

TEST(ApplyMasterDark, NeighbourModeRepairsInRowMajorOrder) {
  // Channel 0 on the (even, even) positions of a 5 x 5 mosaic.
  //   light:            dark:             threshold 100
  //   1000 1000 2000    100  100  100
  //   1300 5000 3000    100 6000 2950
  //   1000 1000 1000    900  100  100
  Records m(5, 5);
  const uint16_t light[3][3] = {{1000, 1000, 2000}, {1300, 5000, 3000}, {1000, 1000, 1000}};
  const uint16_t dark_v[3][3] = {{100, 100, 100}, {100, 6000, 2950}, {900, 100, 100}};
  DarkFrame dark = MakeFrame(5, 5, {});
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      m.At(2 * i, 2 * j, 0) = light[j][i];
      dark.planes[0][(2 * j) * 5 + 2 * i] = dark_v[j][i];
    }
  }
  // An isolated defect in channel 1: 500 over 450 is within the threshold.
  m.At(1, 2, 1) = 500;
  dark.planes[1][2 * 5 + 1] = 450;
  ASSERT_TRUE(ApplyMasterDark(m.v.data(), 5, 5, dark, kDarkNeighbours, 100));
  // Plain subtraction where the light clears dark + threshold.
  EXPECT_EQ(m.At(0, 0, 0), 900);
  EXPECT_EQ(m.At(4, 0, 0), 1900);
  EXPECT_EQ(m.At(0, 2, 0), 1200);
  // First pass: (2,2) 5000 <= 6100 is marked and becomes 0; (4,2) 3000 <=
  // 3050 is marked and becomes 50; (0,4) 1000 = 900 + 100 is marked (not
  // above) and becomes 100.
  // Walk, (2,2) first: (2,0) 900, (0,2) 1200, (4,2) 50, (2,4) 900: S = 3050,
  // m = 762, |50-762| is not below |1200-762|: drop 50, 3000/3 = 1000.
  EXPECT_EQ(m.At(2, 2, 0), 1000);
  // (4,2): (4,0) 1900, (2,2) now 1000, (4,4) 900: S = 3800, m = 1266,
  // |900-1266| < |1900-1266|: drop 1900, 1900/2 = 950.
  EXPECT_EQ(m.At(4, 2, 0), 950);
  // (0,4): (0,2) 1200 and (2,4) 900: 1050.
  EXPECT_EQ(m.At(0, 4, 0), 1050);
  // The channel-1 defect has no channel-1 neighbour: 0.
  EXPECT_EQ(m.At(1, 2, 1), 0);
  // Zero samples are left alone, not repaired from their neighbours.
  EXPECT_EQ(m.At(1, 1, 0), 0);
  EXPECT_EQ(m.At(3, 3, 0), 0);
}

TEST(ApplyMasterDark, WrongSizeOrUnknownModeLeavesTheMosaic) {
  Records m(4, 1);
  m.At(0, 0, 0) = 500;
  const DarkFrame dark = MakeFrame(4, 2, {{100}});
  EXPECT_FALSE(ApplyMasterDark(m.v.data(), 4, 1, dark, kDarkZero, 0));
  EXPECT_EQ(m.At(0, 0, 0), 500);
  const DarkFrame fits = MakeFrame(4, 1, {{100}});
  EXPECT_TRUE(ApplyMasterDark(m.v.data(), 4, 1, fits, 7, 0));
  EXPECT_EQ(m.At(0, 0, 0), 500);
  EXPECT_FALSE(ApplyMasterDark(m.v.data(), 4, 1, DarkFrame{}, kDarkZero, 0));
}

// ---- through real decoding of synthetic DNG files ----

std::string FlatRggb(const std::string& dir, const std::string& name, uint16_t value,
                     const std::vector<PlantedSample>& planted = {}, int w = 24, int h = 22) {
  return WriteDngFile(dir, name, FlatDng(kDngMosaic2x2, "RGGB", w, h, value, value, value, planted));
}

TEST(LoadDarkFrame, KeepsTheScaledMosaicPerChannel) {
  const std::string dir = TempDir("dark_scaled");
  // Black 512, white 4607: each sample becomes (v - 512) * 65535 / 4095
  // (a float factor 16.00366), so 1512 -> 16003.66 -> 16003.
  DngImage dng = FlatDng(kDngMosaic2x2, "RGGB", 24, 22, 1512, 1512, 1512);
  dng.black = 512;
  dng.white = 4607;
  const std::string path = WriteDngFile(dir, "scaled.dng", dng);
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, path, 0), kRawOk);
  const DarkFrame& f = set.frames[0];
  ASSERT_TRUE(f.Loaded());
  EXPECT_EQ(f.width, 24);
  EXPECT_EQ(f.height, 22);
  EXPECT_EQ(f.planes[0][0], 16003);       // R at (0,0)
  EXPECT_EQ(f.planes[1][1], 16003);       // G at (1,0)
  EXPECT_EQ(f.planes[3][24], 16003);      // second G at (0,1), not yet folded
  EXPECT_EQ(f.planes[2][25], 16003);      // B at (1,1)
  EXPECT_EQ(f.planes[2][0], 0);           // no blue at a red position
  EXPECT_EQ(f.planes[1][24], 0);
}

TEST(LoadDarkFrame, ABrightSampleScalesTheFrameByItsOwnMaximumAndIsRecorded) {
  const std::string dir = TempDir("dark_bright");
  // As above, plus one red of 4000 at (2,0): 4000 - 512 = 3488 lies above
  // 3/4 of 4607 - 512 = 4095, so the library scales by 3488 instead:
  // 1000 * 65535 / 3488 = 18788.7 -> 18788 (instead of 16003), and the
  // frame records the gain 4095 / 3488.
  DngImage dng = FlatDng(kDngMosaic2x2, "RGGB", 24, 22, 1512, 1512, 1512, {{2, 0, 4000}});
  dng.black = 512;
  dng.white = 4607;
  const std::string path = WriteDngFile(dir, "bright.dng", dng);
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, path, 0), kRawOk);
  const DarkFrame& f = set.frames[0];
  ASSERT_TRUE(f.Loaded());
  EXPECT_EQ(f.planes[0][0], 18788);
  EXPECT_EQ(f.planes[1][1], 18788);
  EXPECT_GE(f.planes[0][2], 65534);
  EXPECT_DOUBLE_EQ(f.gain, 4095.0 / 3488.0);
}

TEST(DarkScale, RescaleIsExactWhenTheScalesAgree) {
  EXPECT_EQ(Rescale(1234, 1.0, 1.0), 1234);
  EXPECT_EQ(Rescale(1234, 1.25, 1.25), 1234);
  EXPECT_EQ(Rescale(1000, 1.25, 1.0), 800);      // 1000 / 1.25
  EXPECT_EQ(Rescale(1000, 1.0, 1.5), 1500);
  EXPECT_EQ(Rescale(1001, 1.5, 1.0), 667);       // 667.33 truncated
  EXPECT_EQ(Rescale(60000, 1.0, 2.0), 65535);    // capped
}

TEST(DarkScale, DarkIsBroughtToTheLightsScaleBeforeSubtracting) {
  // One pixel, channel 0: light 2000 on scale 2, dark 600 on scale 1.5.
  // On the light's scale the dark is 600 * 2 / 1.5 = 800: 2000 - 800.
  DarkFrame dark;
  for (Plane& p : dark.planes) {
    p = NewPlane(1, true);
  }
  dark.planes[0][0] = 600;
  dark.width = dark.height = 1;
  dark.gain = 1.5;
  uint16_t records[4] = {2000, 0, 0, 0};
  ASSERT_TRUE(ApplyMasterDark(records, 1, 1, dark, kDarkZero, 0, 2.0));
  EXPECT_EQ(records[0], 1200);
  uint16_t same[4] = {2000, 0, 0, 0};
  dark.gain = 2.0;
  ASSERT_TRUE(ApplyMasterDark(same, 1, 1, dark, kDarkZero, 0, 2.0));
  EXPECT_EQ(same[0], 1400);  // equal scales: plain 2000 - 600
}

TEST(LoadDarkFrame, EmptyOrMissingReleasesThatFrameOnly) {
  const std::string dir = TempDir("dark_missing");
  const std::string a = FlatRggb(dir, "a.dng", 1100);
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, a, 0), kRawOk);
  ASSERT_EQ(LoadDarkFrame(set, a, 1), kRawOk);
  EXPECT_EQ(LoadDarkFrame(set, "", 1), kRawCannotOpen);
  EXPECT_FALSE(set.frames[1].Loaded());
  EXPECT_TRUE(set.frames[0].Loaded());
  EXPECT_EQ(LoadDarkFrame(set, dir + "/none.CR2", 0), kRawCannotOpen);
  EXPECT_FALSE(set.frames[0].Loaded());
  EXPECT_EQ(LoadDarkFrame(set, a, 4), kRawCannotOpen);  // no such position
}

TEST(LoadDarkFrame, UnreadableSecondFileLimitsTheMaster) {
  const std::string dir = TempDir("dark_second");
  const std::string d1 = FlatRggb(dir, "d1.dng", 1100);
  const std::string d3 = FlatRggb(dir, "d3.dng", 1300);
  const std::string d4 = FlatRggb(dir, "d4.dng", 1400);
  WriteBytes(dir + "/junk.CR2", std::string(5000, 'x'));

  // Position 2 cannot be opened: frames 1, 3 and 4 load, only the first is
  // combined.
  DarkFrameSet set;
  const std::string missing[4] = {d1, dir + "/gone.CR2", d3, d4};
  for (int k = 0; k < 4; ++k) LoadDarkFrame(set, missing[k], k);
  EXPECT_TRUE(set.frames[2].Loaded());
  EXPECT_TRUE(set.frames[3].Loaded());
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  ASSERT_TRUE(set.master.Loaded());
  EXPECT_EQ(set.master.planes[0][0], 1100);
  EXPECT_EQ(set.master.planes[1][1], 1100);

  // Position 2 is not a RAW file the library can decode: that failure drops
  // every frame loaded so far, the later two load, and nothing is counted.
  DarkFrameSet broken;
  const std::string junk[4] = {d1, dir + "/junk.CR2", d3, d4};
  for (int k = 0; k < 4; ++k) LoadDarkFrame(broken, junk[k], k);
  EXPECT_FALSE(broken.frames[0].Loaded());
  EXPECT_TRUE(broken.frames[3].Loaded());
  ASSERT_TRUE(CombineDarkFrames(broken, 0));
  EXPECT_FALSE(broken.master.Loaded());
}

Image Develop(const std::string& path, const DarkFrameSet* darks, int dark_code, RawDevelopOutcome* outcome) {
  Image img;
  const RawDevelopSettings d;
  DevelopRaw(path, img, 0, dark_code, d.gamma[0], d.gamma[1], d.gamma[2], d.black_r, d.white_r, d.black_g,
             d.white_g, d.black_b, d.white_b, d.sharpness, d.radius, d.false_colour, d.saturation, 0, darks,
             outcome);
  return img;
}

TEST(DevelopRawDark, SubtractionRemovesPlantedHotPixels) {
  const std::string dir = TempDir("dark_hot");
  // Light 3000 with hot samples at a blue (5,5) and a red (10,8); the dark
  // 1000 carries the same hot pixels 2000 lower, so light - dark is a flat
  // 2000 everywhere.
  const std::string light = FlatRggb(dir, "light.dng", 3000, {{5, 5, 45000}, {10, 8, 40000}});
  const std::string dark = FlatRggb(dir, "dark.dng", 1000, {{5, 5, 43000}, {10, 8, 38000}});
  const std::string clean = FlatRggb(dir, "clean.dng", 2000);
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, dark, 0), kRawOk);
  ASSERT_TRUE(CombineDarkFrames(set, 0));

  RawDevelopOutcome outcome;
  const Image expected = Develop(clean, nullptr, 0, &outcome);
  ASSERT_EQ(outcome.status, kRawOk);
  for (int mode : {kDarkKeep, kDarkZero, kDarkNeighbours}) {
    const Image corrected = Develop(light, &set, 0 * 256 + mode, &outcome);
    EXPECT_EQ(outcome.status, kRawOk);
    EXPECT_FALSE(outcome.dark_skipped);
    EXPECT_TRUE(SamePlanes(corrected, expected)) << "mode " << mode;
  }
  const Image raw = Develop(light, nullptr, 2, &outcome);
  EXPECT_FALSE(SamePlanes(raw, expected));
}

// Spread of each plane of a developed image: largest minus smallest sample.
int PlaneSpread(const Image& img) {
  int spread = 0;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* p = img.Channel(c);
    const auto [lo, hi] = std::minmax_element(p, p + img.PixelCount());
    spread = std::max(spread, *hi - *lo);
  }
  return spread;
}

TEST(DevelopRawDark, HotPixelsNearTheWhiteLevelAreRemovedToo) {
  const std::string dir = TempDir("dark_hot_bright");
  // Black 0 and white 65535. The hot samples lie above 3/4 of the white
  // level, so the library scales the light by its brightest (60000) and the
  // dark by its own (58000). Brought to the light's scale the dark leaves a
  // flat light - dark of about 2000 * 65535 / 60000 = 2184, hot pixels
  // included (truncation may leave one unit here and there); uncorrected,
  // the hot pixels stand tens of thousands of units out.
  const std::string light = FlatRggb(dir, "light.dng", 3000, {{5, 5, 60000}, {10, 8, 52000}});
  const std::string dark = FlatRggb(dir, "dark.dng", 1000, {{5, 5, 58000}, {10, 8, 50000}});
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, dark, 0), kRawOk);
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  RawDevelopOutcome outcome;
  EXPECT_GT(PlaneSpread(Develop(light, nullptr, 0, &outcome)), 20000);
  for (int mode : {kDarkKeep, kDarkZero, kDarkNeighbours}) {
    EXPECT_LT(PlaneSpread(Develop(light, &set, mode, &outcome)), 64) << "mode " << mode;
  }
}

TEST(DevelopRawDark, DefectsAtTheDarkLevelAreRepairedFromNeighbours) {
  const std::string dir = TempDir("dark_defect");
  // The light's hot red at (10,8) is no brighter than the dark's there:
  // mode 1 leaves a black hole, mode 2 fills it from the reds around, which
  // after subtraction are 2000 like the clean frame.
  const std::string light = FlatRggb(dir, "light.dng", 3000, {{10, 8, 40000}});
  const std::string dark = FlatRggb(dir, "dark.dng", 1000, {{10, 8, 45000}});
  const std::string clean = FlatRggb(dir, "clean.dng", 2000);
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, dark, 0), kRawOk);
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  RawDevelopOutcome outcome;
  const Image expected = Develop(clean, nullptr, 0, &outcome);
  EXPECT_TRUE(SamePlanes(Develop(light, &set, 16 * 256 + kDarkNeighbours, &outcome), expected));
  EXPECT_FALSE(SamePlanes(Develop(light, &set, kDarkZero, &outcome), expected));
}

TEST(DevelopRawDark, MasterOfAnotherSizeIsNotApplied) {
  const std::string dir = TempDir("dark_size");
  const std::string light = FlatRggb(dir, "light.dng", 3000);
  const std::string dark = FlatRggb(dir, "dark.dng", 1000, {}, 26, 22);
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, dark, 0), kRawOk);
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  RawDevelopOutcome outcome;
  const Image plain = Develop(light, nullptr, 2, &outcome);
  EXPECT_FALSE(outcome.dark_skipped);
  const Image with = Develop(light, &set, 2, &outcome);
  EXPECT_EQ(outcome.status, kRawOk);
  EXPECT_TRUE(outcome.dark_skipped);
  EXPECT_TRUE(SamePlanes(with, plain));
}

}  // namespace
}  // namespace tavo
