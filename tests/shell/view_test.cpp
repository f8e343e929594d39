// SPDX-License-Identifier: MIT
// Zoom, scrolling and the screen/image mapping of the image window; the
// zoom, image select, display and help commands.
#include "shell/view.h"

#include <gtest/gtest.h>

#include "shell/help_files.h"
#include "shell/main_window.h"
#include "shell/view_dialogs.h"
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

TEST(ZoomSteps, WalkEveryStepAndStopAtTheEnds) {
  const int steps[] = {8, 12, 16, 25, 33, 50, 75, 100, 150, 200, 300, 400, 800, 1600, 3200};
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(ZoomStepIn(steps[i]), steps[i < 14 ? i + 1 : 14]) << steps[i];
    EXPECT_EQ(ZoomStepOut(steps[i]), steps[i > 0 ? i - 1 : 0]) << steps[i];
  }
  // Not a step: back to full scale, whichever way.
  EXPECT_EQ(ZoomStepIn(57), 100);
  EXPECT_EQ(ZoomStepOut(57), 100);
  EXPECT_EQ(ZoomStepIn(0), 100);
}

TEST(VisibleExtent, ClientLessMarginsOverZoom) {
  // {client, zoom, width, height}: (client * 100 - 3200) / zoom wide and
  // (client * 100 - 5600) / zoom high, at least 1.
  const int cases[][4] = {{800, 100, 768, 744}, {512, 100, 480, 456}, {800, 50, 1536, 1488},
                          {512, 300, 160, 152}, {10, 100, 1, 1},      {0, 100, 1, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(VisibleWidth(c[0], c[1]), c[2]) << c[0] << " " << c[1];
    EXPECT_EQ(VisibleHeight(c[0], c[1]), c[3]) << c[0] << " " << c[1];
  }
}

TEST(ClampScroll, KeepsTheViewInsideTheImage) {
  // {w, h, scroll x, scroll y, clamped x, clamped y} in 800 x 512 at 100 %
  // (visible 768 x 456).
  const int cases[][6] = {{1000, 600, 500, 300, 232, 144}, {1000, 600, 100, 50, 100, 50},
                          {100, 50, 10, 7, 0, 0},          {1000, 600, -5, -1, 0, 0}};
  for (const auto& c : cases) {
    Image img = Sized(c[0], c[1], 100, c[2], c[3]);
    ClampScroll(img, 800, 512);
    EXPECT_EQ(img.scroll_x, c[4]) << c[0] << " " << c[2];
    EXPECT_EQ(img.scroll_y, c[5]) << c[1] << " " << c[3];
  }
}

TEST(ScreenToImage, ScalesScrollsFlipsAndClamps) {
  // 200 x 100 scrolled to (10, 5). {zoom, sx, sy, x, row}: at 200 %, x =
  // 7 * 100 / 200 + 10 = 13, t = 9 * 100 / 200 + 5 = 9, row = 99 - 9.
  const int cases[][5] = {{200, 7, 9, 13, 90}, {200, 10000, 10000, 199, 0}, {200, -1000, -1000, 0, 99},
                          {50, 7, 9, 24, 76}};  // 14 + 10 and 99 - (18 + 5)
  for (const auto& c : cases) {
    Image img = Sized(200, 100, c[0], 10, 5);
    int x = 0, row = 0;
    ScreenToImage(img, c[1], c[2], &x, &row);
    EXPECT_EQ(x, c[3]) << c[0] << " " << c[1];
    EXPECT_EQ(row, c[4]) << c[0] << " " << c[2];
  }
}

TEST(ImageToScreen, PixelCentreAboveFullScale) {
  // 20 x 10 scrolled to (2, 1), pixel (5, row 3). {zoom, sx, sy}: at 300 %
  // (5 - 2) * 3 + 300 / 200 = 10 and (10 - 1 - 3 - 1) * 3 + 1 = 16; at
  // 100 % no centring; at 50 % (5 - 2) * 50 / 100 = 1 and 5 * 50 / 100 = 2.
  const int cases[][3] = {{300, 10, 16}, {100, 3, 5}, {50, 1, 2}};
  for (const auto& c : cases) {
    Image img = Sized(20, 10, c[0], 2, 1);
    int sx = 0, sy = 0;
    ImageToScreen(img, 5, 3, &sx, &sy);
    EXPECT_EQ(sx, c[1]) << c[0];
    EXPECT_EQ(sy, c[2]) << c[0];
  }
}

TEST(ZoomAboutClick, ClickedPixelGoesToTheMiddle) {
  struct Case {
    int zoom, sx, sy, mx, my;
    bool in, changed;
    int new_zoom, new_sx, new_sy;
  } cases[] = {
      // x_click = 400, t_click = 200; 150 %: 400 - 384 * 100 / 150 = 144,
      // 200 - 228 * 100 / 150 = 48.
      {100, 0, 0, 400, 200, true, true, 150, 144, 48},
      // x_click = 100 * 100 / 200 + 300 = 350, t_click = 20 + 200 = 220;
      // 300 %: 350 - 38400 / 300 = 222, 220 - 22800 / 300 = 144.
      {200, 300, 200, 100, 40, true, true, 300, 222, 144},
      // 75 %: 100 - 384 * 100 / 75 < 0 -> 0.
      {100, 0, 0, 100, 50, false, true, 75, 0, 0},
      {3200, 30, 40, 400, 200, true, false, 3200, 30, 40},
      {8, 30, 40, 400, 200, false, false, 8, 30, 40},
  };
  for (const Case& c : cases) {
    Image img = Sized(1000, 1000, c.zoom, c.sx, c.sy);
    EXPECT_EQ(ZoomAboutClick(img, 800, 512, c.mx, c.my, c.in), c.changed) << c.zoom;
    EXPECT_EQ(img.zoom, c.new_zoom);
    EXPECT_EQ(img.scroll_x, c.new_sx) << c.zoom;
    EXPECT_EQ(img.scroll_y, c.new_sy) << c.zoom;
    EXPECT_EQ(img.stats_refresh, c.changed ? 1 : 0);
  }
}

TEST(ScrollImage, LinesPagesAndThumb) {
  // 2000 x 1500 at 100 % in 800 x 512: visible 768 x 456, room 1232 x 1044.
  Image img = Sized(2000, 1500, 100, 100, 0);
  const int steps[][4] = {
      {kScrollHorizontal, kScrollLineDown, 0, 108}, {kScrollHorizontal, kScrollLineUp, 0, 100},
      {kScrollHorizontal, kScrollPageDown, 0, 484},  // + 768 / 2
      {kScrollHorizontal, kScrollPageUp, 0, 100},    {kScrollHorizontal, kScrollThumb, 50, 616},
      {kScrollHorizontal, kScrollThumb, 100, 1232},  {kScrollHorizontal, kScrollLineDown, 0, 1232},
      {kScrollVertical, kScrollPageDown, 0, 228},  // 456 / 2
      {kScrollVertical, kScrollThumb, 25, 261},      {kScrollVertical, kScrollThumb, 0, 0},
      {kScrollVertical, kScrollLineUp, 0, 0},
  };
  for (const auto& s : steps) {
    const int other = s[0] == kScrollHorizontal ? img.scroll_y : img.scroll_x;
    ScrollImage(img, 800, 512, s[0], s[1], s[2]);
    EXPECT_EQ(s[0] == kScrollHorizontal ? img.scroll_x : img.scroll_y, s[3]) << s[1] << " " << s[2];
    EXPECT_EQ(s[0] == kScrollHorizontal ? img.scroll_y : img.scroll_x, other);  // the other bar stays
  }
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

TEST_F(ShellTest, ResizeClientStoresTheSizeAndKeepsTheScrollInside) {
  Image& img = PutImage(*app_, 0, Sized(1000, 600, 100, 900, 10));
  ResizeClient(*app_, 400, -5);
  // 1000 - (40000 - 3200) / 100 = 632; visible height 1: 10 + 1 fits.
  EXPECT_EQ(std::vector<int>({app_->client_width, app_->client_height, img.scroll_x, img.scroll_y}),
            std::vector<int>({400, 0, 632, 10}));
  img.scroll_x = 500;
  ResizeClient(*app_, 400, 512);
  EXPECT_EQ(img.scroll_x, 500);
}

TEST_F(ShellTest, ZoomCommandsStepAndKeepTheScroll) {
  Image& img = PutImage(*app_, 0, Sized(50, 50, 100, 3, 0));
  const int steps[][3] = {{kCmdZoomIn, 100, 150}, {kCmdZoomIn, 3200, 3200}, {kCmdZoomOut, 16, 12},
                          {kCmdZoomOut, 8, 8}};
  for (const auto& s : steps) {
    img.zoom = s[1];
    Run(s[0]);
    EXPECT_EQ(img.zoom, s[2]) << s[1];
    EXPECT_EQ(img.scroll_x, 3);  // the menu keeps the scroll
  }
  EXPECT_EQ(img.stats_refresh, 1);
}

TEST_F(ShellTest, ImageSelectListsOpenSlotsAndOkTakesTheRow) {
  PutImage(*app_, 2, MakeFlatImage(1, 1, 0), "/a/x.ppm");
  PutImage(*app_, 5, MakeFlatImage(1, 1, 0), "");
  PutImage(*app_, 15, MakeFlatImage(1, 1, 0), "");
  const std::vector<ImageSelectEntry> entries = ImageSelectEntries(*app_);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].slot, 2);
  EXPECT_EQ(Strings({entries[0].text, entries[2].text}), Strings({"02(/a/x.ppm)", "15()"}));
  // {row chosen, slot}: none chosen or beyond the list takes the last.
  const int rows[][2] = {{0, 2}, {1, 5}, {-1, 15}, {9, 15}};
  for (const auto& r : rows) EXPECT_EQ(ImageSelectSlot(entries, r[0]), r[1]) << r[0];
  EXPECT_EQ(ImageSelectSlot({}, -1), -1);
  EXPECT_EQ(ImageSelectSlot({{1, "07(a)"}}, 0), 7);  // the number in the text counts

  ui_.on_dialog = [&](int id) {
    EXPECT_EQ(id, kCmdImageSelect);
    EXPECT_EQ(app_->image_select_row, -1);  // nothing preselected
    app_->image_select_row = 1;
  };
  Run(kCmdImageSelect);
  EXPECT_EQ(app_->slots.current, 5);
  ui_.on_dialog = [&](int) { app_->image_select_row = 0; };
  ui_.dialog_results = {false};
  Run(kCmdImageSelect);
  EXPECT_EQ(app_->slots.current, 5);
  ui_.on_dialog = nullptr;
  Run(kCmdImageSelect);  // OK without a choice
  EXPECT_EQ(app_->slots.current, 15);
  auto empty = NewApp();
  RunCommand(*empty, ui_, kCmdImageSelect);
  EXPECT_EQ(empty->slots.current, -1);
}

TEST_F(ShellTest, DisplayBitsAndScale) {
  const int bits_to_scale[][2] = {{6, 1024}, {8, 256}, {16, 1}, {5, 1024}, {17, 1}};
  for (const auto& k : bits_to_scale) EXPECT_EQ(DisplayScaleFromBits(k[0]), k[1]) << k[0];
  for (int b = 6; b <= 16; ++b) EXPECT_EQ(DisplayBitsFromScale(1 << (16 - b)), b);
  EXPECT_EQ(DisplayBitsFromScale(300), 8);   // floor(log2 300) = 8
  EXPECT_EQ(DisplayBitsFromScale(0), 16);
  EXPECT_EQ(DisplayBitsFromScale(4096), 6);  // 16 - 12, raised to 6
  ui_.dialog_results = {false};
  Run(kCmdDisplayMode);
  Run(kCmdDisplayMode);
  EXPECT_EQ(ui_.repaints, 1);  // only after OK
  EXPECT_EQ(ui_.dialogs, (std::vector<int>{kCmdDisplayMode, kCmdDisplayMode}));
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(ShellTest, HelpOpensTheShippedPagesAndReportsFailures) {
  Run(kCmdHelp);
  Run(kCmdExamples);
  ASSERT_EQ(ui_.documents.size(), 2u);
  EXPECT_TRUE(EndsWith(ui_.documents[0], "/help/tavo_help.html") && ui_.documents[0][0] == '/') << ui_.documents[0];
  EXPECT_TRUE(EndsWith(ui_.documents[1], "/help/tavo.htm")) << ui_.documents[1];
  EXPECT_TRUE(PathExists(ui_.documents[0]));
  ui_.document_result = false;
  Run(kCmdExamples);
  Run(kCmdHelp);
  EXPECT_EQ(Texts(ui_), (Strings{kMsgExamplesNotShown, Msg(kMsgHelpNotShown, ui_.documents[0])}));
  EXPECT_EQ(std::vector<int>({ui_.boxes[0].kind, ui_.boxes[1].kind}), std::vector<int>({kBoxAbout, kBoxError}));
  app_->program_dir = "/opt/tavo/bin";
  const std::vector<std::string> folders = HelpFolders(*app_);
  ASSERT_GE(folders.size(), 3u);
  EXPECT_EQ(Strings({folders[0], folders[1], folders.back()}),
            Strings({"/opt/tavo/bin/help", "/opt/tavo/bin/../share/tavo/help", "help"}));
  EXPECT_EQ(FindHelpFile(*app_, "no-such-page.html"), "");
}

}  // namespace
}  // namespace tavo
