// SPDX-License-Identifier: MIT
#include "raw/dark_frames.h"

#include <gtest/gtest.h>

#include "core/memory.h"
#include "raw/libraw_session.h"
#include "tests/raw/dng_fixtures.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// A w x h frame whose channel c holds values[c] at sample 0, 1, ... and 0 beyond the list.
DarkFrame MakeFrame(int w, int h, const std::vector<std::vector<uint16_t>>& values) {
  DarkFrame f;
  const size_t n = static_cast<size_t>(w) * h;
  for (int c = 0; c < 4; ++c) {
    f.planes[c] = NewPlane(n, true);
    const std::vector<uint16_t> v = c < static_cast<int>(values.size()) ? values[c] : std::vector<uint16_t>();
    for (size_t i = 0; i < v.size() && i < n; ++i) f.planes[c][i] = v[i];
  }
  f.width = w;
  f.height = h;
  return f;
}

DarkFrame Channel0(const std::vector<uint16_t>& v) { return MakeFrame(4, 1, {v}); }

std::vector<int> MasterChannel0(const DarkFrameSet& set) {
  return std::vector<int>(set.master.planes[0].get(), set.master.planes[0].get() + 4);
}

TEST(CombineDarkFrames, OneToFourFramesAndWhatIsCounted) {
  const struct {
    const char* what;
    std::vector<std::vector<uint16_t>> frames;  // channel 0 of four samples each
    std::vector<int> master;
  } cases[] = {
      {"one frame", {{7, 8, 65535, 0}}, {7, 8, 65535, 0}},
      // (7+4)>>1, (8+9)>>1, no overflow at the top, (0+1)>>1.
      {"two frames", {{7, 8, 65535, 0}, {4, 9, 65535, 1}}, {5, 8, 65535, 0}},
      // 10 20 90: m = 40, deviations 30 20 50, drop 90: (10+20)>>1. 10 30 20: m = 20, 10 ties 30, the earlier goes: 25.
      // 20 10 30: 10 and 30 tie, 10 goes: 25. 50 50 50: 50.
      {"three frames", {{10, 10, 20, 50}, {20, 30, 10, 50}, {90, 20, 30, 50}}, {15, 25, 25, 50}},
      // 10 20 30 100: m = 160>>2 = 40, 100 goes: 60/3. 0 10 20 30: m = 15, 0 and 30 tie, 0 goes: 20. 40 0 40 40: m =
      // 30, 0 goes: 40. 1 2 2 2: m = 7>>2 = 1, the first 2 goes (the 1 deviates by 0): 5/3 = 1.
      {"four frames", {{10, 0, 40, 1}, {20, 10, 0, 2}, {30, 20, 40, 2}, {100, 30, 40, 2}}, {20, 20, 40, 1}}};
  for (const auto& c : cases) {
    DarkFrameSet set;
    for (size_t k = 0; k < c.frames.size(); ++k) set.frames[k] = Channel0(c.frames[k]);
    ASSERT_TRUE(CombineDarkFrames(set, 0)) << c.what;
    EXPECT_EQ(MasterChannel0(set), c.master) << c.what;
  }
  // The count stops at a gap, and at a frame of another size.
  DarkFrameSet set;
  set.frames[0] = Channel0({100, 100, 100, 100});
  set.frames[2] = Channel0({200, 200, 200, 200});
  set.frames[3] = Channel0({300, 300, 300, 300});
  EXPECT_EQ(CountedDarkFrames(set), 1);
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), Ints({100, 100, 100, 100}));
  set.frames[1] = MakeFrame(2, 2, {{500, 500, 500, 500}});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_EQ(MasterChannel0(set), Ints({100, 100, 100, 100}));
  EXPECT_EQ(Ints({set.master.width, set.master.height}), Ints({4, 1}));
  // The start-up form (mode < 0) forgets the master; no frames, no master.
  ASSERT_TRUE(CombineDarkFrames(set, -1));
  EXPECT_FALSE(set.master.Loaded());
  ForgetDarkFrames(set);
  EXPECT_FALSE(set.frames[0].Loaded());
  set.master = Channel0({1, 2, 3, 4});
  ASSERT_TRUE(CombineDarkFrames(set, 0));
  EXPECT_FALSE(set.master.Loaded());
}

// Mosaic records of w x h pixels, four channels each, top row first.
struct Records {
  int w, h;
  std::vector<uint16_t> v;
  Records(int width, int height) : w(width), h(height), v(static_cast<size_t>(width) * height * 4) {}
  uint16_t& At(int x, int y, int c) { return v[(static_cast<size_t>(y) * w + x) * 4 + c]; }
};

TEST(DiamondMean, SameColourNeighboursAndOutlierDropping) {
  // Red positions (even, even) around (2,2): (2,0) (0,2) (4,2) (2,4).
  Records m(5, 5);
  m.At(2, 0, 0) = 100, m.At(0, 2, 0) = 110, m.At(4, 2, 0) = 120, m.At(2, 4, 0) = 400;
  m.At(1, 1, 1) = 5000;  // another channel: never counted
  // n = 4, S = 730, m = 182: |100-182| < |400-182|, drop max: 330/3 = 110. (0,0): (2,0) and (0,2) inside: 105. (4,4):
  // (4,2) and (2,4): 260. Nothing of channel 2 anywhere: 0.
  EXPECT_EQ(Ints({DiamondMean(m.v.data(), 5, 5, 2, 2, 0), DiamondMean(m.v.data(), 5, 5, 0, 0, 0),
                  DiamondMean(m.v.data(), 5, 5, 4, 4, 0), DiamondMean(m.v.data(), 5, 5, 2, 2, 2)}),
            Ints({110, 105, 260, 0}));
  // A tie between min and max drops the min: 100 200 300, (600-100)/2.
  Records t(5, 5);
  t.At(2, 0, 0) = 100, t.At(0, 2, 0) = 200, t.At(4, 2, 0) = 300;
  EXPECT_EQ(DiamondMean(t.v.data(), 5, 5, 2, 2, 0), 250);
}

TEST(ApplyMasterDark, KeepZeroAndRefusals) {
  // Light 100 30 20 0 over dark 30 in channel 0 of four pixels.
  for (int mode : {kDarkKeep, kDarkZero}) {
    Records m(4, 1);
    const uint16_t light[4] = {100, 30, 20, 0};
    for (int x = 0; x < 4; ++x) m.At(x, 0, 0) = light[x];
    ASSERT_TRUE(ApplyMasterDark(m.v.data(), 4, 1, MakeFrame(4, 1, {{30, 30, 30, 30}}), mode, 0));
    const std::vector<int> want = mode == kDarkKeep ? Ints({70, 30, 20, 0}) : Ints({70, 0, 0, 0});
    EXPECT_EQ(Ints({m.At(0, 0, 0), m.At(1, 0, 0), m.At(2, 0, 0), m.At(3, 0, 0)}), want) << mode;
  }
  // Another size, an unknown mode or no dark: the mosaic stays.
  Records m(4, 1);
  m.At(0, 0, 0) = 500;
  EXPECT_FALSE(ApplyMasterDark(m.v.data(), 4, 1, MakeFrame(4, 2, {{100}}), kDarkZero, 0));
  EXPECT_TRUE(ApplyMasterDark(m.v.data(), 4, 1, MakeFrame(4, 1, {{100}}), 7, 0));
  EXPECT_FALSE(ApplyMasterDark(m.v.data(), 4, 1, DarkFrame{}, kDarkZero, 0));
  EXPECT_EQ(m.At(0, 0, 0), 500);
  // Rescaling: unchanged on equal scales, else truncated, at most 65535.
  EXPECT_EQ(Ints({Rescale(1234, 1.0, 1.0), Rescale(1234, 1.25, 1.25), Rescale(1000, 1.25, 1.0),
                  Rescale(1000, 1.0, 1.5), Rescale(1001, 1.5, 1.0), Rescale(60000, 1.0, 2.0)}),
            Ints({1234, 1234, 800, 1500, 667, 65535}));
  // Light 2000 on scale 2, dark 600 on scale 1.5: on the light's scale the dark is 800. Equal scales: 2000 - 600.
  DarkFrame dark = MakeFrame(1, 1, {{600}});
  dark.gain = 1.5;
  uint16_t records[4] = {2000, 0, 0, 0};
  ASSERT_TRUE(ApplyMasterDark(records, 1, 1, dark, kDarkZero, 0, 2.0));
  EXPECT_EQ(records[0], 1200);
  dark.gain = 2.0;
  records[0] = 2000;
  ASSERT_TRUE(ApplyMasterDark(records, 1, 1, dark, kDarkZero, 0, 2.0));
  EXPECT_EQ(records[0], 1400);
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
  // Plain subtraction where the light clears dark + threshold: 900, 1900, 1200. First pass: (2,2) 5000 <= 6100 is
  // marked and becomes 0; (4,2) 3000 <= 3050 is marked and becomes 50; (0,4) 1000 = 900 + 100 is marked (not above) and
  // becomes 100. Walk, (2,2) first: (2,0) 900, (0,2) 1200, (4,2) 50, (2,4) 900: S = 3050, m = 762, |50-762| is not
  // below |1200-762|: drop 50, 3000/3 = 1000. (4,2): (4,0) 1900, (2,2) now 1000, (4,4) 900: m = 1266, drop 1900: 950.
  // (0,4): (0,2) 1200 and (2,4) 900: 1050. The channel-1 defect has no channel-1 neighbour: 0. Zero samples stay.
  EXPECT_EQ(Ints({m.At(0, 0, 0), m.At(4, 0, 0), m.At(0, 2, 0), m.At(2, 2, 0), m.At(4, 2, 0),
                  m.At(0, 4, 0), m.At(1, 2, 1), m.At(1, 1, 0), m.At(3, 3, 0)}),
            Ints({900, 1900, 1200, 1000, 950, 1050, 0, 0, 0}));
}

// ---- through real decoding of synthetic DNG files ----

std::string FlatRggb(const std::string& dir, const std::string& name, uint16_t value,
                     const std::vector<PlantedSample>& planted = {}, int w = 24, int h = 22) {
  return WriteDngFile(dir, name, FlatDng("RGGB", w, h, value, value, value, planted));
}

// How a loaded dark is scaled and applied is checked end to end against the RAW cross-check's re-statement.
TEST(LoadDarkFrame, FailuresReleaseFramesAsTheirKindSays) {
  const std::string dir = TempDir("dark");
  const std::string d1 = FlatRggb(dir, "d1.dng", 1100), d3 = FlatRggb(dir, "d3.dng", 1300),
                    d4 = FlatRggb(dir, "d4.dng", 1400);
  WriteBytes(dir + "/junk.CR2", std::string(5000, 'x'));
  // An empty or missing path releases that frame only; position 4 is none.
  DarkFrameSet set;
  ASSERT_EQ(LoadDarkFrame(set, d1, 0), kRawOk);
  ASSERT_EQ(LoadDarkFrame(set, d1, 1), kRawOk);
  EXPECT_EQ(LoadDarkFrame(set, "", 1), kRawCannotOpen);
  EXPECT_FALSE(set.frames[1].Loaded());
  EXPECT_TRUE(set.frames[0].Loaded());
  EXPECT_EQ(LoadDarkFrame(set, d1, 4), kRawCannotOpen);
  // Position 2 is no RAW file the library can decode: the frames loaded so far go; the later two load, none counts.
  DarkFrameSet broken;
  const std::string junk[4] = {d1, dir + "/junk.CR2", d3, d4};
  for (int k = 0; k < 4; ++k) LoadDarkFrame(broken, junk[k], k);
  EXPECT_FALSE(broken.frames[0].Loaded());
  EXPECT_TRUE(broken.frames[3].Loaded());
  ASSERT_TRUE(CombineDarkFrames(broken, 0));
  EXPECT_FALSE(broken.master.Loaded());
  EXPECT_EQ(LoadDarkFrame(broken, dir + "/none.CR2", 3), kRawCannotOpen);
  EXPECT_FALSE(broken.frames[3].Loaded());
}

}  // namespace
}  // namespace tavo
