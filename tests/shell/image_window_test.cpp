// SPDX-License-Identifier: MIT
#include "shell/image_window.h"

#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(FormatReadout, FiveDigitsForScalesOneToFour) {
  EXPECT_EQ(FormatReadout(3, 7, 65535, 1, 0, 1), "(   3,   7) R:65535 G:    1 B:    0");
  EXPECT_EQ(FormatReadout(3, 7, 65535, 7, 0, 2), "(   3,   7) R:32767 G:    3 B:    0");
  EXPECT_EQ(FormatReadout(1234, 56, 65535, 7, 4, 4), "(1234,  56) R:16383 G:    1 B:    1");
}

TEST(FormatReadout, FourDigitsForScalesEightToSixtyFour) {
  // 65535 / 8 = 8191, 100 / 8 = 12; 65535 / 64 = 1023.
  EXPECT_EQ(FormatReadout(0, 0, 65535, 100, 7, 8), "(   0,   0) R:8191 G:  12 B:   0");
  EXPECT_EQ(FormatReadout(0, 0, 65535, 64, 63, 64), "(   0,   0) R:1023 G:   1 B:   0");
}

TEST(FormatReadout, OneDecimalFromOneHundredTwentyEightUp) {
  // 32896 / 256 = 128 rest 128, 1280 / 256 = 5: "128.5".
  // 65535 / 256 = 255 rest 255, 2550 / 256 = 9: "255.9".
  EXPECT_EQ(FormatReadout(0, 0, 32896, 0, 65535, 256), "(   0,   0) R:128.5 G:  0.0 B:255.9");
  // 32896 / 128 = 257 rest 0; 65535 / 128 = 511 rest 127, 1270 / 128 = 9;
  // 300 / 128 = 2 rest 44, 440 / 128 = 3.
  EXPECT_EQ(FormatReadout(1, 2, 32896, 65535, 300, 128), "(   1,   2) R:257.0 G:511.9 B:  2.3");
  // 65535 / 1024 = 63 rest 1023, 10230 / 1024 = 9.
  EXPECT_EQ(FormatReadout(1, 2, 65535, 0, 0, 1024), "(   1,   2) R: 63.9 G:  0.0 B:  0.0");
}

TEST(FormatReadout, ScaleBelowOneCountsAsOne) {
  EXPECT_EQ(FormatReadout(0, 0, 5, 6, 7, 0), "(   0,   0) R:    5 G:    6 B:    7");
}

TEST(StatusText, PixelUnderTheMouseWithTheRowFromTheTop) {
  auto app = NewApp();
  EXPECT_EQ(StatusText(*app), "");
  PutImage(*app, 0, MakePositionImage(4, 3));
  EXPECT_EQ(StatusText(*app), "");  // the mouse has not been over the image
  ImageMouseMove(*app, 1, 0);
  // Screen (1, 0) at 100 %: x 1, top row = stored row 2: 1002, 1003, 1004.
  app->settings.display.scale = 1;
  EXPECT_EQ(StatusText(*app), "(   1,   0) R: 1002 G: 1003 B: 1004");
  app->settings.display.scale = 256;  // 1002 = 3 * 256 + 234, 2340 / 256 = 9
  EXPECT_EQ(StatusText(*app), "(   1,   0) R:  3.9 G:  3.9 B:  3.9");
  app->settings.display.scale = 1;
  app->slots[0].monochrome = 1;
  EXPECT_EQ(StatusText(*app), "(   1,   0) R: 1002 G: 1002 B: 1002");
  app->slots[0].monochrome = 0;
  ImageMouseMove(*app, 2, 2);  // bottom row: stored row 0
  EXPECT_EQ(StatusText(*app), "(   2,   2) R: 2000 G: 2001 B: 2002");
  app->batch_mode = 1;
  EXPECT_EQ(StatusText(*app), "");
}

TEST(StatusText, AreaSizeFollowsWhileSelecting) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakePositionImage(10, 8));
  app->settings.display.scale = 1;
  EXPECT_EQ(RunCommand(*app, ui, 212), kCommandRan);
  EXPECT_EQ(app->area_flag, 1);
  ImageMouseMove(*app, 0, 7);
  EXPECT_EQ(StatusText(*app), "(   0,   7) R:    0 G:    1 B:    2  AREA(   0,   0)");
  ImageMouseDown(*app, ui, kMouseLeft, 2, 1);
  ImageMouseMove(*app, 6, 4);
  // Corners (2, row 6) and (6, row 3): 4 by 3.
  EXPECT_EQ(StatusText(*app), "(   6,   4) R: 6003 G: 6004 B: 6005  AREA(   4,   3)");
}

TEST(AreaSelection, TrueRectangleIsCopiedIntoANewSlot) {
  auto app = NewApp();
  FakeUi ui;
  Image& src = PutImage(*app, 0, MakePositionImage(10, 8), "/data/src.ppm");
  src.monochrome = 1;
  RunCommand(*app, ui, 212);
  // Down at screen (2, 1): x 2, row 8 - 1 - 1 = 6. Up at (6, 5): x 6, row 2.
  ImageMouseDown(*app, ui, kMouseLeft, 2, 1);
  EXPECT_EQ(app->area_flag, 2);
  EXPECT_EQ(app->slots[0].zoom, 100);  // an armed click does not zoom
  ImageMouseMove(*app, 6, 5);
  ImageMouseUp(*app, ui, kMouseLeft, 6, 5);
  EXPECT_EQ(app->area_flag, 0);
  ASSERT_EQ(app->slots.current, 1);
  const Image& copy = app->slots[1];
  // Left edge 2, bottom row 2, 4 x 4: the far column 6 and row 6 are out.
  ASSERT_EQ(copy.width, 4);
  ASSERT_EQ(copy.height, 4);
  EXPECT_EQ(Sample(copy.r.get(), copy, 0, 0), 2002);
  EXPECT_EQ(Sample(copy.r.get(), copy, 3, 3), 5005);
  EXPECT_EQ(copy.monochrome, 1);
  EXPECT_EQ(copy.name, "");
  EXPECT_EQ(copy.changed, 1);  // in no file: closing or quitting asks first
  EXPECT_EQ(copy.stats_refresh, 0);
  EXPECT_EQ(copy.hist_samples, 16);  // histogram made at once
  EXPECT_EQ(app->slots[0].width, 10);  // the source stays
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(AreaSelection, OnlyATrueRectangleEndsTheDrag) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakePositionImage(10, 8));
  RunCommand(*app, ui, 212);
  ImageMouseDown(*app, ui, kMouseLeft, 2, 1);
  ImageMouseUp(*app, ui, kMouseLeft, 2, 5);  // same column
  EXPECT_EQ(app->area_flag, 2);
  ImageMouseUp(*app, ui, kMouseLeft, 7, 1);  // same row as the start
  EXPECT_EQ(app->area_flag, 2);
  ImageMouseUp(*app, ui, kMouseLeft, 2, 1);  // a click in place
  EXPECT_EQ(app->area_flag, 2);
  EXPECT_TRUE(app->slots[1].Empty());
  EXPECT_EQ(app->slots.current, 0);
  ImageMouseUp(*app, ui, kMouseLeft, 3, 3);  // 1 x 2
  EXPECT_EQ(app->area_flag, 0);
  EXPECT_EQ(app->slots.current, 1);
  EXPECT_EQ(app->slots[1].width, 1);
  EXPECT_EQ(app->slots[1].height, 2);
}

TEST(AreaSelection, NoFreeSlotGivesTheErrorBox) {
  auto app = NewApp();
  FakeUi ui;
  FillSlots(*app, 1);
  PutImage(*app, 0, MakePositionImage(10, 8));
  RunCommand(*app, ui, 212);
  ImageMouseDown(*app, ui, kMouseLeft, 2, 1);
  ImageMouseUp(*app, ui, kMouseLeft, 6, 5);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, kMsgNoSlotToMake);
  EXPECT_EQ(app->slots.current, 0);
  EXPECT_EQ(app->area_flag, 0);
}

TEST(AreaSelection, ScreenRectangleCoversTheCopiedPixels) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakePositionImage(10, 8));
  int x = 0, y = 0, w = 0, h = 0;
  EXPECT_FALSE(AreaScreenRect(*app, &x, &y, &w, &h));
  RunCommand(*app, ui, 212);
  ImageMouseDown(*app, ui, kMouseLeft, 2, 1);
  ImageMouseMove(*app, 6, 5);
  // Columns 2..5, stored rows 2..5 = screen rows 8 - 1 - 5 = 2 .. 5.
  ASSERT_TRUE(AreaScreenRect(*app, &x, &y, &w, &h));
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
}

TEST(ImageMouse, LeftZoomsInRightZoomsOutAboutTheClick) {
  auto app = NewApp();
  FakeUi ui;
  Image& img = PutImage(*app, 0, MakeFlatImage(1000, 1000, 0));
  ImageMouseDown(*app, ui, kMouseLeft, 400, 200);
  EXPECT_EQ(img.zoom, 150);
  EXPECT_EQ(img.scroll_x, 144);
  EXPECT_EQ(img.scroll_y, 48);
  EXPECT_EQ(ui.repaints, 1);
  ImageMouseDown(*app, ui, kMouseRight, 0, 0);
  // x_click = 0 + 144, 100 %: 144 - 384 < 0 -> 0.
  EXPECT_EQ(img.zoom, 100);
  EXPECT_EQ(img.scroll_x, 0);
  img.zoom = 8;
  ImageMouseDown(*app, ui, kMouseRight, 0, 0);
  EXPECT_EQ(img.zoom, 8);
  EXPECT_EQ(ui.repaints, 2);  // the last step repaints nothing
}

TEST(ImageMouse, CaptureModesTakeTheClickInsteadOfZooming) {
  auto app = NewApp();
  FakeUi ui;
  Image& img = PutImage(*app, 0, MakeFlatImage(100, 100, 0));
  app->capture.mode = 1;
  ImageMouseDown(*app, ui, kMouseLeft, 10, 10);
  EXPECT_EQ(img.zoom, 100);
  ImageMouseDown(*app, ui, kMouseRight, 10, 10);  // below 100: zooms out
  EXPECT_EQ(img.zoom, 75);
  app->capture.mode = 105;
  ImageMouseDown(*app, ui, kMouseLeft, 10, 10);
  EXPECT_EQ(img.zoom, 75);
  ImageMouseDown(*app, ui, kMouseRight, 10, 10);  // ends the collection
  EXPECT_EQ(img.zoom, 75);
  EXPECT_EQ(app->capture.mode, 0);
}

TEST(ImageMouse, WithoutAnImageOnlyThePositionIsKept) {
  auto app = NewApp();
  FakeUi ui;
  ImageMouseDown(*app, ui, kMouseLeft, 12, 34);
  EXPECT_TRUE(app->mouse_seen);
  EXPECT_EQ(app->mouse_x, 12);
  EXPECT_EQ(app->mouse_y, 34);
  EXPECT_EQ(ui.repaints, 0);
  EXPECT_EQ(RunCommand(*app, ui, 212), kCommandRan);
  EXPECT_EQ(app->area_flag, 0);  // nothing to select from
}

}  // namespace
}  // namespace tavo
