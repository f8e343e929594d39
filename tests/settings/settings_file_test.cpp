// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/test_images.h"

namespace tavo {
namespace {

// The default file, group by group in the fixed order.
const char kDefaultFile[] =
    "sharp\n1 2560 10 10\n"
    "gamma\n1\n0 0 128 128 255 255\n0 0 128 128 255 255\n0 0 128 128 255 255\n0 0 128 128 255 255\n"
    "lvl\n0\n0 255 0 0 100 0 255\n0 255 0 0 100 0 255\n0 255 0 0 100 0 255\n0 255 0 0 100 0 255\n"
    "composite\n0 20 1 1 5 1\n"
    "edge\n2560 10 50\n"
    "resize\n1 1\n"
    "back1\n3 100 30\n"
    "back2\n0 0 0 0 0 0 0\n"
    "back3\n32 16 0 30 0\n"
    "round\n3 0\n"
    "gray\n2 299 587 114\n"
    "color\n100 180\n"
    "level\n10\n"
    "dark\n0 0 2 0\n"
    "waikyoku\n0\n"
    "display\n256\n"
    "raw\n2.200000 2.200000 2.200000\n5 180 3 160 0 130\n6 0 2 3 18\n0\n"
    "VER264\n1 0 0\n"
    "wavelet\n10 10 10 10 10 10\n"
    "filter\n2 0\n"
    "edgearea\n1 10\n"
    "restore\n10 20 3 1\n"
    "noise\n5 10 3\n"
    "cut\n4 1024 768\n1 1024 768 100\n";

TEST(SettingsFile, DefaultsAreWrittenInTableOrder) {
  Settings s;
  ResetAllSettings(s, true);
  EXPECT_EQ(FormatSettings(s), kDefaultFile);
}

// Gives every stored value a different number, so a value read into the
// wrong place shows.
void Scramble(Settings& s) {
  int n = 1;
  for (SettingGroup& g : SettingGroups(s)) {
    if (!g.in_file) continue;
    for (auto& line : g.lines) {
      for (SettingRef& ref : line) {
        // Inside each value's range, which loading keeps.
        const double span = ref.hi - ref.lo;
        if (ref.i != nullptr) {
          *ref.i = span < 1000 ? static_cast<int>(ref.lo) + n % static_cast<int>(span + 1)
                               : static_cast<int>(std::max<double>(ref.lo, n * 7 - 300));
        }
        if (ref.d != nullptr) *ref.d = ref.lo + n * 0.0123457;
        ++n;
      }
    }
  }
}

TEST(SettingsFile, SaveAndLoadRoundTripEveryValue) {
  const std::string dir = TempDir("settings_rt");
  Settings a;
  Scramble(a);
  ASSERT_TRUE(SaveSettings(a, dir + "/all.tvp"));
  Settings b;
  ASSERT_EQ(LoadSettings(b, dir + "/all.tvp"), 1);
  EXPECT_EQ(FormatSettings(b), FormatSettings(a));
  EXPECT_EQ(b.cut.scale, a.cut.scale);
  EXPECT_EQ(b.composite.shift_y, a.composite.shift_y);
  // Decimals survive to six places.
  EXPECT_NEAR(b.raw.gamma[2], a.raw.gamma[2], 5e-7);
}

TEST(SettingsFile, LoadingOneGroupChangesOnlyThatGroup) {
  const std::string dir = TempDir("settings_one");
  WriteBytes(dir + "/gray.tvp", "gray\n3 100 200 300\n");
  Settings s;
  const std::string before = FormatSettings(s);
  ASSERT_EQ(LoadSettings(s, dir + "/gray.tvp"), 1);
  EXPECT_EQ(s.gray.mode, 3);
  EXPECT_EQ(s.gray.weight_b, 300);
  Settings expected;
  expected.gray = s.gray;
  EXPECT_EQ(FormatSettings(s), FormatSettings(expected));
  EXPECT_NE(FormatSettings(s), before);
}

TEST(SettingsFile, KeywordsIgnoreCaseAndComeInAnyOrder) {
  const std::string dir = TempDir("settings_case");
  WriteBytes(dir + "/x.tvp", "LEVEL 55\nSHARP\n4 1000 20 30\nnoise 3 0 1 Display 64\n");
  Settings s;
  ASSERT_EQ(LoadSettings(s, dir + "/x.tvp"), 1);
  EXPECT_EQ(s.level.strength, 55);
  EXPECT_EQ(s.sharp.radius, 4);
  EXPECT_EQ(s.sharp.enhance, 30);
  EXPECT_EQ(s.noise.area, 3);
  EXPECT_EQ(s.noise.strength, 1);
  EXPECT_EQ(s.display.scale, 64);
}

TEST(SettingsFile, ShortGroupsStrayWordsAndRepeats) {
  const std::string dir = TempDir("settings_odd");
  // "edge" has three values but only one number follows: the scan stops at
  // the word "color", which is then read as a keyword. "17" and "banana"
  // match nothing and are skipped. The second "round" wins.
  const std::string long_word(300, 'x');
  WriteBytes(dir + "/odd.tvp",
             "edge 999 color 50 60 17 banana round 1 100 round 2 200 " + long_word + " waikyoku -12\n");
  Settings s;
  ASSERT_EQ(LoadSettings(s, dir + "/odd.tvp"), 1);
  EXPECT_EQ(s.edge.range, 999);
  EXPECT_EQ(s.edge.strength, 10);  // kept
  EXPECT_EQ(s.color.saturation, 50);
  EXPECT_EQ(s.color.hue, 60);
  EXPECT_EQ(s.round.kind, 2);
  EXPECT_EQ(s.round.angle, 200);
  EXPECT_EQ(s.waikyoku.corner, -12);
}

TEST(SettingsFile, RawLineOfOneValueIsDarkValueTwo) {
  Settings s;
  ASSERT_TRUE(ReadSettingGroup(s, "raw", "1.5 2.25 3 1 130 3 140 5 150 7 1 3 4 11 3"));
  EXPECT_EQ(s.raw.gamma[0], 1.5);
  EXPECT_EQ(s.raw.gamma[1], 2.25);
  EXPECT_EQ(s.raw.gamma[2], 3.0);
  EXPECT_EQ(s.raw.white_b, 150);
  EXPECT_EQ(s.raw.hue, 11);
  EXPECT_EQ(s.raw.quality, 3);
  ASSERT_TRUE(ReadSettingGroup(s, "dark", "1 2 0 512"));
  EXPECT_EQ(s.raw.quality, 2);
  EXPECT_EQ(s.raw.defect_threshold, 512);
}

TEST(SettingsFile, RestorationValuesAreHeldToTheirRanges) {
  Settings s;
  ASSERT_TRUE(ReadSettingGroup(s, "wavelet", "-1 501 10 10 10 7"));
  EXPECT_EQ(s.wavelet.gains[0], 0);
  EXPECT_EQ(s.wavelet.gains[1], 500);
  ASSERT_TRUE(ReadSettingGroup(s, "filter", "0 7"));
  EXPECT_EQ(s.wavelet.order, 1);
  EXPECT_EQ(s.wavelet.enlarge, 1);
  ASSERT_TRUE(ReadSettingGroup(s, "restore", "0 51 6 -1"));
  const int restore[4] = {s.restore.spread, s.restore.dullness, s.restore.iterations, s.restore.emphasis};
  EXPECT_EQ(std::vector<int>(restore, restore + 4), (std::vector<int>{1, 50, 5, 0}));
  ASSERT_TRUE(ReadSettingGroup(s, "noise", "9 11 0"));
  EXPECT_EQ(s.noise.area, 5);
  EXPECT_EQ(s.noise.threshold, 10);
  EXPECT_EQ(s.noise.strength, 1);
}

TEST(SettingsFile, ExtraKeywordsWorkForSetButNotInFiles) {
  Settings s;
  ASSERT_TRUE(ReadSettingGroup(s, "gamma-table", "2"));
  EXPECT_EQ(s.gamma.table, 2);
  ASSERT_TRUE(ReadSettingGroup(s, "Composite-Weights", "10 20 30 40"));
  EXPECT_EQ(s.composite.weights[3], 40);
  EXPECT_FALSE(ReadSettingGroup(s, "nosuch", "1"));
  const std::string dir = TempDir("settings_extra");
  WriteBytes(dir + "/e.tvp", "sharp-channels 0 0 0\n");
  Settings t;
  ASSERT_EQ(LoadSettings(t, dir + "/e.tvp"), 1);
  EXPECT_EQ(t.sharp.use_r, 1);  // not a file keyword
  EXPECT_EQ(FormatSettings(t).find("sharp-channels"), std::string::npos);
}

TEST(SettingsFile, ToneAndColourValuesEnterInRange) {
  Settings s;
  ASSERT_TRUE(ReadSettingGroup(s, "lvl", "7  255 0 999 -101 0 255 300"));
  EXPECT_EQ(s.lvl.table, 3);
  EXPECT_EQ(s.lvl.rows[0][0], 254);  // in_min
  EXPECT_EQ(s.lvl.rows[0][1], 1);    // in_max
  EXPECT_EQ(s.lvl.rows[0][2], 255);
  EXPECT_EQ(s.lvl.rows[0][3], -100);
  EXPECT_EQ(s.lvl.rows[0][4], 1);    // gamma 0 would divide by zero
  EXPECT_EQ(s.lvl.rows[0][6], 255);
  ASSERT_TRUE(ReadSettingGroup(s, "color-hsv", "400 -1 300 10 20 30 999"));
  EXPECT_EQ(s.color_hsv.source[0], 359);
  EXPECT_EQ(s.color_hsv.source[1], 0);
  EXPECT_EQ(s.color_hsv.tolerance, 255);
  ASSERT_TRUE(ReadSettingGroup(s, "gray", "9 -4 70000 1"));
  EXPECT_EQ(s.gray.mode, 3);
  EXPECT_EQ(s.gray.weight_r, 0);
  EXPECT_EQ(s.gray.weight_g, 65535);
}

TEST(SettingsFile, ResetKeepsBackgroundShiftRule) {
  Settings s;
  s.back3.shift = 44;
  s.gamma.kind = 0;
  ResetAllSettings(s, false);
  EXPECT_EQ(s.back2.shift, 44);
  EXPECT_EQ(s.gamma.kind, 1);
  EXPECT_EQ(s.back3.shift, 30);
  ResetAllSettings(s, true);
  EXPECT_EQ(s.back2.shift, 0);
}

TEST(SettingsFile, MissingFileChangesNothing) {
  Settings s;
  s.level.strength = 77;
  EXPECT_EQ(LoadSettings(s, "/nonexistent/dir/x.tvp"), 0);
  EXPECT_EQ(s.level.strength, 77);
  EXPECT_FALSE(SaveSettings(s, "/nonexistent/dir/x.tvp"));
}

}  // namespace
}  // namespace tavo
