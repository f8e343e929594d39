// SPDX-License-Identifier: MIT
#include "tone/tone_correction.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/test_images.h"

namespace tavo {
namespace {

// Pixels as R, G, B triples on an n x 1 image.
std::vector<int> Correct(const std::vector<int>& rgb, int strength, int monochrome = 0) {
  const int n = static_cast<int>(rgb.size() / 3);
  Image img = MakeFlatImage(n, 1, 0);
  for (int i = 0; i < 3 * n; ++i) img.Channel(i % 3)[i / 3] = static_cast<uint16_t>(rgb[i]);
  img.monochrome = monochrome;
  ApplyToneCorrection(img, {strength});
  std::vector<int> out;
  for (int i = 0; i < 3 * n; ++i) out.push_back(img.Channel(i % 3)[i / 3]);
  return out;
}

struct Case {
  const char* what;
  std::vector<int> in;
  int strength;
  std::vector<int> want;
};

// Strength 0 makes T = i / 255 whatever the histogram; the other cases were
// worked out in double precision from the histogram, smoothing, cumulative
// and blend formulas by a separate script.
const Case kCases[] = {
    // Y = 32768, k = 128, frac 0: factor (127 / 255) * 65536 / 32768 =
    // 0.99608; 32768 * 0.99608 = 32639.4.
    {"strength 0 darkens slightly", {32768, 32768, 32768}, 0, {32639, 32639, 32639}},
    // Y = 255 is in bin 0: factor T0 * 256 = 0.
    {"strength 0 sends luminance below 256 to black", {255, 255, 255, 0, 0, 0}, 0, {0, 0, 0, 0, 0, 0}},
    // Bin 1 (Y = 384) reads T0 and T1, smoothed with the weights of bins 0
    // and 1; white (bin 255) reads T254, smoothed with H255 counted thrice.
    {"edge bins", {384, 384, 384, 65535, 65535, 65535}, 100, {4270, 4270, 4270, 65493, 65493, 65493}},
    {"strength above 100 runs as 100", {384, 384, 384, 65535, 65535, 65535}, 250,
     {4270, 4270, 4270, 65493, 65493, 65493}},
    // Each pixel's factor is above 1 (about 2.24, 1.52, 3.68 going by its
    // smaller channels): the full channel is limited to 65535.
    {"every channel is limited to 65535",
     {65535, 0, 1000, 0, 65535, 1000, 1000, 0, 65535, 0, 0, 0, 0, 0, 0},
     100,
     {65535, 0, 2243, 0, 65535, 1516, 3684, 0, 65535, 0, 0, 0, 0, 0, 0}},
    {"partial strength", {1000, 2000, 3000, 60000, 65535, 50000, 20000, 20000, 20000}, 40,
     {2826, 5652, 8478, 57231, 62511, 47693, 24793, 24793, 24793}},
    {"a black image stays black", {0, 0, 0, 0, 0, 0}, 100, {0, 0, 0, 0, 0, 0}},
};

TEST(ToneCorrection, Cases) {
  for (const Case& c : kCases) EXPECT_EQ(Correct(c.in, c.strength), c.want) << c.what;
}

TEST(ToneCorrection, MonochromeImageIsReadFromR) {
  // Stale G and B would give Y = (32768 * 299 + 65535 * 114) / 1000; R
  // alone gives 32768 and the strength-0 factor above.
  EXPECT_EQ(Correct({32768, 0, 65535}, 0, 1), (std::vector<int>{32639, 32639, 32639}));
  Image empty;
  EXPECT_EQ(ApplyToneCorrection(empty, {10}), kOpNothingToDo);
}

}  // namespace
}  // namespace tavo
