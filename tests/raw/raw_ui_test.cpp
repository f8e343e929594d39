// SPDX-License-Identifier: MIT
#include "shell/raw_ui.h"

#include <gtest/gtest.h>

#include <memory>

#include "raw/develop_raw.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(DarkList, StaysCompactAndRefusesWhatItCannotUse) {
  std::string paths[4];
  for (const char* p : {"/d/a.CR2", "/d/b.dng", "/d/c.NEF"}) EXPECT_EQ(DarkListAdd(paths, p), kDarkAdded);
  DarkListDelete(paths, 1);  // the former third file moves up to position 2
  DarkListDelete(paths, -1);  // nothing selected
  DarkListDelete(paths, 4);
  EXPECT_EQ(DarkListLines(paths), (std::vector<std::string>{"1 /d/a.CR2", "2 /d/c.NEF"}));
  EXPECT_EQ(Ints({DarkListCount(paths), DarkListAdd(paths, "/d/dark.tif"), DarkListAdd(paths, "/d/dark.FTS"),
                  DarkListCount(paths), DarkListAdd(paths, "/d/x.ORF"), DarkListAdd(paths, "/d/y.ARW"),
                  DarkListAdd(paths, "/d/z.RAF")}),
            Ints({2, kDarkNotRaw, kDarkNotRaw, 2, kDarkAdded, kDarkAdded, kDarkListFull}));
  EXPECT_EQ(paths[3], "/d/y.ARW");
  EXPECT_STREQ(DarkAddMessage(kDarkNotRaw), kMsgDarkNotRaw);
  EXPECT_STREQ(DarkAddMessage(kDarkListFull), kMsgDarkListFull);
  EXPECT_EQ(DarkAddMessage(kDarkAdded), nullptr);
  DarkListDelete(paths, 0);
  EXPECT_EQ(DarkListLines(paths), (std::vector<std::string>{"1 /d/c.NEF", "2 /d/x.ORF", "3 /d/y.ARW"}));
  EXPECT_TRUE(paths[3].empty());
  // Paths are kept to the 255 characters of the fixed field.
  std::string fresh[4];
  DarkListAdd(fresh, std::string(300, 'a') + ".CR2");
  EXPECT_EQ(fresh[0].size(), 255u);
  // The threshold moves 16 a line, 64 a page, position x 16 when tracked, within 0..1024.
  const int scrolls[][4] = {{1000, kScrollPageRight, 0, 1024}, {512, kScrollLineRight, 0, 528},
                            {512, kScrollLineLeft, 0, 496}, {512, kScrollPageLeft, 0, 448}, {40, kScrollPageLeft, 0, 0},
                            {0, kScrollLineLeft, 0, 0}, {0, kScrollTrack, 10, 160}, {0, kScrollTrack, 64, 1024},
                            {0, kScrollTrack, 99, 1024}};
  for (const auto& s : scrolls) EXPECT_EQ(DarkThresholdAfterScroll(s[0], s[1], s[2]), s[3]) << s[0] << " " << s[1];
  EXPECT_EQ(Ints({DarkThresholdThumb(1000), DarkThresholdThumb(1024)}), Ints({62, kDarkThresholdThumbMax}));
}

TEST(DarkAddFile, RequestAndRefusals) {
  FileDialogRequest r = DarkAddFileRequest("/x/IMG_1.CR2");
  EXPECT_EQ(r.initial_name, "/x/IMG_1.CRW");
  EXPECT_EQ(r.filters.rfind("*.CRW|", 0), 0u);
  EXPECT_EQ(DarkAddFileRequest("/x.dir/name").initial_name, "/x.dir/name.CRW");
  EXPECT_EQ(DarkAddFileRequest("").initial_name, "");
  auto app = std::make_unique<AppState>();
  FakeUi ui;
  ui.files.push_back({true, "/x/flat.tif", 0});
  ui.files.push_back({true, "/x/dark.CR2", 0});
  DarkDialogAdd(*app, ui);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui.boxes[0].text, kMsgDarkNotRaw);
  EXPECT_EQ(DarkListCount(app->darks.paths), 0);
  DarkDialogAdd(*app, ui);
  EXPECT_EQ(app->darks.paths[0], "/x/dark.CR2");
  EXPECT_EQ(ui.file_requests.back().initial_name, "/x/flat.CRW");  // the last name used
  DarkDialogAdd(*app, ui);  // cancelled: nothing
  EXPECT_EQ(DarkListCount(app->darks.paths), 1);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST(RawSliders, PositionsTextsAndCancel) {
  RawDevelopSettings s;
  s.gamma[0] = 2.3;  // 22.999... x 10 in binary
  EXPECT_EQ(RawSliderPosition(s, kRawGammaR), 23);
  SetRawSliderPosition(s, kRawGammaG, 31);
  EXPECT_EQ(s.gamma[1], 3.1);
  s.gamma[2] = 4.0;
  ScrollRawSlider(s, kRawGammaB, kScrollLineRight, 0);
  EXPECT_EQ(s.gamma[2], 4.0);
  ScrollRawSlider(s, kRawGammaB, kScrollPageLeft, 0);  // pages move one step too
  EXPECT_EQ(s.gamma[2], 3.9);
  s.gamma[2] = 1.0;
  ScrollRawSlider(s, kRawGammaB, kScrollLineLeft, 0);
  EXPECT_EQ(s.gamma[2], 1.0);
  s.white_b = 128;
  EXPECT_EQ(RawSliderPosition(s, kRawWhiteB), 0);
  ScrollRawSlider(s, kRawWhiteB, kScrollTrack, 200);
  EXPECT_EQ(s.white_b, 255);
  EXPECT_EQ(RawSliderPosition(s, kRawWhiteB), 127);
  s.black_g = 32, s.black_r = 5, s.hue = 36;
  ScrollRawSlider(s, kRawHue, kScrollLineRight, 0);
  ScrollRawSlider(s, kRawSharpness, kScrollTrack, 8);
  ScrollRawSlider(s, kRawQuality, kScrollTrack, 7);
  ScrollRawSlider(s, kRawFalseColour, kScrollPageRight, 0);
  EXPECT_EQ(Ints({s.hue, s.sharpness, s.quality, s.false_colour}), Ints({36, 8, 3, 3}));
  const struct {
    int control;
    const char* text;
  } texts[] = {{kRawGammaR, "2.3"}, {kRawBlackG, "16.0"}, {kRawBlackR, "2.5"}, {kRawWhiteB, "255"},
               {kRawHue, "+36"},    {kRawQuality, "3"}};
  for (const auto& t : texts) EXPECT_EQ(RawSliderText(s, t.control), t.text) << t.control;
  s.hue = 18;
  EXPECT_EQ(RawSliderText(s, kRawHue), "0");
  s.hue = 0;
  EXPECT_EQ(RawSliderText(s, kRawHue), "-36");
  EXPECT_EQ(Ints({RawSlider(kRawHue).max, RawSlider(kRawGammaR).min}), Ints({36, 10}));
  ScrollRawSlider(s, kRawControlCount, kScrollLineRight, 0);  // unknown control: nothing
  SetRawSliderPosition(s, -1, 5);
  // Cancel restores all but the path.
  const RawDevelopSettings at_open;
  s.path = 1;
  RawDialogCancel(s, at_open);
  EXPECT_EQ(Ints({s.path, s.quality, s.sharpness, s.hue, s.black_g, s.white_b}), Ints({1, 0, 6, 18, 3, 130}));
  EXPECT_EQ(s.gamma[0], 2.2);
}

}  // namespace
}  // namespace tavo
