// SPDX-License-Identifier: MIT
#include "shell/display_stretch.h"

#include <gtest/gtest.h>

#include "shell/display.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(DisplayStretch, BringsALinearFrameToTheEyeOnTheScreenOnly) {
  // A linear 5 x 5 frame, every pixel sampled: R and B hold twelve 900s, a
  // 1000 (the centre pixel), eleven 1100s and a star of 60000: median 1000,
  // deviations 0, 23 x 100 and 59000, spread 100. G is R + 3000.
  Image frame = MakeFlatImage(5, 5, 0);
  for (int i = 0; i < 25; ++i) {
    frame.r[i] = frame.b[i] = i < 12 ? 900 : i == 12 ? 1000 : i < 24 ? 1100 : 60000;
    frame.g[i] = static_cast<uint16_t>(frame.r[i] + 3000);
  }
  ChannelStats stats[3];
  SampleChannelStats(frame, stats);
  EXPECT_EQ(stats[0].median * 1000 + stats[0].spread, 1000 * 1000 + 100);
  EXPECT_EQ(stats[1].median, 4000);
  // Shadows at 1000 - 2.8 x 1.4826 x 100 = 584.87; the median at 255 / 4 =
  // 63.75; the balance 0.018932 that puts it there lifts 2000 (y = 1415.13
  // / 64950.13 = 0.021788) to 255 x 0.53579 = 136.6.
  const int samples[5] = {0, 584, 1000, 2000, 65535}, levels[5] = {0, 0, 64, 137, 255};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(AutoStretchLevel(samples[k], stats[0]), levels[k]) << samples[k];
  EXPECT_EQ(LogStretchLevel(655), 88);  // 255 x ln(1 + 1000 x 655 / 65535) / ln(1001) = 88.49

  // The centre pixel (R 1000, G 4000) is buffer pixel (2, 2): linear shows
  // the top bytes; per channel each median is a quarter; linked, one curve
  // from the mean median 2000 (shadows 1584.87) leaves R black.
  StretchTables tables;
  DisplayFrame shown;
  const int modes[3] = {kStretchLinear, kStretchAutoChannel, kStretchAutoLinked};
  const int red[3] = {1000 >> 8, 64, 0}, green_at_least[3] = {4000 >> 8, 64, 65};
  for (int m = 0; m < 3; ++m) {
    UpdateStretchTables(frame, modes[m], &tables);
    ASSERT_TRUE(RenderDisplay(frame, 800, 512, &shown, &tables));
    const uint8_t* centre = shown.rgb.data() + 2 * shown.stride + 2 * 3;
    EXPECT_EQ(centre[0], red[m]) << m;
    EXPECT_GE(centre[1], green_at_least[m]) << m;
  }
  EXPECT_EQ(frame.r[12], 1000);  // the data stay as they were
}

}  // namespace
}  // namespace tavo
