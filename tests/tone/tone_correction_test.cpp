// SPDX-License-Identifier: MIT
#include "tone/tone_correction.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/test_images.h"

namespace tavo {
namespace {

struct Pixel {
  uint16_t r, g, b;
};

std::vector<Pixel> Correct(const std::vector<Pixel>& pixels, int strength, int monochrome = 0) {
  Image img = MakeFlatImage(static_cast<int>(pixels.size()), 1, 0);
  for (size_t i = 0; i < pixels.size(); ++i) {
    img.r[i] = pixels[i].r;
    img.g[i] = pixels[i].g;
    img.b[i] = pixels[i].b;
  }
  img.monochrome = monochrome;
  ApplyToneCorrection(img, {strength});
  std::vector<Pixel> out;
  for (size_t i = 0; i < pixels.size(); ++i) out.push_back({img.r[i], img.g[i], img.b[i]});
  return out;
}

bool operator==(const Pixel& a, const Pixel& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

struct Case {
  const char* what;
  std::vector<Pixel> in;
  int strength;
  std::vector<Pixel> want;
};

// Strength 0 makes T = i / 255 whatever the histogram; the other cases were
// worked out in double precision from the histogram, smoothing, cumulative
// and blend formulas by a separate script.
const Case kCases[] = {
    // Y = 32768, k = 128, frac 0: factor (127 / 255) * 65536 / 32768 =
    // 0.99608; 32768 * 0.99608 = 32639.4.
    {"strength 0 darkens slightly", {{32768, 32768, 32768}}, 0, {{32639, 32639, 32639}}},
    // Y = 255 is in bin 0: factor T0 * 256 = 0.
    {"strength 0 sends luminance below 256 to black", {{255, 255, 255}, {0, 0, 0}}, 0, {{0, 0, 0}, {0, 0, 0}}},
    // Bin 1 (Y = 384) reads T0 and T1, smoothed with the weights of bins 0
    // and 1; white (bin 255) reads T254, smoothed with H255 counted thrice.
    {"edge bins", {{384, 384, 384}, {65535, 65535, 65535}}, 100, {{4270, 4270, 4270}, {65493, 65493, 65493}}},
    // Each pixel's factor is above 1 (about 2.24, 1.52, 3.68 going by its
    // smaller channels): the full channel is limited to 65535.
    {"every channel is limited to 65535",
     {{65535, 0, 1000}, {0, 65535, 1000}, {1000, 0, 65535}, {0, 0, 0}, {0, 0, 0}},
     100,
     {{65535, 0, 2243}, {0, 65535, 1516}, {3684, 0, 65535}, {0, 0, 0}, {0, 0, 0}}},
    {"partial strength",
     {{1000, 2000, 3000}, {60000, 65535, 50000}, {20000, 20000, 20000}},
     40,
     {{2826, 5652, 8478}, {57231, 62511, 47693}, {24793, 24793, 24793}}},
    {"strength above 100 runs as 100", {{384, 384, 384}, {65535, 65535, 65535}}, 250, {{4270, 4270, 4270}, {65493, 65493, 65493}}},
};

TEST(ToneCorrection, Cases) {
  for (const Case& c : kCases) EXPECT_TRUE(Correct(c.in, c.strength) == c.want) << c.what;
}

TEST(ToneCorrection, MonochromeImageIsReadFromR) {
  // Stale G and B would give Y = (32768 * 299 + 65535 * 114) / 1000; R
  // alone gives 32768 and the strength-0 factor above.
  EXPECT_TRUE(Correct({{32768, 0, 65535}}, 0, 1) == std::vector<Pixel>({{32639, 32639, 32639}}));
}

TEST(ToneCorrection, BlackAndEmptyImages) {
  EXPECT_TRUE(Correct({{0, 0, 0}, {0, 0, 0}}, 100) == std::vector<Pixel>({{0, 0, 0}, {0, 0, 0}}));
  Image empty;
  EXPECT_EQ(ApplyToneCorrection(empty, {10}), kOpNothingToDo);
}

}  // namespace
}  // namespace tavo
