// SPDX-License-Identifier: MIT
// The main window without a toolkit: the toolbar row, keys, the status
// readout, the mouse on the image and area selection.
#include "shell/image_window.h"

#include <gtest/gtest.h>

#include "shell/main_window.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(FormatReadout, DigitsByScale) {
  const struct {
    int x, row, r, g, b, scale;
    const char* text;
  } cases[] = {
      // Scales 1..4: five digits, the value divided.
      {3, 7, 65535, 1, 0, 1, "(   3,   7) R:65535 G:    1 B:    0"},
      {3, 7, 65535, 7, 0, 2, "(   3,   7) R:32767 G:    3 B:    0"},
      {1234, 56, 65535, 7, 4, 4, "(1234,  56) R:16383 G:    1 B:    1"},
      {0, 0, 5, 6, 7, 0, "(   0,   0) R:    5 G:    6 B:    7"},  // below 1 counts as 1
      // 8..64: four digits; 65535 / 8 = 8191, 100 / 8 = 12; 65535 / 64 = 1023.
      {0, 0, 65535, 100, 7, 8, "(   0,   0) R:8191 G:  12 B:   0"},
      {0, 0, 65535, 64, 63, 64, "(   0,   0) R:1023 G:   1 B:   0"},
      // 128 up: one decimal. 32896 / 256 = 128 rest 128, 1280 / 256 = 5;
      // 65535 / 256 = 255 rest 255, 2550 / 256 = 9.
      {0, 0, 32896, 0, 65535, 256, "(   0,   0) R:128.5 G:  0.0 B:255.9"},
      // 65535 / 128 = 511 rest 127, 1270 / 128 = 9; 300 / 128 = 2 rest 44,
      // 440 / 128 = 3.
      {1, 2, 32896, 65535, 300, 128, "(   1,   2) R:257.0 G:511.9 B:  2.3"},
      {1, 2, 65535, 0, 0, 1024, "(   1,   2) R: 63.9 G:  0.0 B:  0.0"},  // 63 rest 1023
  };
  for (const auto& c : cases) EXPECT_EQ(FormatReadout(c.x, c.row, c.r, c.g, c.b, c.scale), c.text) << c.scale;
}

TEST_F(ShellTest, StatusShowsThePixelUnderTheMouseWithTheRowFromTheTop) {
  EXPECT_EQ(StatusText(*app_), "");
  PutImage(*app_, 0, MakePositionImage(4, 3));
  EXPECT_EQ(StatusText(*app_), "");  // the mouse has not been over the image
  ImageMouseMove(*app_, 1, 0);
  // Screen (1, 0) at 100 %: x 1, top row = stored row 2: 1002, 1003, 1004.
  app_->settings.display.scale = 1;
  EXPECT_EQ(StatusText(*app_), "(   1,   0) R: 1002 G: 1003 B: 1004");
  app_->settings.display.scale = 256;  // 1002 = 3 * 256 + 234, 2340 / 256 = 9
  EXPECT_EQ(StatusText(*app_), "(   1,   0) R:  3.9 G:  3.9 B:  3.9");
  app_->settings.display.scale = 1;
  Slot(0).monochrome = 1;
  EXPECT_EQ(StatusText(*app_), "(   1,   0) R: 1002 G: 1002 B: 1002");
  Slot(0).monochrome = 0;
  ImageMouseMove(*app_, 2, 2);  // bottom row: stored row 0
  EXPECT_EQ(StatusText(*app_), "(   2,   2) R: 2000 G: 2001 B: 2002");
  app_->batch_mode = 1;
  EXPECT_EQ(StatusText(*app_), "");
}

// 10 x 8, values x * 1000 + row. Down at screen (2, 1): x 2, row 8 - 1 - 1
// = 6. Up at (6, 5): x 6, row 2. Left edge 2, bottom row 2, 4 x 4: the far
// column 6 and row 6 are out.
TEST_F(ShellTest, AreaSelectionCopiesTheRectangleIntoANewSlot) {
  Image& src = PutImage(*app_, 0, MakePositionImage(10, 8), "/data/src.ppm");
  src.monochrome = 1;
  app_->settings.display.scale = 1;
  int x = 0, y = 0, w = 0, h = 0;
  EXPECT_FALSE(AreaScreenRect(*app_, &x, &y, &w, &h));
  EXPECT_EQ(RunCommand(*app_, ui_, kCmdAreaCopy), kCommandRan);
  EXPECT_EQ(app_->area_flag, 1);
  ImageMouseMove(*app_, 0, 7);
  EXPECT_EQ(StatusText(*app_), "(   0,   7) R:    0 G:    0 B:    0  AREA(   0,   0)");
  ImageMouseDown(*app_, ui_, kMouseLeft, 2, 1);
  EXPECT_EQ(app_->area_flag, 2);
  EXPECT_EQ(Slot(0).zoom, 100);  // an armed click does not zoom
  ImageMouseMove(*app_, 6, 5);
  EXPECT_EQ(StatusText(*app_), "(   6,   5) R: 6002 G: 6002 B: 6002  AREA(   4,   4)");
  // Columns 2..5, stored rows 2..5 = screen rows 8 - 1 - 5 = 2 .. 5.
  ASSERT_TRUE(AreaScreenRect(*app_, &x, &y, &w, &h));
  EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({2, 2, 4, 4}));
  // Only a true rectangle ends the drag: same column, same row, in place.
  for (const auto& [ux, uy] : {std::pair{2, 5}, {7, 1}, {2, 1}}) {
    ImageMouseUp(*app_, ui_, kMouseLeft, ux, uy);
    EXPECT_EQ(app_->area_flag, 2) << ux << "," << uy;
  }
  EXPECT_TRUE(Slot(1).Empty());
  ImageMouseUp(*app_, ui_, kMouseLeft, 6, 5);
  EXPECT_EQ(app_->area_flag, 0);
  ASSERT_EQ(app_->slots.current, 1);
  const Image& copy = Slot(1);
  ASSERT_EQ(copy.width, 4);
  ASSERT_EQ(copy.height, 4);
  EXPECT_EQ(Sample(copy.r.get(), copy, 0, 0), 2002);
  EXPECT_EQ(Sample(copy.r.get(), copy, 3, 3), 5005);
  EXPECT_EQ(copy.name, "");
  EXPECT_EQ(Flags(copy), (std::vector<int>{0, 0, 0, 0, 1}));
  EXPECT_EQ(copy.hist_samples, 16);  // histogram made at once
  EXPECT_EQ(Slot(0).width, 10);      // the source stays
  EXPECT_TRUE(ui_.boxes.empty());
  // Without a free slot: the error box, the selection ends.
  FillSlots(*app_, 2);
  app_->slots.current = 0;
  Run(kCmdAreaCopy);
  ImageMouseDown(*app_, ui_, kMouseLeft, 2, 1);
  ImageMouseUp(*app_, ui_, kMouseLeft, 3, 3);  // 1 x 2
  EXPECT_EQ(Texts(ui_), Strings{kMsgNoSlotToMake});
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
  EXPECT_EQ(std::vector<int>({app_->slots.current, app_->area_flag}), std::vector<int>({0, 0}));
  ClearSlot(app_->slots, 2);
  Run(kCmdAreaCopy);
  ImageMouseDown(*app_, ui_, kMouseLeft, 2, 1);
  ImageMouseUp(*app_, ui_, kMouseLeft, 3, 3);
  EXPECT_EQ(std::vector<int>({Slot(2).width, Slot(2).height}), std::vector<int>({1, 2}));
}

TEST_F(ShellTest, MouseZoomsAboutTheClickUnlessACaptureTakesIt) {
  Image& img = PutImage(*app_, 0, MakeFlatImage(1000, 1000, 0));
  ImageMouseDown(*app_, ui_, kMouseLeft, 400, 200);
  EXPECT_EQ(img.zoom, 150);
  EXPECT_EQ(img.scroll_x, 144);
  EXPECT_EQ(ui_.repaints, 1);
  ImageMouseDown(*app_, ui_, kMouseRight, 0, 0);
  EXPECT_EQ(img.zoom, 100);
  EXPECT_EQ(img.scroll_x, 0);  // x_click = 144, 144 - 384 < 0
  img.zoom = 8;
  ImageMouseDown(*app_, ui_, kMouseRight, 0, 0);
  EXPECT_EQ(img.zoom, 8);
  EXPECT_EQ(ui_.repaints, 2);  // the last step repaints nothing
  img.zoom = 100;
  app_->capture.mode = 1;
  ImageMouseDown(*app_, ui_, kMouseLeft, 10, 10);
  EXPECT_EQ(img.zoom, 100);
  ImageMouseDown(*app_, ui_, kMouseRight, 10, 10);  // below 100: zooms out
  EXPECT_EQ(img.zoom, 75);
  app_->capture.mode = 105;
  ImageMouseDown(*app_, ui_, kMouseLeft, 10, 10);
  ImageMouseDown(*app_, ui_, kMouseRight, 10, 10);  // ends the collection
  EXPECT_EQ(img.zoom, 75);
  EXPECT_EQ(app_->capture.mode, 0);
  auto none = NewApp();
  FakeUi quiet;
  ImageMouseDown(*none, quiet, kMouseLeft, 12, 34);  // no image: only the position is kept
  EXPECT_EQ(std::vector<int>({none->mouse_seen, none->mouse_x, none->mouse_y, quiet.repaints}),
            std::vector<int>({1, 12, 34, 0}));
}

TEST_F(ShellTest, ToolbarButtonsByPosition) {
  // {x, y, button}: 24-pixel buttons, a 24-pixel row, 17 buttons.
  const int at[][3] = {{0, 0, 0},    {23, 10, 0},   {24, 10, 1},   {407, 10, 16}, {408, 10, -1},
                       {100, 24, 4}, {100, 25, -1}, {100, -1, -1}, {-1, 5, -1}};
  for (const auto& k : at) EXPECT_EQ(ToolbarButtonAt(*app_, k[0], k[1]), k[2]) << k[0] << "," << k[1];
  // The up/down button: its upper half is next, the lower previous.
  const int halves[][2] = {{20, kToolPreviousImage}, {5, kToolNextImage}, {11, kToolNextImage},
                           {12, kToolPreviousImage}};
  for (const auto& k : halves) EXPECT_EQ(ToolbarCommand(16, k[0]), k[1]) << k[0];
  EXPECT_EQ(ToolbarCommand(17, 10), 0);
  EXPECT_EQ(ToolbarCommand(-1, 10), 0);
  EXPECT_EQ(ToolbarCommand(3, 10), 0);  // blank
  EXPECT_EQ(ToolbarCommand(0, 10), kCmdOpen);
  app_->batch_mode = 2;
  EXPECT_EQ(ToolbarBanner(*app_), kBatchBannerIdle);
  EXPECT_EQ(ToolbarButtonAt(*app_, 5, 5), -1);
  ToolbarClick(*app_, ui_, 5, 5);  // would be open
  EXPECT_TRUE(ui_.file_requests.empty());
  app_->batch_mode = 0;
  EXPECT_EQ(ToolbarBanner(*app_), "");
}

TEST_F(ShellTest, ToolbarPicturesFollowUndoAndRedo) {
  EXPECT_STREQ(ToolbarBitmap(*app_, 4), "BLACK");
  Image& img = PutImage(*app_, 0, MakeFlatImage(2, 2, 0));
  const struct {
    int undo, redo;
    const char *undo_picture, *redo_picture;
  } cases[] = {{0, 0, "BLACK", "BLACK"}, {1, 0, "UNDO", "BLACK"}, {0, 1, "BLACK", "REDO"}};
  for (const auto& c : cases) {
    img.undo_available = c.undo;
    img.redo_available = c.redo;
    EXPECT_STREQ(ToolbarBitmap(*app_, 4), c.undo_picture);
    EXPECT_STREQ(ToolbarBitmap(*app_, 5), c.redo_picture);
  }
  EXPECT_STREQ(ToolbarBitmap(*app_, 0), "LOAD");
  EXPECT_STREQ(ToolbarBitmap(*app_, 16), "UPDOWN");
  EXPECT_STREQ(ToolbarBitmap(*app_, 3), "BLACK");
  EXPECT_STREQ(ToolbarBitmap(*app_, 17), "BLACK");
}

TEST_F(ShellTest, ToolbarClicksRunTheirCommands) {
  PutImage(*app_, 3, MakeFlatImage(2, 2, 1000));
  PutImage(*app_, 7, MakeFlatImage(2, 2, 1000));
  ToolbarClick(*app_, ui_, 24 * 16 + 5, 5);  // next from 7 wraps to 3
  EXPECT_EQ(app_->slots.current, 3);
  ToolbarClick(*app_, ui_, 24 * 16 + 5, 20);  // previous from 3 wraps to 7
  EXPECT_EQ(app_->slots.current, 7);
  ToolbarPress(*app_, ui_, 5, 5);
  EXPECT_EQ(app_->toolbar_state[0], 1);
  ToolbarRelease(*app_, ui_, 30, 5);  // moved onto button 1: nothing runs
  EXPECT_EQ(app_->toolbar_state[0], 0);
  EXPECT_TRUE(ui_.file_requests.empty());
  ToolbarClick(*app_, ui_, 24 * 3 + 2, 10);  // blank
  ToolbarClick(*app_, ui_, 24 * 2 + 2, 10);  // print: not built here
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_TRUE(ui_.boxes.empty());
  ToolbarClick(*app_, ui_, 24 * 12 + 2, 10);
  EXPECT_EQ(ui_.dialogs, std::vector<int>{kCmdGamma});
  EXPECT_EQ(Slot(7).undo_available, 1);
  ToolbarClick(*app_, ui_, 5, 5);
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ui_.file_requests[0].title, "LOAD");
  for (int k : app_->toolbar_state) EXPECT_EQ(k, 0);
}

TEST_F(ShellTest, KeysMarkPointsMoveBetweenImagesCopyOpenAndSave) {
  Image& img = PutImage(*app_, 2, MakeFlatImage(10, 8, 0));
  EXPECT_TRUE(HandleKey(*app_, ui_, 'A'));
  EXPECT_EQ(img.point_a_x, -1);  // the mouse has not been over the image
  ImageMouseMove(*app_, 3, 2);   // x 3, row 8 - 1 - 2 = 5
  HandleKey(*app_, ui_, 'A');
  ImageMouseMove(*app_, 9, 0);
  HandleKey(*app_, ui_, 'B');
  EXPECT_EQ(std::vector<int>({img.point_a_x, img.point_a_y, img.point_b_x, img.point_b_y}),
            std::vector<int>({3, 5, 9, 7}));
  HandleKey(*app_, ui_, 'C');
  EXPECT_EQ(std::vector<int>({img.point_a_x, img.point_a_y, img.point_b_x, img.point_b_y}),
            std::vector<int>({-1, -1, -1, -1}));
  PutImage(*app_, 5, MakeFlatImage(2, 2, 0));
  const std::pair<int, int> moves[] = {{kKeyUp, 2}, {'8', 5}, {kKeyDown, 2}, {'2', 5}};
  for (const auto& [key, slot] : moves) {
    HandleKey(*app_, ui_, key);
    EXPECT_EQ(app_->slots.current, slot) << key;
  }
  HandleKey(*app_, ui_, kKeyInsert);
  EXPECT_EQ(app_->slots.current, 0);  // the copy went into the lowest free slot
  EXPECT_EQ(Slot(0).width, 2);
  HandleKey(*app_, ui_, 'O');
  HandleKey(*app_, ui_, 'S');
  ASSERT_EQ(ui_.file_requests.size(), 2u);
  EXPECT_EQ(ui_.file_requests[0].title, "LOAD");
  EXPECT_EQ(ui_.file_requests[1].title, "SAVE");
  EXPECT_FALSE(HandleKey(*app_, ui_, 'Z'));
}

}  // namespace
}  // namespace tavo
