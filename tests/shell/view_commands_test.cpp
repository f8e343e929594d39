// SPDX-License-Identifier: MIT
// Zoom commands, image select, display settings and the help commands.
#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/help_files.h"
#include "shell/messages.h"
#include "shell/view_dialogs.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(ZoomCommands, OneStepEachWayAndNothingAtTheEnds) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 401);  // no image: nothing
  EXPECT_EQ(ui.repaints, 0);
  Image& img = PutImage(*app, 0, MakeFlatImage(50, 50, 0));
  img.scroll_x = 3;
  RunCommand(*app, ui, 401);
  EXPECT_EQ(img.zoom, 150);
  EXPECT_EQ(img.stats_refresh, 1);
  EXPECT_EQ(img.scroll_x, 3);  // the menu keeps the scroll
  img.zoom = 3200;
  RunCommand(*app, ui, 401);
  EXPECT_EQ(img.zoom, 3200);
  EXPECT_EQ(img.scroll_x, 3);
  img.zoom = 16;
  RunCommand(*app, ui, 402);
  EXPECT_EQ(img.zoom, 12);
  RunCommand(*app, ui, 402);
  RunCommand(*app, ui, 402);
  EXPECT_EQ(img.zoom, 8);
}

TEST(ImageSelect, ListsOnlyOpenSlotsWithTwoDigitNumbers) {
  auto app = NewApp();
  PutImage(*app, 2, MakeFlatImage(1, 1, 0), "/a/x.ppm");
  PutImage(*app, 15, MakeFlatImage(1, 1, 0), "");
  const std::vector<ImageSelectEntry> entries = ImageSelectEntries(*app);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].slot, 2);
  EXPECT_EQ(entries[0].text, "02(/a/x.ppm)");
  EXPECT_EQ(entries[1].text, "15()");
  EXPECT_EQ(ImageSelectSlot(entries, 0), 2);
  EXPECT_EQ(ImageSelectSlot(entries, 1), 15);
  EXPECT_EQ(ImageSelectSlot(entries, -1), 15);  // none selected: the last
  EXPECT_EQ(ImageSelectSlot(entries, 9), 15);
  EXPECT_EQ(ImageSelectSlot({}, -1), -1);
  // The number in the text is what counts.
  EXPECT_EQ(ImageSelectSlot({{1, "07(a)"}}, 0), 7);
}

TEST(ImageSelect, OkTakesTheChosenRowCancelKeepsTheSlot) {
  auto app = NewApp();
  FakeUi ui;
  PutImage(*app, 2, MakeFlatImage(1, 1, 0));
  PutImage(*app, 5, MakeFlatImage(1, 1, 0));
  PutImage(*app, 9, MakeFlatImage(1, 1, 0));
  ui.on_dialog = [&](int id) {
    EXPECT_EQ(id, 421);
    EXPECT_EQ(app->image_select_row, -1);  // nothing preselected
    app->image_select_row = 1;
  };
  RunCommand(*app, ui, 421);
  EXPECT_EQ(app->slots.current, 5);
  ui.on_dialog = [&](int) { app->image_select_row = 0; };
  ui.dialog_results = {false};
  RunCommand(*app, ui, 421);
  EXPECT_EQ(app->slots.current, 5);
  ui.on_dialog = nullptr;
  RunCommand(*app, ui, 421);  // OK without a choice
  EXPECT_EQ(app->slots.current, 9);
}

TEST(ImageSelect, EmptyListChangesNothing) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 421);
  EXPECT_EQ(app->slots.current, -1);
}

TEST(DisplaySettings, BitsAndScale) {
  EXPECT_EQ(DisplayScaleFromBits(6), 1024);
  EXPECT_EQ(DisplayScaleFromBits(8), 256);
  EXPECT_EQ(DisplayScaleFromBits(16), 1);
  EXPECT_EQ(DisplayScaleFromBits(5), 1024);
  EXPECT_EQ(DisplayScaleFromBits(17), 1);
  for (int b = 6; b <= 16; ++b) EXPECT_EQ(DisplayBitsFromScale(DisplayScaleFromBits(b)), b);
  EXPECT_EQ(DisplayBitsFromScale(300), 8);    // floor(log2 300) = 8
  EXPECT_EQ(DisplayBitsFromScale(0), 16);
  EXPECT_EQ(DisplayBitsFromScale(4096), 6);   // 16 - 12, raised to 6
}

TEST(DisplaySettings, CommandRunsTheDialogAndRepaintsOnOk) {
  auto app = NewApp();
  FakeUi ui;
  ui.dialog_results = {false};
  RunCommand(*app, ui, 422);
  EXPECT_EQ(ui.repaints, 0);
  ui.on_dialog = [&](int) { app->settings.display.scale = DisplayScaleFromBits(12); };
  RunCommand(*app, ui, 422);
  EXPECT_EQ(ui.repaints, 1);
  EXPECT_EQ(app->settings.display.scale, 16);
  EXPECT_EQ(ui.dialogs, (std::vector<int>{422, 422}));
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(HelpCommands, OpenTheShippedPages) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 501);
  RunCommand(*app, ui, 503);
  ASSERT_EQ(ui.documents.size(), 2u);
  EXPECT_TRUE(EndsWith(ui.documents[0], "/help/tavo_help.html")) << ui.documents[0];
  EXPECT_TRUE(EndsWith(ui.documents[1], "/help/tavo.htm")) << ui.documents[1];
  EXPECT_EQ(ui.documents[0][0], '/');
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(PathExists(ui.documents[0]));
}

TEST(HelpCommands, FailuresAreReported) {
  auto app = NewApp();
  FakeUi ui;
  ui.document_result = false;
  RunCommand(*app, ui, 503);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxAbout);
  EXPECT_EQ(ui.boxes[0].text,
            "ファイルを表示できませんでした。\nTAVOをインストールしたフォルダの\"html\\tavo.htm\"をご覧下さい。");
  RunCommand(*app, ui, 501);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].kind, kBoxError);
  EXPECT_TRUE(EndsWith(ui.boxes[1].text, "tavo_help.html : ヘルプを表示できませんでした！"));
}

TEST(HelpCommands, ProgramFolderComesFirst) {
  auto app = NewApp();
  app->program_dir = "/opt/tavo/bin";
  const std::vector<std::string> folders = HelpFolders(*app);
  ASSERT_GE(folders.size(), 3u);
  EXPECT_EQ(folders[0], "/opt/tavo/bin/help");
  EXPECT_EQ(folders[1], "/opt/tavo/bin/../share/tavo/help");
  EXPECT_EQ(folders.back(), "help");
  EXPECT_EQ(FindHelpFile(*app, "no-such-page.html"), "");
}

}  // namespace
}  // namespace tavo
