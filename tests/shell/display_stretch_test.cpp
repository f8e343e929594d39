// SPDX-License-Identifier: MIT
#include "shell/display_stretch.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/display.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// A linear 5 x 5 frame, every pixel sampled: R and B hold twelve 900s, one
// 1000, eleven 1100s and a star of 60000 (median 1000; deviations 0, 23 x
// 100 and 59000: spread 100); G is R + 3000 (median 4000, spread 100). The
// 1000 sits at the centre.
Image LinearFrame() {
  Image img = MakeFlatImage(5, 5, 0);
  for (int i = 0; i < 25; ++i) {
    const uint16_t v = i < 12 ? 900 : i == 12 ? 1000 : i < 24 ? 1100 : 60000;
    img.r[i] = img.b[i] = v;
    img.g[i] = static_cast<uint16_t>(v + 3000);
  }
  return img;
}

TEST(DisplayStretch, AutoStretchBringsALinearFrameToTheEye) {
  ChannelStats stats[3];
  SampleChannelStats(LinearFrame(), stats);
  EXPECT_EQ(stats[0].median, 1000);
  EXPECT_EQ(stats[0].spread, 100);
  EXPECT_EQ(stats[1].median, 4000);
  // Shadows at 1000 - 2.8 x 1.4826 x 100 = 584.87; the median shows at
  // 255 / 4 = 63.75; with the balance b = 0.018932 that puts it there,
  // 2000 (y = 1415.13 / 64950.13 = 0.021788) gives 255 x 0.53579 = 136.6.
  const struct {
    int sample, level;
  } cases[] = {{0, 0}, {584, 0}, {1000, 64}, {2000, 137}, {65535, 255}};
  for (const auto& c : cases) EXPECT_EQ(AutoStretchLevel(c.sample, stats[0]), c.level) << c.sample;
  // 255 x ln(1 + 1000 x 655 / 65535) / ln(1001) = 88.49.
  EXPECT_EQ(LogStretchLevel(655), 88);
  EXPECT_EQ(LogStretchLevel(65535), 255);
}

TEST(DisplayStretch, OnlyTheScreenLevelsChange) {
  Image frame = LinearFrame();
  StretchTables tables;
  DisplayFrame shown;
  // The centre pixel (R 1000, G 4000) is buffer pixel (2, 2).
  const auto centre = [&] {
    const uint8_t* p = shown.rgb.data() + 2 * shown.stride + 2 * 3;
    return std::vector<int>{p[0], p[1], p[2]};
  };
  UpdateStretchTables(frame, kStretchLinear, &tables);
  ASSERT_TRUE(RenderDisplay(frame, 800, 512, &shown, &tables));
  EXPECT_EQ(centre(), (std::vector<int>{1000 >> 8, 4000 >> 8, 1000 >> 8}));
  UpdateStretchTables(frame, kStretchAutoChannel, &tables);
  ASSERT_TRUE(RenderDisplay(frame, 800, 512, &shown, &tables));
  EXPECT_EQ(centre(), (std::vector<int>{64, 64, 64}));  // each median at a quarter
  // Linked: one curve from the mean median 2000 (shadows 1584.87), so R
  // and B stay black and G is brighter than a quarter.
  UpdateStretchTables(frame, kStretchAutoLinked, &tables);
  ASSERT_TRUE(RenderDisplay(frame, 800, 512, &shown, &tables));
  EXPECT_EQ(centre()[0], 0);
  EXPECT_GT(centre()[1], 64);
  EXPECT_TRUE(SamePlanes(frame, LinearFrame()));
}

}  // namespace
}  // namespace tavo
