// SPDX-License-Identifier: MIT
// What a new user meets on a first evening: cut files, the save dialog's
// first filter, composites that went wrong, unreadable darks, the toolbar
// and the image window.
#include <gtest/gtest.h>

#include "io/file_type.h"
#include "io/image_file.h"
#include "shell/command_ids.h"
#include "shell/commands.h"
#include "shell/dialog_logic.h"
#include "shell/display.h"
#include "shell/image_window.h"
#include "shell/main_window.h"
#include "shell/messages.h"
#include "shell/view.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"
#include "tests/stack/star_field.h"

namespace tavo {
namespace {

TEST(FirstEvening, ACutFileOpensAndSaysHowManyRowsAreMissing) {
  // 3 x 4 TIFF cut inside its second row (rows of 18 bytes behind 128).
  const std::string dir = TempDir("evening_cut");
  ASSERT_TRUE(WriteImageFile(dir + "/w.tif", MakePositionImage(3, 4), kSaveFilterTiff));
  const std::string path = dir + "/cut.tif";
  WriteBytes(path, ReadBytes(dir + "/w.tif").substr(0, 128 + 18 + 5));
  auto app = NewApp();
  FakeUi ui;
  ui.files.push_back({true, path, 0});
  RunCommand(*app, ui, kCmdOpen);
  EXPECT_EQ(app->slots[0].height, 4);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, FormatText(kMsgFileEndedEarly, path, 3));
}

TEST(FirstEvening, SaveDialogStartsOnAFilterThatKeepsSixteenBits) {
  const std::string dir = TempDir("evening_save");
  auto app = NewApp();
  FakeUi ui;
  Image& image = PutImage(*app, 0, MakePositionImage(2, 2), dir + "/stack.tif");
  const auto first_filter = [&] {
    ui.files.push_back({false, "", 0});
    RunCommand(*app, ui, kCmdSave);
    return ui.file_requests.back().filter_index;
  };
  EXPECT_EQ(first_filter(), kSaveFilterTiff);  // its own format
  image.name = dir + "/sky.fits";              // a format with no writer, no save yet
  app->last_save_filter = 0;
  EXPECT_EQ(first_filter(), kSaveFilterTiff);
  ui.files.push_back({false, "", kSaveFilterJpeg});
  RunCommand(*app, ui, kCmdSave);
  EXPECT_EQ(first_filter(), kSaveFilterJpeg);  // the last one used
  image.name = dir + "/frame.bmp";
  EXPECT_EQ(first_filter(), kSaveFilterBmp);

  // Names choose their format whatever the filter; FITS has no writer.
  ui.files.push_back({true, dir + "/x.jpeg", kSaveFilterBmp});
  RunCommand(*app, ui, kCmdSave);
  EXPECT_EQ(ReadBytes(dir + "/x.jpeg").substr(0, 2), "\xFF\xD8");
  ui.files.push_back({true, dir + "/y.FITS", kSaveFilterBmp});
  RunCommand(*app, ui, kCmdSave);
  EXPECT_EQ(ui.boxes.back().text, FormatText(kMsgNoWriter, dir + "/y.FITS"));
  EXPECT_FALSE(PathExists(dir + "/y.FITS.BMP"));
}

TEST(FirstEvening, CompositeSaysWhenItCannotBeTrusted) {
  // Frame b drifted 26 pixels: beyond the range of 20, yet within what the
  // search reaches, so it is found on the edge and stacked as found.
  auto app = NewApp();
  FakeUi ui;
  const Image world = MakeStarWorld(420, 380, 5);
  PutImage(*app, 0, CropWorld(world, 30, 30, 360, 320), "a");
  PutImage(*app, 1, CropWorld(world, 56, 30, 360, 320), "b");
  app->settings.composite.inputs[0] = 0;
  app->settings.composite.inputs[1] = 1;
  RunCommand(*app, ui, kCmdCompositeAuto);
  ASSERT_EQ(app->slots.current, 2);
  EXPECT_EQ(app->slots[2].width, 386);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            FormatText(kMsgAlignmentDoubtful, FormatText(kMsgAlignOnEdge, SlotListText(1, "b")) + "\n"));
}

TEST(FirstEvening, AnUnreadableDarkFileIsNamed) {
  auto app = NewApp();
  FakeUi ui;
  app->darks.paths[0] = "/no/such/dark.CR2";
  RunCommand(*app, ui, kCmdDarkFiles);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, FormatText(kMsgDarkUnreadable, "/no/such/dark.CR2", 0));
}

TEST(FirstEvening, ToolbarButtonsActOnlyWhenTheyCan) {
  auto app = NewApp();
  // Button: 0 open, 1 save, 2 print (not built), 4 undo, 16 up/down.
  EXPECT_TRUE(ToolbarButtonEnabled(*app, 0));
  EXPECT_FALSE(ToolbarButtonEnabled(*app, 1));
  EXPECT_FALSE(ToolbarButtonEnabled(*app, 16));
  Image& image = PutImage(*app, 0, MakePositionImage(2, 2));
  EXPECT_TRUE(ToolbarButtonEnabled(*app, 1));
  EXPECT_TRUE(ToolbarButtonEnabled(*app, 16));
  EXPECT_FALSE(ToolbarButtonEnabled(*app, 2));
  EXPECT_FALSE(ToolbarButtonEnabled(*app, 4));
  image.undo_available = 1;
  EXPECT_TRUE(ToolbarButtonEnabled(*app, 4));
  EXPECT_FALSE(ToolbarButtonEnabled(*app, 3));  // blank
  EXPECT_EQ(ToolbarTooltip(1), "保存(BMP,JPG,TIF,PPM)");
  EXPECT_EQ(ToolbarTooltip(16), kToolTipUpDown);
  EXPECT_EQ(ToolbarTooltip(3), "");
}

TEST(FirstEvening, TheImageWindowShowsOnlyWhatIsThere) {
  auto app = NewApp();
  FakeUi ui;
  ResizeImageArea(*app, 200, 100);  // the visible extent at 100 %: 200 x 100
  Image& image = PutImage(*app, 0, MakePositionImage(50, 400));
  ImageMouseMove(*app, 49, 0);
  EXPECT_NE(StatusText(*app), "");
  ImageMouseMove(*app, 50, 0);  // beyond the right edge
  EXPECT_EQ(StatusText(*app), "");

  const ScrollBarRange v = ScrollBarRangeOf(image, app->client_width, app->client_height, kScrollVertical);
  EXPECT_EQ(v.maximum, 300);
  EXPECT_EQ(v.page, 100);

  // At 3200 % the view holds 3 rows (100 / 32): a notch moves one.
  image.zoom = 3200;
  image.scroll_y = 10;
  ScrollByWheel(image, app->client_width, app->client_height, kScrollVertical, -1);
  EXPECT_EQ(image.scroll_y, 11);

  // Ctrl+wheel at 100 %: the row under the pointer (screen y 60: row 70
  // from the top) stays there at 150 %: 70 - 60 x 100 / 150 = 30.
  image.zoom = 100;
  image.scroll_y = 10;
  ASSERT_TRUE(ZoomAboutPointer(image, app->client_width, app->client_height, 0, 60, true));
  EXPECT_EQ(image.zoom, 150);
  EXPECT_EQ(image.scroll_y, 30);

  // Fit: 400 rows in 100 need 25 %.
  RunCommand(*app, ui, kCmdZoomFit);
  EXPECT_EQ(image.zoom, 25);
  EXPECT_EQ(image.scroll_y, 0);

  // A centre background sample is marked where it was taken.
  app->capture.mode = 1;
  ImageMouseDown(*app, ui, kMouseLeft, 4, 8);  // x 16, row 400 - 1 - 32
  const std::vector<Marker> marks = ImageMarkers(*app);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].x, 4);
  EXPECT_EQ(marks[0].y, 8);
}

}  // namespace
}  // namespace tavo
