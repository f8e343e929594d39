// SPDX-License-Identifier: MIT
#include "tone/black_white.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

struct Case {
  const char* what;
  BlackWhiteParams params;
  int r, g, b;
  int want;
};

const Case kCases[] = {
    {"largest: R", {kGreyMaximum}, 3000, 2000, 1000, 3000},
    {"largest: G", {kGreyMaximum}, 1000, 3000, 2000, 3000},
    {"largest: B", {kGreyMaximum}, 1000, 2000, 3000, 3000},
    {"largest: a tie for the top gives B", {kGreyMaximum}, 1000, 1000, 500, 500},
    {"smallest: R", {kGreyMinimum}, 1000, 2000, 3000, 1000},
    {"smallest: G", {kGreyMinimum}, 3000, 1000, 2000, 1000},
    {"smallest: a tie for the bottom gives B", {kGreyMinimum}, 500, 500, 1000, 1000},
    // 125 * 299 + 250 * 587 + 375 * 114 = 226875; / 1000 = 226; * 8.
    {"standard weights", {kGreyStandard, 299, 587, 114}, 1000, 2000, 3000, 1808},
    // 8191 * 1000 / 1000 * 8: the low three bits are gone.
    {"white loses its low bits", {kGreyStandard, 299, 587, 114}, 65535, 65535, 65535, 65528},
    {"manual weights drop the low bits first", {kGreyManual, 1, 0, 0}, 1007, 9000, 9000, 1000},
    {"all weights 0 give 0", {kGreyManual, 0, 0, 0}, 1000, 2000, 3000, 0},
    {"negative weights count as 0", {kGreyManual, -5, 10, 0}, 800, 1600, 0, 1600},
    // Clamped to 65535 each: (1000 + 2000) / 2 * 8; unclamped 11160.
    {"weights above the limit are clamped", {kGreyManual, 100000, 65535, 0}, 8000, 16000, 0, 12000},
    {"any other mode weighs", {7, 0, 1, 0}, 8000, 16000, 0, 16000},
};

TEST(BlackWhite, Cases) {
  for (const Case& c : kCases) {
    EXPECT_EQ(GreyOf(c.r, c.g, c.b, c.params), c.want) << c.what;
    Image img = MakeFlatImage(1, 1, 0);
    img.r[0] = static_cast<uint16_t>(c.r);
    img.g[0] = static_cast<uint16_t>(c.g);
    img.b[0] = static_cast<uint16_t>(c.b);
    ASSERT_EQ(ApplyBlackWhite(img, c.params), kOpMade);
    EXPECT_EQ(img.monochrome, 1);
    EXPECT_EQ(img.r[0], c.want) << c.what;
    EXPECT_EQ(img.g[0], c.want) << c.what;
    EXPECT_EQ(img.b[0], c.want) << c.what;
  }
}

TEST(BlackWhite, MonochromeImageIsReadFromR) {
  Image img = MakeFlatImage(1, 1, 800);
  img.g[0] = 65535;  // stale
  img.monochrome = 1;
  ApplyBlackWhite(img, {kGreyMaximum});
  EXPECT_EQ(img.r[0], 800);
  EXPECT_EQ(img.g[0], 800);
  Image empty;
  EXPECT_EQ(ApplyBlackWhite(empty, {}), kOpNothingToDo);
}

}  // namespace
}  // namespace tavo
