// SPDX-License-Identifier: MIT
#include "tone/saturation_hue.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

struct Case {
  const char* what;
  SaturationHueParams params;
  int in[3];
  int want[3];
};

// Pixel (1000, 2000, 30000) unless said otherwise. Mixing by h, then m =
// (r + g + b) / 3 and x + (x - m) * k / 100.
const Case kCases[] = {
    {"s 0, h 0: k = 0, unchanged", {0, 0}, {1000, 2000, 30000}, {1000, 2000, 30000}},
    {"s -100: the mean grey 33000 / 3", {-100, 0}, {1000, 2000, 30000}, {11000, 11000, 11000}},
    {"h 120: R <- B, G <- R, B <- G, k = 0", {0, 120}, {1000, 2000, 30000}, {30000, 1000, 2000}},
    {"h -120: R <- G, G <- B, B <- R", {0, -120}, {1000, 2000, 30000}, {2000, 30000, 1000}},
    // Mix (15500, 1500, 16000), m 11000, k 100: doubled distances; G < 0.
    {"h 60", {0, 60}, {1000, 2000, 30000}, {20000, 0, 21000}},
    // Mix (1500, 16000, 15500).
    {"h -60", {0, -60}, {1000, 2000, 30000}, {0, 21000, 20000}},
    // Mix (16000, 15500, 1500), k = 0 + 300 - 200.
    {"h 180", {0, 180}, {1000, 2000, 30000}, {21000, 20000, 0}},
    // Mix (90000 + 900000) / 120 = 8250, 1750, 23000; k = 50 + 50.
    {"h 30, s 50", {50, 30}, {1000, 2000, 30000}, {5500, 0, 35000}},
    // m = 33002 / 3 = 11000; B: 19001 * -33 / 100 = -6270.33 -> -6270
    // (towards zero), R: -9999 * -33 / 100 = 3299.67 -> 3299.
    {"quotients truncate towards zero", {-33, 0}, {1001, 2000, 30001}, {4300, 4970, 23731}},
    // m = 20666: R 60000 + 39334, G 1000 - 19666.
    {"results are clamped", {100, 0}, {60000, 1000, 1000}, {65535, 0, 0}},
    // Runs as s -100, h 180: k = 0, mix (16000, 15500, 1500).
    {"parameters out of range are clamped", {-300, 500}, {1000, 2000, 30000}, {16000, 15500, 1500}},
};

TEST(SaturationHue, Cases) {
  for (const Case& c : kCases) {
    Image img = MakeFlatImage(1, 1, 0);
    for (int ch = 0; ch < 3; ++ch) img.Channel(ch)[0] = static_cast<uint16_t>(c.in[ch]);
    EXPECT_EQ(ApplySaturationHue(img, c.params), kOpMade);
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(img.Channel(ch)[0], c.want[ch]) << c.what << " channel " << ch;
  }
}

TEST(SaturationHue, GainAtTheSixtyDegreeSteps) {
  const int rows[][3] = {{0, 59, 98}, {0, 60, 100}, {0, 119, 2}, {0, 120, 0}, {10, -90, 60}, {0, -180, 100}};
  for (const auto& row : rows) EXPECT_EQ(SaturationGain({row[0], row[1]}), row[2]) << row[1];
}

TEST(SaturationHue, MonochromeAndEmptyImagesAreLeftAlone) {
  Image img = MakeNoiseImage(3, 2, 5);
  const Image before = MakeNoiseImage(3, 2, 5);
  img.monochrome = 1;
  EXPECT_EQ(ApplySaturationHue(img, {50, 90}), kOpNothingToDo);
  EXPECT_TRUE(SamePlanes(img, before));
  Image empty;
  EXPECT_EQ(ApplySaturationHue(empty, {50, 90}), kOpNothingToDo);
}

TEST(SaturationHue, LowerStripShowsWhereEachHueGoes) {
  uint8_t upper[3 * 6], lower[3 * 6];
  HueStrips({0, 120}, 6, upper, lower);
  // x = 0 is red; h = 120 sends red to green. x = 2 (120 degrees) is green.
  EXPECT_EQ(upper[0], 255);
  EXPECT_EQ(upper[1], 0);
  EXPECT_EQ(lower[0], 0);
  EXPECT_EQ(lower[1], 255);
  EXPECT_EQ(upper[3 * 2 + 1], 255);
  EXPECT_EQ(lower[3 * 2 + 2], 255);
}

}  // namespace
}  // namespace tavo
