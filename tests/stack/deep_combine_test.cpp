// SPDX-License-Identifier: MIT
// One pixel's stack through every rejection rule: a cosmic-ray hit (or a
// dead pixel) is rejected, a real star's spread of values is kept.
#include "stack/deep/combine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavo {
namespace {

const std::vector<float> kRay = {100, 100, 100, 100, 1000, 100, 100, 100, 100, 100};
const std::vector<float> kStar = {5000, 5100, 4900, 5050, 4950, 5000, 5020, 4980, 5010, 4990};
const std::vector<float> kFiveRay = {10, 10, 1000, 10, 10};

struct Case {
  const char* name;
  int reject;
  double kappa_low, kappa_high;
  std::vector<float> values, weights;  // weights empty: all 1
  float expected;
  int low, high;
};

TEST(DeepCombine, EachRuleRejectsOutliersAndKeepsStars) {
  const Case cases[] = {
      // (10 x 1 + 20 x 3) / 4.
      {"weighted mean", kRejectNone, 3, 3, {10, 20}, {1, 3}, 17.5f, 0, 0},
      {"median of four", kRejectMedian, 3, 3, {1, 100, 3, 5}, {}, 4.0f, 0, 0},
      // Median 100; one value 900 away among ten gives a sample standard
      // deviation of 900 / sqrt(10) = 284.6, and 900 > 3 x 284.6.
      {"sigma, cosmic ray", kRejectSigma, 3, 3, kRay, {}, 100.0f, 0, 1},
      {"sigma, dead pixel", kRejectSigma, 3, 3, {100, 100, 100, 100, 0, 100, 100, 100, 100, 100}, {}, 100.0f, 1, 0},
      // Deviations 0, +-100, +-50, +-20, +-10, 0: sd = sqrt(26000 / 9) = 53.7,
      // so the widest (100) is under 2 sd; the mean is 5000.
      {"sigma, star", kRejectSigma, 3, 3, kStar, {}, 5000.0f, 0, 0},
      // With five values one outlier is at most sqrt(5) = 2.24 sd away:
      // plain clipping keeps it, (4 x 10 + 1000) / 5 = 208.
      {"sigma, five values", kRejectSigma, 3, 3, kFiveRay, {}, 208.0f, 0, 0},
      // Winsorizing: while the outlier is clamped to centre + 1.5 sd the
      // spread shrinks by 1.134 x sqrt(0.2) x 1.5 = 0.761 a pass, from 442.7
      // to about 29 after ten passes; 990 is far beyond 3 x 29.
      {"winsor, five values", kRejectWinsor, 3, 3, kFiveRay, {}, 10.0f, 0, 1},
      {"winsor, star", kRejectWinsor, 3, 3, kStar, {}, 5000.0f, 0, 0},
      // Sorted nine 10s and 1000: the fitted line is -134 + 54 i, its
      // residuals 144 90 36 -18 ... -288 648 have a mean size of 183.6,
      // and 648 > 3 x 183.6.
      {"linear, cosmic ray", kRejectLinear, 3, 3, {10, 10, 10, 10, 10, 1000, 10, 10, 10, 10}, {}, 10.0f, 0, 1},
      // Sorted, the line misses the star's values by at most 24.7 with a
      // mean miss of 15.7: nothing lies 3 spreads out.
      {"linear, star", kRejectLinear, 3, 3, kStar, {}, 5000.0f, 0, 0},
      {"minmax one each end", kRejectMinMax, 1, 1, {4, 100, 2, 1, 3}, {}, 3.0f, 1, 1},
      // Asked to drop more than there is: one value always stays.
      {"minmax keeps one", kRejectMinMax, 5, 5, {9, 7}, {}, 9.0f, 1, 0},
      {"unknown rule is the mean", 42, 3, 3, {1, 2, 6}, {}, 3.0f, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<StackSample> s;
    for (size_t i = 0; i < c.values.size(); ++i) s.push_back({c.values[i], c.weights.empty() ? 1.0f : c.weights[i]});
    CombineRule rule;
    rule.reject = c.reject;
    rule.kappa_low = c.kappa_low;
    rule.kappa_high = c.kappa_high;
    int low = -1, high = -1;
    EXPECT_FLOAT_EQ(CombinePixelStack(rule, s.data(), static_cast<int>(s.size()), &low, &high), c.expected) << c.name;
    EXPECT_EQ(low, c.low) << c.name;
    EXPECT_EQ(high, c.high) << c.name;
  }
}

// The lane sort against std::sort: 13 values a lane (with ties), padded
// to 16 with +infinity; each weight must stay with its value.
TEST(DeepCombine, LaneSortAgreesWithASort) {
  std::vector<float> values(16 * kLanes, INFINITY), weights(16 * kLanes, 0);
  for (int k = 0; k < 13; ++k) {
    for (int l = 0; l < kLanes; ++l) {
      values[k * kLanes + l] = static_cast<float>((k * 7 + l * 5) % 11);
      weights[k * kLanes + l] = values[k * kLanes + l] * 10 + 1;
    }
  }
  SortLanes(values.data(), weights.data(), 16);
  for (int l = 0; l < kLanes; ++l) {
    std::vector<float> expected;
    for (int k = 0; k < 13; ++k) expected.push_back(static_cast<float>((k * 7 + l * 5) % 11));
    std::sort(expected.begin(), expected.end());
    for (int k = 0; k < 16; ++k) {
      const float v = values[k * kLanes + l];
      EXPECT_EQ(v, k < 13 ? expected[k] : INFINITY) << "lane " << l << " row " << k;
      EXPECT_EQ(weights[k * kLanes + l], k < 13 ? v * 10 + 1 : 0) << "lane " << l << " row " << k;
    }
  }
}

TEST(DeepCombine, NoValuesGiveNoData) {
  int low, high;
  EXPECT_TRUE(std::isnan(CombinePixelStack(CombineRule(), nullptr, 0, &low, &high)));
}

}  // namespace
}  // namespace tavo
