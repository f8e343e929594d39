// SPDX-License-Identifier: MIT
#include "tone/color_change.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

struct HsvCase {
  int r, g, b;
  Hsv want;
};

// Halved samples r, g, b; hue = (difference * 8192) / delta + sector base.
const HsvCase kToHsv[] = {
    {65535, 0, 0, {0, 65535, 65534}},         // odd maximum loses its low bit
    {0, 65535, 0, {16384, 65535, 65534}},
    {0, 0, 65535, {32768, 65535, 65534}},
    {1000, 1000, 1000, {0, 0, 1000}},         // grey
    {2000, 2000, 0, {8192, 65535, 2000}},     // R and G tie: R counts as top
    {0, 2000, 2000, {24576, 65535, 2000}},    // G and B tie: G counts as top
    {2000, 0, 1000, {45056, 65535, 2000}},    // (0 - 500) * 8192 / 1000 + 49152
    {3001, 1000, 0, {2730, 65535, 3000}},     // 500 * 8192 / 1500 = 2730.67
    {4000, 3000, 1000, {5461, 49151, 4000}},  // 1000 * 8192 / 1500; 1500 * 65535 / 2000 = 49151.25
};

TEST(ColorChange, RgbToHsv) {
  for (const HsvCase& c : kToHsv) {
    const Hsv h = RgbToHsv(c.r, c.g, c.b);
    EXPECT_EQ(h.hue, c.want.hue) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(h.saturation, c.want.saturation) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(h.value, c.want.value) << c.r << " " << c.g << " " << c.b;
  }
}

struct RgbCase {
  int hue, saturation, value;
  int want[3];
};

// f = hue - sector * 8192; p = (65535 - S) V / 65535; q and t likewise.
const RgbCase kToRgb[] = {
    {0, 0, 65534, {65534, 65534, 65534}},  // (65535 * 65534) passes 2^31
    // f = 2048: q = 65535 - 16383, t = 65535 - 49151; p = 0.
    {2048, 65535, 65535, {65535, 16384, 0}},      // sector 0: (V, t, p)
    {10240, 65535, 65535, {49152, 65535, 0}},     // sector 1: (q, V, p)
    {18432, 65535, 65535, {0, 65535, 16384}},     // sector 2: (p, V, t)
    {26624, 65535, 65535, {0, 49152, 65535}},     // sector 3: (p, q, V)
    {34816, 65535, 65535, {16384, 0, 65535}},     // sector 4: (t, p, V)
    {43008, 65535, 65535, {65535, 0, 49152}},     // sector 5: (V, p, q)
    // p = 32767 * 40000 / 65535 = 19999.7; q = 49151 * 40000 / 65535.
    {45056, 32768, 40000, {40000, 19999, 29999}},  // sector 5: (V, p, q)
};

TEST(ColorChange, HsvToRgb) {
  for (const RgbCase& c : kToRgb) {
    const Rgb16 got = HsvToRgb(c.hue, c.saturation, c.value);
    EXPECT_EQ(got.r, c.want[0]) << c.hue;
    EXPECT_EQ(got.g, c.want[1]) << c.hue;
    EXPECT_EQ(got.b, c.want[2]) << c.hue;
  }
}

template <typename P>
struct ChangeCase {
  const char* what;
  Rgb16 in;
  P params;
  Rgb16 want;
};

// Each case on a 1 x 1 image through `apply`.
template <typename P, size_t N>
void ExpectChanges(const ChangeCase<P> (&cases)[N], OpStatus (*apply)(Image&, const P&)) {
  for (const ChangeCase<P>& c : cases) {
    Image img = MakeFlatImage(1, 1, 0);
    img.r[0] = c.in.r, img.g[0] = c.in.g, img.b[0] = c.in.b;
    apply(img, c.params);
    EXPECT_EQ(img.r[0], c.want.r) << c.what;
    EXPECT_EQ(img.g[0], c.want.g) << c.what;
    EXPECT_EQ(img.b[0], c.want.b) << c.what;
  }
}

// d = (|R/256 - R0| + |G/256 - G0| + |B/256 - B0|) / 3, integer.
const ChangeCase<ColorChangeRgbParams> kRgbChanges[] = {
    {"T 0, high bytes equal: the target", {25637, 38655, 51200}, {100, 150, 200, 10, 20, 30, 0}, {2560, 5120, 7680}},
    {"T 0, differences summing to 2: d = 0", {25856, 38400, 51456}, {100, 150, 200, 10, 20, 30, 0}, {2560, 5120, 7680}},
    {"T 0, differences summing to 3: d = 1", {26112, 38400, 51456}, {100, 150, 200, 10, 20, 30, 0}, {26112, 38400, 51456}},
    // d = 12 / 3 = 4: (0 * 6 + 26624 * 4) / 10; (65280 * 6 + 27748 * 4) / 10
    // = 50267.2; (2560 * 6 + 25600 * 4) / 10.
    {"blend inside the tolerance", {26624, 27748, 25600}, {100, 100, 100, 0, 255, 10, 10}, {10649, 50267, 11776}},
    {"d = T keeps its own colour", {33280, 25600, 25600}, {100, 100, 100, 0, 255, 10, 10}, {33280, 25600, 25600}},
    {"d = T + 1 is untouched", {34048, 25600, 25600}, {100, 100, 100, 0, 255, 10, 10}, {34048, 25600, 25600}},
    {"values out of range are clamped", {65535, 65535, 65535}, {300, 300, 300, 300, -5, 0, -1}, {65280, 0, 0}},
};

TEST(ColorChange, ByRgb) { ExpectChanges(kRgbChanges, ApplyColorChangeRgb); }

// (65534, 0, 10922) has hue 47787 (350 degrees), (65534, 0, 5464) 48469
// (355 degrees), (65534, 10922, 0) 1365 (10 degrees). Source 350 is H0 =
// 47786, target 10 is H1 = 1365; H0 then wraps to -1366.
const ChangeCase<ColorChangeHsvParams> kHsvChanges[] = {
    // New hue 47787 + 1366 + 1365 - 49152 = 1366; s and v 32640 * 65535 /
    // 65280 * 2 = 65534; t = (65535 - 6826 * 65534 / 8192) * 65534 / 65535.
    {"350 to 10 turns +20 degrees", {65534, 0, 10922}, {350, 255, 255, 10, 255, 255, 8}, {65534, 10928, 0}},
    // 355 degrees is 683 units = 20 quarter degrees from the source.
    {"5 degrees away, tolerance 19", {65534, 0, 5464}, {350, 255, 255, 10, 255, 255, 19}, {65534, 0, 5464}},
    // New hue 48469 + 1366 + 1365 - 49152 = 2048: t = (65535 - 49150) * 65534
    // / 65535 = 16384.7.
    {"5 degrees away, tolerance 20", {65534, 0, 5464}, {350, 255, 255, 10, 255, 255, 20}, {65534, 16384, 0}},
    // Source 10, target 200 (27306): the target wraps to -21846 and is
    // brought back for T = 0: sector 3, f 2730, q = (65535 - 21754) * 65280
    // / 65535 = 43610.6.
    {"T 0 with a wrapped target", {65534, 10922, 0}, {10, 255, 255, 200, 255, 255, 0}, {254, 43610, 65280}},
    // Hue 0: caught; saturation stays 0, value (6400 * 30000 / 25600) * 2.
    {"a grey pixel is near hue 0", {30000, 30000, 30000}, {0, 100, 100, 120, 200, 50, 4}, {15000, 15000, 15000}},
    // Source saturation 1 (256): the target saturation 65280 is taken as it
    // is; p = 255 * 15000 / 65535 = 58.4.
    {"source saturation 1 takes the target's", {30000, 30000, 30000}, {0, 1, 100, 0, 255, 50, 4}, {15000, 58, 58}},
};

TEST(ColorChange, ByHsv) { ExpectChanges(kHsvChanges, ApplyColorChangeHsv); }

TEST(ColorChange, MonochromeBecomesColour) {
  Image img = MakeFlatImage(1, 1, 25600);
  img.g[0] = img.b[0] = 0;  // stale
  img.monochrome = 1;
  ApplyColorChangeRgb(img, {100, 100, 100, 200, 0, 0, 0});
  EXPECT_EQ(img.monochrome, 0);
  EXPECT_EQ(img.r[0], 51200);
  EXPECT_EQ(img.g[0], 0);
  Image empty;
  EXPECT_EQ(ApplyColorChangeHsv(empty, {}), kOpNothingToDo);
}

}  // namespace
}  // namespace tavo
