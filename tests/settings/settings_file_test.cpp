// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/test_images.h"

namespace tavo {
namespace {

// The file's layout: each keyword, then the number of values on each of its lines, in the fixed order older files have.
std::string Layout(const std::string& file) {
  std::string layout, line;
  std::istringstream in(file);
  while (std::getline(in, line)) {
    if (line.find(' ') == std::string::npos && !std::isdigit(static_cast<unsigned char>(line[0]))) {
      layout += (layout.empty() ? "" : " ") + line + ":";
    } else {
      layout += std::to_string(std::count(line.begin(), line.end(), ' ') + 1) + ",";
    }
  }
  return layout;
}

TEST(SettingsFile, DefaultsAreWrittenInTableOrderAndResetKeepsTheShiftRule) {
  Settings s;
  s.back3.shift = 44;
  s.gamma.kind = 0;
  ResetAllSettings(s, false);  // back2 takes back3's shift
  EXPECT_EQ(Ints({s.back2.shift, s.gamma.kind, s.back3.shift}), Ints({44, 1, 30}));
  ResetAllSettings(s, true);
  EXPECT_EQ(s.back2.shift, 0);
  EXPECT_EQ(Layout(FormatSettings(s)),
            "sharp:4, gamma:1,6,6,6,6, lvl:1,7,7,7,7, composite:6, edge:3, resize:2, back1:3, back2:7, back3:5, "
            "round:2, gray:4, color:2, level:1, dark:4, waikyoku:1, display:1, raw:3,6,5,1, VER264:3, wavelet:6, "
            "filter:2, edgearea:2, restore:4, noise:3, cut:3,4,");
  EXPECT_NE(FormatSettings(s).find("raw\n2.200000 2.200000 2.200000\n"), std::string::npos);  // six decimals
}

TEST(SettingsFile, SaveAndLoadRoundTripEveryValue) {
  // Every stored value a different number inside its range, so a value read into the wrong place shows.
  Settings a;
  int n = 1;
  for (SettingGroup& g : SettingGroups(a)) {
    for (auto& line : g.lines) {
      for (SettingRef& ref : line) {
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
  const std::string dir = TempDir("settings");
  ASSERT_TRUE(SaveSettings(a, dir + "/all.tvp"));
  Settings b;
  ASSERT_EQ(LoadSettings(b, dir + "/all.tvp"), 1);
  EXPECT_EQ(FormatSettings(b), FormatSettings(a));
  EXPECT_EQ(Ints({b.cut.scale, b.composite.shift_y}), Ints({a.cut.scale, a.composite.shift_y}));
  EXPECT_NEAR(b.raw.gamma[2], a.raw.gamma[2], 5e-7);  // six decimals survive
  // A missing file changes nothing; an unwritable one is not saved.
  b.level.strength = 77;
  EXPECT_EQ(LoadSettings(b, "/nonexistent/dir/x.tvp"), 0);
  EXPECT_EQ(b.level.strength, 77);
  EXPECT_FALSE(SaveSettings(b, "/nonexistent/dir/x.tvp"));
}

TEST(SettingsFile, ReadingIsForgivingAndClampsWhatItReads) {
  const std::string dir = TempDir("settings");
  // Keywords in any case and order. "edge" has three values but one number follows: the scan stops at "color", read as
  // a keyword. "17", "banana" and a 300-character word are skipped; the second "round" wins. Out-of-range values are
  // brought into range by their rule: ranges cut, flags become 1, a choice outside its values takes its default.
  WriteBytes(dir + "/x.tvp", "LEVEL 55\nSHARP\n4 1000 20 30\nnoise 3 0 1 Display 64\nedge 999 color 50 60 17 banana "
                             "round 1 100 round 2 200 " + std::string(300, 'x') + " waikyoku -12\n"
                             "composite 9 99999 7 5 300 3\nraw 0.5 9 2.25 -3 300 1 130 3 140 12 5 9 7 90 9\n");
  Settings s;
  ASSERT_EQ(LoadSettings(s, dir + "/x.tvp"), 1);
  EXPECT_EQ(Ints({s.level.strength, s.sharp.radius, s.sharp.enhance, s.noise.area, s.noise.strength,
                  s.display.scale, s.edge.range, s.edge.strength, s.color.saturation, s.color.hue,
                  s.round.kind, s.round.angle, s.waikyoku.corner}),
            Ints({55, 4, 30, 3, 1, 64, 999, 10, 50, 60, 2, 200, -12}));
  EXPECT_EQ(Ints({s.composite.mode, s.composite.range, s.composite.method, s.composite.normalise,
                  s.composite.noise_level, s.composite.noise_option}), Ints({4, 10000, 2, 1, 255, 0}));
  EXPECT_EQ(std::vector<double>(s.raw.gamma, s.raw.gamma + 3), std::vector<double>({1, 4, 2.25}));
  EXPECT_EQ(Ints({s.raw.black_r, s.raw.white_r, s.raw.black_g, s.raw.white_g, s.raw.sharpness,
                  s.raw.radius, s.raw.false_colour, s.raw.saturation, s.raw.hue, s.raw.quality}),
            Ints({0, 255, 1, 130, 8, 1, 4, 4, 36, 3}));
  // One group changes only that group.
  WriteBytes(dir + "/gray.tvp", "gray\n3 100 200 300\n");
  Settings one, expected;
  ASSERT_EQ(LoadSettings(one, dir + "/gray.tvp"), 1);
  EXPECT_EQ(one.gray.weight_b, 300);
  expected.gray = one.gray;
  EXPECT_EQ(FormatSettings(one), FormatSettings(expected));
}

TEST(SettingsFile, GroupsForSetIncludeTheExtraKeywords) {
  // The raw group's last value is the quality, which "dark" sets as well; extra keywords read like groups.
  Settings s;
  ASSERT_TRUE(ReadSettingGroup(s, "raw", "1.5 2.25 3 1 130 3 140 5 150 7 1 3 4 11 3"));
  EXPECT_EQ(Ints({s.raw.white_b, s.raw.quality}), Ints({150, 3}));
  ASSERT_TRUE(ReadSettingGroup(s, "dark", "1 2 0 512") && ReadSettingGroup(s, "gamma-table", "7") &&
              ReadSettingGroup(s, "Composite-Weights", "10 20 30 40"));
  EXPECT_EQ(Ints({s.raw.quality, s.raw.defect_threshold, s.gamma.table, s.composite.weights[3]}),
            Ints({2, 512, 3, 40}));
  EXPECT_FALSE(ReadSettingGroup(s, "nosuch", "1"));
  // The extra keywords are neither read from nor written to files.
  const std::string dir = TempDir("settings");
  WriteBytes(dir + "/e.tvp", "sharp-channels 0 0 0\n");
  Settings t;
  ASSERT_EQ(LoadSettings(t, dir + "/e.tvp"), 1);
  EXPECT_EQ(t.sharp.use_r, 1);
  EXPECT_EQ(FormatSettings(t).find("sharp-channels"), std::string::npos);
}

// Restoration, tone and colour values enter in range (a level gamma of 0 would divide by zero).
TEST(SettingsFile, RestorationToneAndColourValuesEnterInRange) {
  Settings s;
  ASSERT_TRUE(ReadSettingGroup(s, "wavelet", "-1 501 10 10 10 7") && ReadSettingGroup(s, "filter", "0 7") &&
              ReadSettingGroup(s, "restore", "0 51 6 -1") && ReadSettingGroup(s, "noise", "9 11 0"));
  EXPECT_EQ(Ints({s.wavelet.gains[0], s.wavelet.gains[1], s.wavelet.order, s.wavelet.enlarge, s.restore.spread,
                  s.restore.dullness, s.restore.iterations, s.restore.emphasis, s.noise.area, s.noise.threshold,
                  s.noise.strength}),
            Ints({0, 500, 1, 1, 1, 50, 5, 0, 5, 10, 1}));
  ASSERT_TRUE(ReadSettingGroup(s, "lvl", "7  255 0 999 -101 0 255 300") &&
              ReadSettingGroup(s, "color-hsv", "400 -1 300 10 20 30 999") &&
              ReadSettingGroup(s, "gray", "9 -4 70000 1"));
  EXPECT_EQ(Ints({s.lvl.table, s.lvl.rows[0][0], s.lvl.rows[0][1], s.lvl.rows[0][2], s.lvl.rows[0][3],
                  s.lvl.rows[0][4], s.lvl.rows[0][6], s.color_hsv.source[0], s.color_hsv.source[1],
                  s.color_hsv.tolerance, s.gray.mode, s.gray.weight_r, s.gray.weight_g}),
            Ints({3, 254, 1, 255, -100, 1, 255, 359, 0, 255, 3, 0, 65535}));
}

}  // namespace
}  // namespace tavo
