// SPDX-License-Identifier: MIT
#include "shell/view.h"

#include <gtest/gtest.h>

#include "shell/main_window.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

Image Sized(int w, int h, int zoom, int sx, int sy) {
  Image img = MakeFlatImage(w, h, 0);
  img.zoom = zoom;
  img.scroll_x = sx;
  img.scroll_y = sy;
  return img;
}

TEST(ZoomSteps, MoveOneStepAndStopAtTheEnds) {
  EXPECT_EQ(ZoomStepIn(8), 12);
  EXPECT_EQ(ZoomStepOut(16), 12);
  EXPECT_EQ(ZoomStepIn(100), 150);
  EXPECT_EQ(ZoomStepOut(100), 75);
  EXPECT_EQ(ZoomStepIn(3200), 3200);
  EXPECT_EQ(ZoomStepOut(8), 8);
  // Not a step: back to full scale, whichever way.
  EXPECT_EQ(ZoomStepIn(57), 100);
  EXPECT_EQ(ZoomStepOut(57), 100);
  EXPECT_EQ(ZoomStepIn(0), 100);
}

TEST(ZoomSteps, WalkThroughEveryStepInOrder) {
  const int expected[] = {8, 12, 16, 25, 33, 50, 75, 100, 150, 200, 300, 400, 800, 1600, 3200};
  int z = 8;
  for (int i = 1; i < 15; ++i) {
    z = ZoomStepIn(z);
    EXPECT_EQ(z, expected[i]);
  }
  for (int i = 13; i >= 0; --i) {
    z = ZoomStepOut(z);
    EXPECT_EQ(z, expected[i]);
  }
}

TEST(VisibleExtent, ClientLessMarginsOverZoom) {
  // (800 * 100 - 3200) / 100 = 768; (512 * 100 - 5600) / 100 = 456.
  EXPECT_EQ(VisibleWidth(800, 100), 768);
  EXPECT_EQ(VisibleHeight(512, 100), 456);
  EXPECT_EQ(VisibleWidth(800, 50), 1536);   // 76800 / 50
  EXPECT_EQ(VisibleHeight(512, 50), 912);   // 45600 / 50
  EXPECT_EQ(VisibleWidth(800, 300), 256);   // 76800 / 300
  EXPECT_EQ(VisibleHeight(512, 300), 152);  // 45600 / 300
  // A window smaller than the margins still sees one pixel.
  EXPECT_EQ(VisibleWidth(10, 100), 1);
  EXPECT_EQ(VisibleHeight(0, 100), 1);
}

TEST(ClampScroll, KeepsTheViewInsideTheImage) {
  Image big = Sized(1000, 600, 100, 500, 300);
  ClampScroll(big, 800, 512);
  EXPECT_EQ(big.scroll_x, 232);  // 1000 - 768
  EXPECT_EQ(big.scroll_y, 144);  // 600 - 456
  Image inside = Sized(1000, 600, 100, 100, 50);
  ClampScroll(inside, 800, 512);
  EXPECT_EQ(inside.scroll_x, 100);
  EXPECT_EQ(inside.scroll_y, 50);
  Image small = Sized(100, 50, 100, 10, 7);
  ClampScroll(small, 800, 512);
  EXPECT_EQ(small.scroll_x, 0);
  EXPECT_EQ(small.scroll_y, 0);
  Image negative = Sized(1000, 600, 100, -5, -1);
  ClampScroll(negative, 800, 512);
  EXPECT_EQ(negative.scroll_x, 0);
  EXPECT_EQ(negative.scroll_y, 0);
}

TEST(ScreenToImage, ScalesScrollsFlipsAndClamps) {
  Image img = Sized(200, 100, 200, 10, 5);
  int x = 0, row = 0;
  // x = 7 * 100 / 200 + 10 = 13; t = 9 * 100 / 200 + 5 = 9; row = 99 - 9.
  ScreenToImage(img, 7, 9, &x, &row);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(row, 90);
  ScreenToImage(img, 10000, 10000, &x, &row);
  EXPECT_EQ(x, 199);
  EXPECT_EQ(row, 0);
  ScreenToImage(img, -1000, -1000, &x, &row);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(row, 99);
  img.zoom = 50;
  ScreenToImage(img, 7, 9, &x, &row);  // 14 + 10 and 99 - (18 + 5)
  EXPECT_EQ(x, 24);
  EXPECT_EQ(row, 76);
}

TEST(ImageToScreen, PixelCentreAboveFullScale) {
  Image img = Sized(20, 10, 300, 2, 1);
  int sx = 0, sy = 0;
  // (5 - 2) * 3 + 300 / 200 = 10; (10 - 1 - 3 - 1) * 3 + 1 = 16.
  ImageToScreen(img, 5, 3, &sx, &sy);
  EXPECT_EQ(sx, 10);
  EXPECT_EQ(sy, 16);
  img.zoom = 100;  // 100 / 200 = 0: no centring
  ImageToScreen(img, 5, 3, &sx, &sy);
  EXPECT_EQ(sx, 3);
  EXPECT_EQ(sy, 5);
  img.zoom = 50;  // (5 - 2) * 50 / 100 = 1; 5 * 50 / 100 = 2
  ImageToScreen(img, 5, 3, &sx, &sy);
  EXPECT_EQ(sx, 1);
  EXPECT_EQ(sy, 2);
}

TEST(ZoomAboutClick, ClickedPixelGoesToTheMiddle) {
  Image img = Sized(1000, 1000, 100, 0, 0);
  // x_click = 400, t_click = 200; 150 %: 400 - 384 * 100 / 150 = 144 and
  // 200 - 228 * 100 / 150 = 48.
  EXPECT_TRUE(ZoomAboutClick(img, 800, 512, 400, 200, true));
  EXPECT_EQ(img.zoom, 150);
  EXPECT_EQ(img.scroll_x, 144);
  EXPECT_EQ(img.scroll_y, 48);
  EXPECT_EQ(img.stats_refresh, 1);

  Image far = Sized(1000, 1000, 200, 300, 200);
  // x_click = 100 * 100 / 200 + 300 = 350, t_click = 20 + 200 = 220;
  // 300 %: 350 - 38400 / 300 = 222 and 220 - 22800 / 300 = 144.
  EXPECT_TRUE(ZoomAboutClick(far, 800, 512, 100, 40, true));
  EXPECT_EQ(far.zoom, 300);
  EXPECT_EQ(far.scroll_x, 222);
  EXPECT_EQ(far.scroll_y, 144);
}

TEST(ZoomAboutClick, ZoomOutNeverScrollsBelowZero) {
  Image img = Sized(1000, 1000, 100, 0, 0);
  // 100 - 384 * 100 / 75 = -412 -> 0; 50 - 304 -> 0.
  EXPECT_TRUE(ZoomAboutClick(img, 800, 512, 100, 50, false));
  EXPECT_EQ(img.zoom, 75);
  EXPECT_EQ(img.scroll_x, 0);
  EXPECT_EQ(img.scroll_y, 0);
}

TEST(ZoomAboutClick, LastStepChangesNothing) {
  Image top = Sized(1000, 1000, 3200, 30, 40);
  EXPECT_FALSE(ZoomAboutClick(top, 800, 512, 400, 200, true));
  EXPECT_EQ(top.zoom, 3200);
  EXPECT_EQ(top.scroll_x, 30);
  EXPECT_EQ(top.scroll_y, 40);
  EXPECT_EQ(top.stats_refresh, 0);
  Image bottom = Sized(1000, 1000, 8, 30, 40);
  EXPECT_FALSE(ZoomAboutClick(bottom, 800, 512, 400, 200, false));
  EXPECT_EQ(bottom.zoom, 8);
  EXPECT_EQ(bottom.scroll_x, 30);
}

TEST(ScrollImage, LinesPagesAndThumb) {
  // 2000 x 1500 at 100 % in 800 x 512: visible 768 x 456.
  Image img = Sized(2000, 1500, 100, 100, 0);
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollLineDown, 0);
  EXPECT_EQ(img.scroll_x, 108);
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollLineUp, 0);
  EXPECT_EQ(img.scroll_x, 100);
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollPageDown, 0);
  EXPECT_EQ(img.scroll_x, 484);  // + 768 / 2
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollPageUp, 0);
  EXPECT_EQ(img.scroll_x, 100);
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollThumb, 50);
  EXPECT_EQ(img.scroll_x, 616);  // (2000 - 768) * 50 / 100
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollThumb, 100);
  EXPECT_EQ(img.scroll_x, 1232);
  ScrollImage(img, 800, 512, kScrollHorizontal, kScrollLineDown, 0);
  EXPECT_EQ(img.scroll_x, 1232);  // clamped at the right edge
  EXPECT_EQ(img.scroll_y, 0);     // the other bar is untouched

  ScrollImage(img, 800, 512, kScrollVertical, kScrollPageDown, 0);
  EXPECT_EQ(img.scroll_y, 228);  // 456 / 2
  ScrollImage(img, 800, 512, kScrollVertical, kScrollThumb, 25);
  EXPECT_EQ(img.scroll_y, 261);  // (1500 - 456) * 25 / 100
  ScrollImage(img, 800, 512, kScrollVertical, kScrollThumb, 0);
  ScrollImage(img, 800, 512, kScrollVertical, kScrollLineUp, 0);
  EXPECT_EQ(img.scroll_y, 0);  // clamped at the top
}

TEST(ScrollBarPosition, ProportionOfTheScrollRoom) {
  Image img = Sized(2000, 1500, 100, 616, 261);
  EXPECT_EQ(ScrollBarPosition(img, 800, 512, kScrollHorizontal), 50);  // 61600 / 1232
  EXPECT_EQ(ScrollBarPosition(img, 800, 512, kScrollVertical), 25);    // 26100 / 1044
  Image fits = Sized(500, 300, 100, 0, 0);
  EXPECT_EQ(ScrollBarPosition(fits, 800, 512, kScrollHorizontal), 0);
  EXPECT_EQ(ScrollBarPosition(fits, 800, 512, kScrollVertical), 0);
  // 780 wide: 780 > 800 - 32, room 780 - 768 = 12, 6 * 100 / 12 = 50.
  Image just = Sized(780, 300, 100, 6, 0);
  EXPECT_EQ(ScrollBarPosition(just, 800, 512, kScrollHorizontal), 50);
}

TEST(ResizeClient, StoresTheSizeAndKeepsTheScrollInside) {
  auto app = NewApp();
  Image& img = PutImage(*app, 0, Sized(1000, 600, 100, 900, 10));
  ResizeClient(*app, 400, -5);
  EXPECT_EQ(app->client_width, 400);
  EXPECT_EQ(app->client_height, 0);
  EXPECT_EQ(img.scroll_x, 632);  // 1000 - (40000 - 3200) / 100
  EXPECT_EQ(img.scroll_y, 10);   // visible height 1: 10 + 1 fits
  img.scroll_x = 500;
  ResizeClient(*app, 400, 512);
  EXPECT_EQ(img.scroll_x, 500);
}

}  // namespace
}  // namespace tavo
