// SPDX-License-Identifier: MIT
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shell/commands.h"
#include "shell/image_window.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(Toolbar, UpDownButtonHalves) {
  auto app = NewApp();
  const int x = 24 * 16 + 5;
  EXPECT_EQ(ToolbarButtonAt(*app, x, 20), 16);
  EXPECT_EQ(ToolbarCommand(16, 20), kToolPreviousImage);
  EXPECT_EQ(ToolbarCommand(16, 5), kToolNextImage);
  EXPECT_EQ(ToolbarCommand(16, 11), kToolNextImage);
  EXPECT_EQ(ToolbarCommand(16, 12), kToolPreviousImage);
}

TEST(Toolbar, ClickOnUpDownMovesBetweenImages) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 3, MakeFlatImage(2, 2, 0));
  PutImage(*app, 7, MakeFlatImage(2, 2, 0));
  ToolbarClick(*app, ui, 24 * 16 + 5, 5);  // next from 7 wraps to 3
  EXPECT_EQ(app->slots.current, 3);
  ToolbarClick(*app, ui, 24 * 16 + 5, 20);  // previous from 3 wraps to 7
  EXPECT_EQ(app->slots.current, 7);
  for (int k : app->toolbar_state) EXPECT_EQ(k, 0);
}

TEST(Toolbar, ButtonEdgesAndTheRowHeight) {
  auto app = NewApp();
  EXPECT_EQ(ToolbarButtonAt(*app, 0, 0), 0);
  EXPECT_EQ(ToolbarButtonAt(*app, 23, 10), 0);
  EXPECT_EQ(ToolbarButtonAt(*app, 24, 10), 1);
  EXPECT_EQ(ToolbarButtonAt(*app, 407, 10), 16);
  EXPECT_EQ(ToolbarButtonAt(*app, 408, 10), -1);  // the status bar
  EXPECT_EQ(ToolbarButtonAt(*app, 100, 24), 4);
  EXPECT_EQ(ToolbarButtonAt(*app, 100, 25), -1);
  EXPECT_EQ(ToolbarButtonAt(*app, 100, -1), -1);
  EXPECT_EQ(ToolbarButtonAt(*app, -1, 5), -1);
}

TEST(Toolbar, EveryButtonsCommand) {
  const int expected[16] = {101, 102, 111, 0, 201, 202, 0, 301, 303, 304, 305, 302, 311, 312, 411, 421};
  for (int k = 0; k < 16; ++k) EXPECT_EQ(ToolbarCommand(k, 10), expected[k]) << k;
  EXPECT_EQ(ToolbarCommand(17, 10), 0);
  EXPECT_EQ(ToolbarCommand(-1, 10), 0);
}

TEST(Toolbar, UndoAndRedoPicturesFollowAvailability) {
  auto app = NewApp();
  EXPECT_STREQ(ToolbarBitmap(*app, 4), "BLACK");
  Image& img = PutImage(*app, 0, MakeFlatImage(2, 2, 0));
  EXPECT_STREQ(ToolbarBitmap(*app, 4), "BLACK");
  EXPECT_STREQ(ToolbarBitmap(*app, 5), "BLACK");
  img.undo_available = 1;
  EXPECT_STREQ(ToolbarBitmap(*app, 4), "UNDO");
  EXPECT_STREQ(ToolbarBitmap(*app, 5), "BLACK");
  img.undo_available = 0;
  img.redo_available = 1;
  EXPECT_STREQ(ToolbarBitmap(*app, 4), "BLACK");
  EXPECT_STREQ(ToolbarBitmap(*app, 5), "REDO");
  EXPECT_STREQ(ToolbarBitmap(*app, 0), "LOAD");
  EXPECT_STREQ(ToolbarBitmap(*app, 12), "GAMMA");
  EXPECT_STREQ(ToolbarBitmap(*app, 16), "UPDOWN");
  EXPECT_STREQ(ToolbarBitmap(*app, 3), "BLACK");
}

TEST(Toolbar, BatchModeTurnsTheRowIntoABanner) {
  auto app = NewApp();
  FakeUi ui;
  EXPECT_EQ(ToolbarBanner(*app), "");
  app->batch_mode = 2;
  EXPECT_EQ(ToolbarBanner(*app), "バッチモード：ファイルをドラッグアンドドロップして下さい！");
  EXPECT_EQ(ToolbarButtonAt(*app, 5, 5), -1);
  ToolbarClick(*app, ui, 5, 5);  // would be open
  EXPECT_TRUE(ui.file_requests.empty());
}

TEST(Toolbar, PressDrawsPressedReleaseElsewhereRunsNothing) {
  auto app = NewApp();
  FakeUi ui;
  ToolbarPress(*app, ui, 5, 5);
  EXPECT_EQ(app->toolbar_state[0], 1);
  ToolbarRelease(*app, ui, 30, 5);  // moved onto button 1
  EXPECT_EQ(app->toolbar_state[0], 0);
  EXPECT_TRUE(ui.file_requests.empty());
  ToolbarClick(*app, ui, 5, 5);
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].title, "LOAD");
}

TEST(Toolbar, GammaButtonRunsTheCommandAndBlankButtonsNothing) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 0, MakeFlatImage(2, 2, 1000));
  ToolbarClick(*app, ui, 24 * 3 + 2, 10);  // blank
  ToolbarClick(*app, ui, 24 * 2 + 2, 10);  // print: not built here
  EXPECT_TRUE(ui.dialogs.empty());
  EXPECT_TRUE(ui.boxes.empty());
  ToolbarClick(*app, ui, 24 * 12 + 2, 10);
  ASSERT_EQ(ui.dialogs.size(), 1u);
  EXPECT_EQ(ui.dialogs[0], 311);
  EXPECT_EQ(app->slots[0].undo_available, 1);
}

TEST(Keys, MarkAndClearPointsUnderTheMouse) {
  auto app = NewApp();
  FakeUi ui;
  Image& img = PutImage(*app, 0, MakeFlatImage(10, 8, 0));
  EXPECT_TRUE(HandleKey(*app, ui, 'A'));
  EXPECT_EQ(img.point_a_x, -1);  // the mouse has not been over the image
  ImageMouseMove(*app, 3, 2);   // x 3, row 8 - 1 - 2 = 5
  HandleKey(*app, ui, 'A');
  EXPECT_EQ(img.point_a_x, 3);
  EXPECT_EQ(img.point_a_y, 5);
  ImageMouseMove(*app, 9, 0);
  HandleKey(*app, ui, 'B');
  EXPECT_EQ(img.point_b_x, 9);
  EXPECT_EQ(img.point_b_y, 7);
  EXPECT_EQ(img.point_a_x, 3);
  HandleKey(*app, ui, 'C');
  EXPECT_EQ(img.point_a_x, -1);
  EXPECT_EQ(img.point_a_y, -1);
  EXPECT_EQ(img.point_b_x, -1);
  EXPECT_EQ(img.point_b_y, -1);
}

TEST(Keys, SlotKeysCopyOpenAndSave) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 2, MakeFlatImage(2, 2, 0));
  PutImage(*app, 5, MakeFlatImage(2, 2, 0));
  HandleKey(*app, ui, kKeyUp);
  EXPECT_EQ(app->slots.current, 2);  // from 5 wraps to 2
  HandleKey(*app, ui, '8');
  EXPECT_EQ(app->slots.current, 5);
  HandleKey(*app, ui, kKeyDown);
  EXPECT_EQ(app->slots.current, 2);
  HandleKey(*app, ui, '2');
  EXPECT_EQ(app->slots.current, 5);
  HandleKey(*app, ui, kKeyInsert);
  EXPECT_EQ(app->slots.current, 0);  // the copy went into the lowest free slot
  EXPECT_EQ(app->slots[0].width, 2);
  HandleKey(*app, ui, 'O');
  HandleKey(*app, ui, 'S');
  ASSERT_EQ(ui.file_requests.size(), 2u);
  EXPECT_EQ(ui.file_requests[0].title, "LOAD");
  EXPECT_EQ(ui.file_requests[1].title, "SAVE");
  EXPECT_FALSE(HandleKey(*app, ui, 'Z'));
}

TEST(CommandLine, QuotedNamesKeepTheirSpaces) {
  EXPECT_EQ(SplitCommandLine("one.ppm \"two words.ppm\""),
            (std::vector<std::string>{"one.ppm", "two words.ppm"}));
  EXPECT_EQ(SplitCommandLine("  a  b "), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(NamesFromArguments({"a.ppm", "\"b c.ppm\" d.ppm", "e f.ppm", ""}),
            (std::vector<std::string>{"a.ppm", "b c.ppm", "d.ppm", "e f.ppm"}));
}

}  // namespace
}  // namespace tavo
