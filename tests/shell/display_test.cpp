// SPDX-License-Identifier: MIT
#include "shell/display.h"

#include <gtest/gtest.h>

#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

// Upper bytes encode the position: R = x * 10 + row, G = R + 100,
// B = R + 200 (x <= 5); the low byte 0x7F must never show.
Image CodedImage(int w, int h) {
  Image img = MakeFlatImage(w, h, 0);
  for (int row = 0; row < h; ++row) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(row) * w + x;
      const int v = x * 10 + row;
      img.r[i] = static_cast<uint16_t>((v << 8) | 0x7F);
      img.g[i] = static_cast<uint16_t>(((v + 100) << 8) | 0x7F);
      img.b[i] = static_cast<uint16_t>(((v + 200) << 8) | 0x7F);
    }
  }
  return img;
}

const uint8_t* Px(const DisplayFrame& f, int i, int j) {
  return f.rgb.data() + static_cast<size_t>(j) * f.stride + static_cast<size_t>(i) * 3;
}

// Each strip as "first_row+rows@y wxh".
std::string Strips(const DisplayFrame& f) {
  std::string text;
  for (const DisplayStrip& s : f.strips) {
    text += std::to_string(s.first_row) + "+" + std::to_string(s.rows) + "@" + std::to_string(s.y) + " " +
            std::to_string(s.w) + "x" + std::to_string(s.h) + ";";
  }
  return text;
}

TEST(DisplayConversion, FullScaleShowsEachSamplesUpperByteTopRowFirst) {
  Image img = CodedImage(3, 2);
  DisplayFrame f;
  ASSERT_TRUE(RenderDisplay(img, 800, 512, &f));
  EXPECT_EQ(f.width, 3);
  EXPECT_EQ(f.height, 2);
  EXPECT_EQ(f.stride, 12);  // 9 bytes padded to 12
  // Buffer row 0 is the top of the picture, stored row 1.
  const std::vector<uint8_t> rows = {1, 101, 201, 11, 111, 211, 21, 121, 221, 255, 255, 255,
                                     0, 100, 200, 10, 110, 210, 20, 120, 220, 255, 255, 255};
  EXPECT_EQ(std::vector<uint8_t>(f.rgb.begin(), f.rgb.begin() + 24), rows);
  EXPECT_EQ(Strips(f), "0+2@0 3x2;");  // 2 * (8192 / 7) = 2340 rows per strip: one, 1:1
}

// At 50 % each output pixel is the mean of a 2 x 2 block, on 16 bits before
// the shift. R upper byte = x * 40 + row * 4.
TEST(DisplayConversion, HalfScaleAveragesTwoByTwoBlocks) {
  Image img = MakeFlatImage(4, 4, 0);
  for (int row = 0; row < 4; ++row) {
    for (int x = 0; x < 4; ++x) img.r[static_cast<size_t>(row) * 4 + x] = static_cast<uint16_t>((x * 40 + row * 4) << 8);
  }
  img.zoom = 50;
  DisplayFrame f;
  ASSERT_TRUE(RenderDisplay(img, 800, 512, &f));
  ASSERT_EQ(f.width, 2);
  ASSERT_EQ(f.height, 2);
  // j = 0: r = 3, the top row, whose upper neighbour falls back to itself:
  // (12 + 52) / 2 = 32 and (92 + 132) / 2 = 112. j = 1: r = 3 - 2 = 1,
  // block rows 1 and 2: (4 + 8 + 44 + 48) / 4 = 26, (84 + 88 + 124 + 128) / 4 = 106.
  EXPECT_EQ(std::vector<int>({Px(f, 0, 0)[0], Px(f, 1, 0)[0], Px(f, 0, 1)[0], Px(f, 1, 1)[0], Px(f, 0, 1)[1]}),
            std::vector<int>({32, 112, 26, 106, 0}));
  // Samples 128, 128, 128, 896 in block rows 1 and 2: (1280 >> 2) >> 8 = 1,
  // where the mean of the upper bytes (0, 0, 0, 3) would give 0.
  Image low = MakeFlatImage(2, 4, 128);
  low.r[2 * 2 + 1] = 896;
  low.zoom = 50;
  ASSERT_TRUE(RenderDisplay(low, 800, 512, &f));
  EXPECT_EQ(Px(f, 0, 1)[0], 1);
  EXPECT_EQ(Px(f, 0, 1)[1], 0);
}

TEST(DisplayConversion, LastColumnAndRowReuseThemselves) {
  // 4 x 2 at 50 % in a 33-pixel-wide client: visible width (3300 - 3200) /
  // 50 = 2, so the scroll may reach 2; take 1. Output 2 x 1.
  Image img = CodedImage(4, 2);
  img.zoom = 50;
  img.scroll_x = 1;
  DisplayFrame f;
  ASSERT_TRUE(RenderDisplay(img, 33, 512, &f));
  ASSERT_EQ(f.width, 2);
  ASSERT_EQ(f.height, 1);
  // i = 1: x = 2 + 1 = 3, the last column; r = 1, the top row: all four
  // samples are (3, 1) = 0x1F7F -> 31.
  EXPECT_EQ(Px(f, 1, 0)[0], 31);
  EXPECT_EQ(Px(f, 1, 0)[2], 231);
  // i = 0: x = 1: (1, 1) twice and (2, 1) twice: (0x0B7F + 0x157F) / 2 =
  // 0x107F -> 16.
  EXPECT_EQ(Px(f, 0, 0)[0], 16);
}

TEST(DisplayConversion, OutsideTheImageIsWhite) {
  // 10 wide at 100 % in a 40-pixel client: visible 8, output 10 columns;
  // with scroll 2 the last two columns fall outside.
  Image img = CodedImage(10, 1);
  for (int x = 0; x < 10; ++x) img.r[x] = img.g[x] = img.b[x] = 0;
  img.scroll_x = 2;
  DisplayFrame f;
  ASSERT_TRUE(RenderDisplay(img, 40, 512, &f));
  ASSERT_EQ(f.width, 10);
  EXPECT_EQ(img.scroll_x, 2);
  EXPECT_EQ(Px(f, 7, 0)[0], 0);
  for (int i = 8; i < 10; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(Px(f, i, 0)[c], 255) << i;
  }
}

TEST(DisplayConversion, StripsTileTheWindow) {
  // 300 %: samples kept, the strip stretched to 6 x 6.
  Image img = CodedImage(2, 2);
  img.zoom = 300;
  DisplayFrame f;
  ASSERT_TRUE(RenderDisplay(img, 800, 512, &f));
  EXPECT_EQ(f.width, 2);  // min(2, 80000 / 300)
  EXPECT_EQ(Px(f, 1, 0)[0], 11);  // (1, top row 1)
  EXPECT_EQ(Strips(f), "0+2@0 6x6;");
  // 150 %: output min(600, 80000 / 150) = 533 wide; strips of 2 * (8192 /
  // 537) = 30 rows placed at 30 k * 1.5 = 45 k, 533 * 150 / 100 = 799 wide.
  Image wide = MakeFlatImage(600, 100, 0);
  wide.zoom = 150;
  ASSERT_TRUE(RenderDisplay(wide, 800, 512, &f));
  EXPECT_EQ(f.width, 533);
  EXPECT_EQ(Strips(f), "0+30@0 799x45;30+30@45 799x45;60+30@90 799x45;90+10@135 799x15;");
  // 100 %: 2 * (8192 / 604) = 26 rows, copied 1:1.
  wide.zoom = 100;
  ASSERT_TRUE(RenderDisplay(wide, 800, 512, &f));
  EXPECT_EQ(Strips(f), "0+26@0 600x26;26+26@26 600x26;52+26@52 600x26;78+22@78 600x22;");
}

TEST(DisplayConversion, MonochromeEmptyAndScrollClampedFirst) {
  Image img = CodedImage(3, 2);
  img.monochrome = 1;
  img.scroll_x = 500;
  img.scroll_y = 9;
  DisplayFrame f;
  ASSERT_TRUE(RenderDisplay(img, 800, 512, &f));
  EXPECT_EQ(img.scroll_x, 0);
  EXPECT_EQ(img.scroll_y, 0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Px(f, 1, 1)[c], 10) << c;  // R of (1, row 0) everywhere
  EXPECT_EQ(Px(f, 0, 0)[0], 1);
  Image empty;
  EXPECT_FALSE(RenderDisplay(empty, 800, 512, &f));
  EXPECT_EQ(f.width, 0);
  EXPECT_TRUE(f.strips.empty());
}

TEST(DisplayConversion, StatisticsFollowTheRefreshFlag) {
  Image img = MakeFlatImage(4, 4, 5120);
  img.mean_r = -7;
  DisplayFrame f;
  RenderDisplay(img, 800, 512, &f);
  EXPECT_EQ(img.mean_r, -7);  // flag 0: left alone
  img.stats_refresh = 1;
  RenderDisplay(img, 800, 512, &f);
  EXPECT_EQ(img.mean_r, 5120);
  EXPECT_EQ(img.hist_r[20], 16u);  // 5120 / 256, all 16 pixels
  EXPECT_EQ(img.stats_refresh, 1);  // painting does not clear it
  // A repaint of the unchanged image keeps the figures without a new pass
  // (a sample changed behind the flags' back shows that no pass was made);
  // a marked change brings a fresh pass.
  img.r[0] = 0;
  RenderDisplay(img, 800, 512, &f);
  EXPECT_EQ(img.hist_r[20], 16u);
  MarkInPlaceChange(img);
  RenderDisplay(img, 800, 512, &f);
  EXPECT_EQ(img.hist_r[20], 15u);
  EXPECT_EQ(img.hist_r[0], 1u);
  EXPECT_EQ(img.mean_r, 4800);  // row means 3840, 5120, 5120, 5120 -> 19200 / 4
}

TEST(ImageMarkers, PointsAAndBInGreenAndCapturePointsInRed) {
  auto app = NewApp();
  Image& img = PutImage(*app, 0, MakeFlatImage(20, 10, 0));
  img.zoom = 300;
  img.scroll_x = 2;
  img.scroll_y = 1;
  EXPECT_TRUE(ImageMarkers(*app).empty());
  img.point_a_x = 5;
  img.point_a_y = 3;
  std::vector<Marker> m = ImageMarkers(*app);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].x, 10);  // (5 - 2) * 3 + 1
  EXPECT_EQ(m[0].y, 16);  // (10 - 1 - 3 - 1) * 3 + 1
  EXPECT_EQ(m[0].label, 'A');
  EXPECT_EQ(m[0].r, 32);
  EXPECT_EQ(m[0].g, 255);
  EXPECT_EQ(m[0].b, 32);
  img.point_b_x = 2;
  img.point_b_y = 9;
  CapturePoint sky{4, 4, 9000, 9000, 9000, 9000};
  CapturePoint green{6, 4, 30000, 41000, 20000, 24000};
  app->capture.points = {sky, green};
  m = ImageMarkers(*app);
  ASSERT_EQ(m.size(), 2u);  // capture points only while collecting
  EXPECT_EQ(m[1].label, 'B');
  EXPECT_EQ(m[1].y, -2);  // (10 - 1 - 9 - 1) * 3 + 1
  app->capture.mode = 102;
  m = ImageMarkers(*app);
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[2].r, 255);
  EXPECT_EQ(m[2].g, 32);
  EXPECT_EQ(m[2].label, 0);
  EXPECT_EQ(m[3].r, 64);  // G above 40960, B and mean at most 24575
  EXPECT_EQ(m[3].g, 0);
}

}  // namespace
}  // namespace tavo
