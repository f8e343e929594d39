// SPDX-License-Identifier: MIT
// Page placement, the 128-row bands and the print command's outcomes.
#include "shell/print.h"

#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

// 200 x 100 on 1000 x 1500: a = 5, b = 15, scale 5, y0 = (1500 - 500) / 2.
// 100 x 400: a = 10, b = 3.75, scale 3.75, x0 = trunc((1000 - 375) / 2).
TEST(PrintPage, WideCentredVerticallyTallHorizontally) {
  const struct {
    int w, h;
    double scale;
    int x0, y0;
  } cases[] = {{200, 100, 5, 0, 500}, {100, 400, 3.75, 312, 0}, {0, 100, 0, 0, 0}};
  for (const auto& c : cases) {
    const PrintPlacement p = PlacePrint(c.w, c.h, 1000, 1500);
    EXPECT_DOUBLE_EQ(p.scale, c.scale) << c.w;
    EXPECT_EQ(p.x0, c.x0) << c.w;
    EXPECT_EQ(p.y0, c.y0) << c.w;
  }
}

// 300 rows at scale 0.5, corner (3, 7): rows 0..127 go to 7 + trunc(172 *
// 0.5) = 93 and 128..255 to 7 + 22 = 29, each trunc(64 + 1) = 65 high; the
// last band, rows 256..299, is bitmap rows 84..127 drawn at y0, 22 high.
// Exactly 128 rows: one band, the last, at y0.
TEST(PrintPage, BandsFromTheBottomUp) {
  const std::vector<PrintBand> bands = PrintBands(10, 300, {0.5, 3, 7});
  ASSERT_EQ(bands.size(), 3u);
  const int want[3][6] = {{0, 128, 3, 93, 5, 65}, {0, 128, 3, 29, 5, 65}, {84, 44, 3, 7, 5, 22}};
  for (int k = 0; k < 3; ++k) {
    const PrintBand& b = bands[static_cast<size_t>(k)];
    EXPECT_EQ(b.first_row, 128 * k);
    const int got[6] = {b.source_y, b.source_rows, b.x, b.y, b.w, b.h};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], want[k][i]) << "band " << k << " field " << i;
  }
  const std::vector<PrintBand> one = PrintBands(10, 128, {2, 0, 10});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].source_y, 0);
  EXPECT_EQ(one[0].y, 10);
  EXPECT_EQ(one[0].h, 256);
}

// 2 x 130 with R = stored row * 256, G = x * 12800, B = 1792: a bitmap pixel
// reads (stored row, 50 x, 7); bitmap row j holds stored row first + 127 - j.
TEST(PrintPage, BandBitmapIsUpsideDownAndGreyWhenMonochrome) {
  Image img = MakeFlatImage(2, 130, 1792);
  for (int row = 0; row < 130; ++row) {
    for (int x = 0; x < 2; ++x) {
      img.r[row * 2 + x] = static_cast<uint16_t>(row * 256);
      img.g[row * 2 + x] = static_cast<uint16_t>(x * 12800);
    }
  }
  std::vector<uint8_t> bitmap(6 * 128, 0xEE);
  auto pixel = [&](int x, int j) {
    const uint8_t* p = &bitmap[static_cast<size_t>(j) * 6 + static_cast<size_t>(x) * 3];
    return std::vector<int>{p[0], p[1], p[2]};
  };
  FillPrintBand(img, 0, bitmap.data(), 6);
  EXPECT_EQ(pixel(1, 0), (std::vector<int>{127, 50, 7}));
  EXPECT_EQ(pixel(0, 127), (std::vector<int>{0, 0, 7}));
  FillPrintBand(img, 128, bitmap.data(), 6);
  EXPECT_EQ(pixel(1, 126), (std::vector<int>{129, 50, 7}));
  EXPECT_EQ(pixel(1, 125), (std::vector<int>{2, 50, 7}));  // past the top: still stored row 2
  img.monochrome = 1;
  FillPrintBand(img, 0, bitmap.data(), 6);
  EXPECT_EQ(pixel(1, 0), (std::vector<int>{127, 127, 127}));
}

TEST(PrintCommand, EachFailureNamesItsCause) {
  const struct {
    int result, kind;
    std::string text;
  } cases[] = {{kPrintDone, -1, ""},
               {kPrintCancelled, kBoxMessage, kMsgPrintCancelled},
               {kPrintNoPrinter, kBoxError, kMsgPrintNoPrinter},
               {kPrintFailed, kBoxError, FormatText(kMsgPrintFailed, "printer")}};
  for (const auto& c : cases) {
    auto app = NewApp();
    FakeUi ui;
    RunCommand(*app, ui, 111);  // no image: nothing to print
    EXPECT_TRUE(ui.printed.empty());
    PutImage(*app, 0, MakeFlatImage(2, 2, 7));
    app->last_dialog_path = "/a/b.ppm";
    ui.print_result = c.result;
    RunCommand(*app, ui, 111);
    ASSERT_EQ(ui.printed.size(), 1u);
    EXPECT_EQ(ui.printed[0], FormatText(kPrintDocumentName, "/a/b.ppm"));
    ASSERT_EQ(ui.boxes.size(), c.kind < 0 ? 0u : 1u);
    if (c.kind >= 0) {
      EXPECT_EQ(ui.boxes[0].kind, c.kind);
      EXPECT_EQ(ui.boxes[0].text, c.text);
    }
  }
}

}  // namespace
}  // namespace tavo
