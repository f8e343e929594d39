// SPDX-License-Identifier: MIT
// Calibration arithmetic on frames of three or nine samples.
#include "stack/deep/calibrate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tavo {
namespace {

FloatFrame Frame(const std::vector<float>& values, int w, int h) {
  FloatFrame f;
  AllocateFloatFrame(f, w, h, 1);
  for (size_t i = 0; i < values.size(); ++i) f.data[i] = values[i];
  return f;
}

std::vector<float> Values(const FloatFrame& f) { return std::vector<float>(f.data.get(), f.data.get() + f.Size()); }

struct Case {
  const char* name;
  bool bias, dark, flat;
  std::vector<float> flat_values;
  bool scale;
  double light_exposure;
  std::vector<float> expected;  // NaN: no data
};

TEST(DeepCalibrate, DarkBiasAndFlatArithmetic) {
  const float none = NAN;
  // Light 1100 1200 1300, bias 100 each, dark 200 150 100 taken at 120 s.
  const Case cases[] = {
      // (light - dark) / flat = 900 / 1, 1050 / 0.5, 1200 / 2.
      {"dark and flat", false, true, true, {1, 0.5f, 2}, false, 0, {900, 2100, 600}},
      {"bias alone", true, false, false, {}, false, 0, {1000, 1100, 1200}},
      // A 60 s light: light - bias - (60 / 120)(dark - bias).
      {"scaled dark", true, true, false, {}, true, 60, {950, 1075, 1200}},
      {"scaling without an exposure", true, true, false, {}, true, 0, {900, 1050, 1200}},
      {"flat too deep to lift", false, true, true, {1, 0.04f, 1}, false, 0, {900, none, 1200}},
  };
  for (const Case& c : cases) {
    Masters m;
    if (c.bias) m.bias = Frame({100, 100, 100}, 3, 1);
    if (c.dark) m.dark = Frame({200, 150, 100}, 3, 1);
    if (c.flat) m.flat = Frame(c.flat_values, 3, 1);
    m.dark_exposure = 120;
    FloatFrame light = Frame({1100, 1200, 1300}, 3, 1);
    ASSERT_TRUE(CalibrateFrame(light, m, c.light_exposure, c.scale)) << c.name;
    for (int i = 0; i < 3; ++i) {
      if (std::isnan(c.expected[i])) {
        EXPECT_TRUE(std::isnan(light.data[i])) << c.name << " " << i;
      } else {
        EXPECT_FLOAT_EQ(light.data[i], c.expected[i]) << c.name << " " << i;
      }
    }
  }
}

TEST(DeepCalibrate, MastersOfAnotherSizeAreRefused) {
  Masters m;
  m.dark = Frame({1, 2}, 2, 1);
  FloatFrame light = Frame({10, 20, 30}, 3, 1);
  EXPECT_FALSE(CalibrateFrame(light, m, 0, false));
  EXPECT_EQ(Values(light), (std::vector<float>{10, 20, 30}));
}

// Dark 3 x 3: 100 everywhere but a cold corner (0) and a hot centre (5000).
// Its median is 100 and its MAD 0, so the spread is the floor 1 and both
// lie beyond 5.
TEST(DeepCalibrate, HotAndColdPixelsTakeTheirNeighboursMedian) {
  const FloatFrame dark = Frame({0, 100, 100, 100, 5000, 100, 100, 100, 100}, 3, 3);
  Masters m;
  m.bad_pixels = FindBadPixels(dark, 5);
  ASSERT_EQ(m.bad_pixels.size(), 1u);
  EXPECT_EQ(m.bad_pixels[0], (std::vector<uint32_t>{0, 4}));
  // Rows from the bottom: 50 20 30 / 40 999 60 / 70 80 90.
  FloatFrame light = Frame({50, 20, 30, 40, 999, 60, 70, 80, 90}, 3, 3);
  ASSERT_TRUE(CalibrateFrame(light, m, 0, false));
  // Corner: its good neighbours 20 and 40 (the centre is bad) -> 30.
  // Centre: 20 30 40 60 70 80 90 (the corner is bad) -> 60.
  EXPECT_EQ(Values(light), (std::vector<float>{30, 20, 30, 40, 60, 60, 70, 80, 90}));
}

TEST(DeepCalibrate, FlatIsDividedByItsMedian) {
  FloatFrame flat = Frame({2, 4, 6, 8, 10}, 5, 1);
  EXPECT_DOUBLE_EQ(NormaliseFlat(flat), 6.0);
  EXPECT_FLOAT_EQ(flat.data[0], 2.0f / 6);
  EXPECT_FLOAT_EQ(flat.data[4], 10.0f / 6);
}

}  // namespace
}  // namespace tavo
