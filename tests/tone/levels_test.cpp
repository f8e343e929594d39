// SPDX-License-Identifier: MIT
#include "tone/levels.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/test_images.h"

namespace tavo {
namespace {

// Window fields: in_min in_max brightness contrast gamma out_min out_max.
struct MapCase {
  const char* what;
  LevelWindow window;
  int value;
  int want;
};

// Working: result = out_min * 256 + ((v - (in_min - brightness) * 256) /
// ((in_max - in_min) * 256)) ^ (100 / gamma) * (out_max - out_min) * 256,
// t capped at 1, then truncated.
const MapCase kMapCases[] = {
    {"default: 0 stays 0 (numerator 1e-10)", {}, 0, 0},
    {"default: 16325 / 65280 * 65280 rounds a hair low", {}, 16325, 16324},
    {"default: above 65280 t is capped", {}, 65535, 65280},
    {"gamma 200: 0.25 ^ 0.5 * 65280", {0, 255, 0, 0, 200, 0, 255}, 16320, 32640},
    {"brightness 10: 2560 maps as 5120", {0, 255, 10, 0, 100, 0, 255}, 2560, 5120},
    // d = 255 * 100 / 200 = 127: window 127..128.
    {"contrast 100, odd width: below 127 * 256", {0, 255, 0, 100, 100, 0, 255}, 32511, 0},
    {"contrast 100, odd width: from 128 * 256", {0, 255, 0, 100, 100, 0, 255}, 32768, 65280},
    // 0..254: d = 127, window 127..127: a threshold at 32512.
    {"contrast 100, even width: below the point", {0, 254, 0, 100, 100, 10, 200}, 32511, 2560},
    {"contrast 100, even width: at the point", {0, 254, 0, 100, 100, 10, 200}, 32512, 51200},
    // Output window 127..128.
    {"contrast -100: black lifts to 127 * 256", {0, 255, 0, -100, 100, 0, 255}, 0, 32512},
    {"contrast -100: white drops to 128 * 256", {0, 255, 0, -100, 100, 0, 255}, 65535, 32768},
    // d = 255 * 50 / 200 = 63, window 63..192: (16383 - 16128) / 33024 *
    // 65280 = 504.07.
    {"contrast 50 narrows the input", {0, 255, 0, 50, 100, 0, 255}, 16383, 504},
    // d = 180 * 10 / 200 = 9: window 29..191, start (29 + 30) * 256 =
    // 15104; (4896 / 41472) ^ (2 / 3) * 224 * 256 + 4096 = 17895.3.
    {"every field at once", {20, 200, -30, 10, 150, 16, 240}, 20000, 17895},
    // Gamma 0 runs as 1 (exponent 100): 0.5 ^ 100 is 0.
    {"gamma 0 runs as 1", {0, 255, 0, 0, 0, 0, 255}, 32640, 0},
    // in 200..100 becomes 99..100 (maximum first): 25472 is mid-window.
    {"crossed input window", {200, 100, 0, 0, 100, 0, 255}, 25472, 32640},
};

TEST(LevelMap, Cases) {
  for (const MapCase& c : kMapCases) {
    EXPECT_EQ(static_cast<int>(LevelMap(c.value, c.window)), c.want) << c.what;
  }
}

// 1 x 1 image at 16320 (a quarter of 65280) in every channel.
TEST(ApplyLevels, ChannelTablesAndTheMonochromeFlag) {
  LevelParams p;
  p.table = 2;
  p.windows[0] = {0, 255, 0, 0, 100, 0, 0};    // would blacken all
  p.windows[1] = {0, 255, 0, 0, 200, 0, 255};  // 0.25 ^ 0.5 -> 32640
  p.windows[3] = {0, 255, 0, 0, 100, 0, 127};  // 0.25 * 127 * 256 = 8128
  Image img = MakeFlatImage(1, 1, 16320);
  img.g[0] = img.b[0] = 999;  // stale planes of a monochrome image
  img.monochrome = 1;
  EXPECT_EQ(ApplyLevels(img, p), kOpMade);
  EXPECT_EQ(img.monochrome, 0);
  EXPECT_EQ(img.r[0], 32640);
  EXPECT_EQ(img.g[0], 16320);
  EXPECT_EQ(img.b[0], 8128);

  // All colours: table 0 on every plane; the flag stays.
  p.table = kLevelAllColours;
  p.windows[0] = {0, 255, 0, 0, 200, 0, 255};
  img = MakeFlatImage(1, 1, 16320);
  img.monochrome = 1;
  ApplyLevels(img, p);
  EXPECT_EQ(img.monochrome, 1);
  EXPECT_EQ(img.b[0], 32640);

  Image empty;
  EXPECT_EQ(ApplyLevels(empty, p), kOpNothingToDo);
}

TEST(ApplyLevels, TablePassMatchesTheMap) {
  // 65536 pixels take the table path: every value once per plane.
  Image img = MakeFlatImage(256, 256, 0);
  for (int v = 0; v < 65536; ++v) {
    img.r[v] = static_cast<uint16_t>(v);
    img.g[v] = static_cast<uint16_t>(65535 - v);
    img.b[v] = static_cast<uint16_t>(v ^ 0x5555);
  }
  LevelParams p;
  p.table = 1;
  p.windows[1] = {20, 200, -30, 10, 150, 16, 240};
  p.windows[2] = {0, 254, 0, 100, 100, 0, 255};
  p.windows[3] = {5, 250, 40, -60, 37, 3, 251};
  ApplyLevels(img, p);
  int mismatches = 0;
  for (int v = 0; v < 65536; ++v) {
    mismatches += img.r[v] != static_cast<uint16_t>(LevelMap(v, p.windows[1]));
    mismatches += img.g[v] != static_cast<uint16_t>(LevelMap(65535 - v, p.windows[2]));
    mismatches += img.b[v] != static_cast<uint16_t>(LevelMap(v ^ 0x5555, p.windows[3]));
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace tavo
