// SPDX-License-Identifier: MIT
// What a new user meets on a first evening: a cut file, the save dialog's
// first filter, a composite that drifted, an unreadable dark, the toolbar
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
  WriteBytes(dir + "/cut.tif", ReadBytes(dir + "/w.tif").substr(0, 128 + 18 + 5));
  auto app = NewApp();
  FakeUi ui;
  ui.files.push_back({true, dir + "/cut.tif", 0});
  RunCommand(*app, ui, kCmdOpen);
  EXPECT_EQ(app->slots[0].height, 4);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, FormatText(kMsgFileEndedEarly, dir + "/cut.tif", 3));
}

TEST(FirstEvening, SaveDialogStartsOnAFilterThatKeepsSixteenBits) {
  const std::string dir = TempDir("evening_save");
  auto app = NewApp();
  FakeUi ui;
  Image& image = PutImage(*app, 0, MakePositionImage(2, 2), "");
  const auto first_filter = [&](const std::string& name, int chosen) {
    image.name = name;
    ui.files.push_back({false, "", chosen});
    RunCommand(*app, ui, kCmdSave);
    return ui.file_requests.back().filter_index;
  };
  EXPECT_EQ(first_filter("", kSaveFilterJpeg), kSaveFilterTiff);  // nothing to go by
  EXPECT_EQ(first_filter("sky.fits", 0), kSaveFilterJpeg);        // the last one chosen
  EXPECT_EQ(first_filter("frame.bmp", 0), kSaveFilterBmp);        // its own format
  // Names choose their format whatever the filter; FITS has no writer.
  ui.files.push_back({true, dir + "/x.jpeg", kSaveFilterBmp});
  RunCommand(*app, ui, kCmdSave);
  EXPECT_EQ(ReadBytes(dir + "/x.jpeg").substr(0, 2), "\xFF\xD8");
  ui.files.push_back({true, dir + "/y.FITS", kSaveFilterBmp});
  RunCommand(*app, ui, kCmdSave);
  EXPECT_EQ(ui.boxes.back().text, FormatText(kMsgNoWriter, dir + "/y.FITS"));
}

TEST(FirstEvening, ADriftedFrameIsNamedAfterTheStack) {
  // Frame b drifted 26 pixels: past the range of 20, yet within the
  // search's reach, so it is found on the edge and stacked as found.
  auto app = NewApp();
  FakeUi ui;
  const Image world = MakeStarWorld(420, 380, 5);
  PutImage(*app, 0, CropWorld(world, 30, 30, 360, 320), "a");
  PutImage(*app, 1, CropWorld(world, 56, 30, 360, 320), "b");
  app->settings.composite.inputs[0] = 0;
  app->settings.composite.inputs[1] = 1;
  RunCommand(*app, ui, kCmdCompositeAuto);
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
  // Buttons 0 open, 1 save, 3 blank, 4 undo, 16 up/down.
  auto app = NewApp();
  const int buttons[5] = {0, 1, 3, 4, 16};
  const bool without_image[5] = {true, false, false, false, false}, with_image[5] = {true, true, false, true, true};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(ToolbarButtonEnabled(*app, buttons[k]), without_image[k]) << k;
  PutImage(*app, 0, MakePositionImage(2, 2)).undo_available = 1;
  for (int k = 0; k < 5; ++k) EXPECT_EQ(ToolbarButtonEnabled(*app, buttons[k]), with_image[k]) << k;
  EXPECT_EQ(ToolbarTooltip(1), "保存(BMP,JPG,TIF,PPM)");
  EXPECT_EQ(ToolbarTooltip(16), kToolTipUpDown);
}

TEST(FirstEvening, TheImageWindowShowsOnlyWhatIsThere) {
  auto app = NewApp();
  FakeUi ui;
  ResizeImageArea(*app, 200, 100);  // the visible extent at 100 %
  Image& image = PutImage(*app, 0, MakePositionImage(50, 400));
  ImageMouseMove(*app, 50, 0);  // just beyond the right edge
  EXPECT_EQ(StatusText(*app), "");
  // At 3200 % the view holds 100 / 32 = 3 rows: a notch moves one.
  image.zoom = 3200;
  image.scroll_y = 10;
  ScrollByWheel(image, app->client_width, app->client_height, kScrollVertical, -1);
  EXPECT_EQ(image.scroll_y, 11);
  // Ctrl+wheel, 100 % -> 150 %: row 60 + 10 from the top stays under the
  // pointer at screen y 60: scroll 70 - 60 x 100 / 150 = 30.
  image.zoom = 100;
  image.scroll_y = 10;
  ASSERT_TRUE(ZoomAboutPointer(image, app->client_width, app->client_height, 0, 60, true));
  EXPECT_EQ(image.scroll_y, 30);
  // A centre background sample is marked where it was taken.
  image.zoom = 100;
  app->capture.mode = 1;
  ImageMouseDown(*app, ui, kMouseLeft, 4, 8);
  const std::vector<Marker> marks = ImageMarkers(*app);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].x * 1000 + marks[0].y, 4 * 1000 + 8);
}

}  // namespace
}  // namespace tavo
