// SPDX-License-Identifier: MIT
// Page placement, the 128-row bands and the print command's outcomes.
#include "shell/print.h"

#include <gtest/gtest.h>

#include <tuple>

#include "shell/commands.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

// 200 x 100 on 1000 x 1500: a = 5, b = 15, scale 5, y0 = (1500 - 500) / 2.
// 100 x 400: a = 10, b = 3.75, scale 3.75, x0 = trunc((1000 - 375) / 2).
//
// 300 rows at scale 0.5, corner (3, 7): rows 0..127 go to 7 + trunc(172 *
// 0.5) = 93 and 128..255 to 7 + 22 = 29, each trunc(64 + 1) = 65 high; the
// last band, rows 256..299, is bitmap rows 84..127 drawn at y0, 22 high.
// Exactly 128 rows at scale 2: one band, the last, at y0, 256 high.
TEST(PrintPage, PlacementAndBandsFromTheBottomUp) {
  for (const auto& [w, h, scale, x0, y0] : {std::tuple{200, 100, 5.0, 0, 500}, {100, 400, 3.75, 312, 0}}) {
    const PrintPlacement p = PlacePrint(w, h, 1000, 1500);
    EXPECT_EQ(std::tuple(p.scale, p.x0, p.y0), std::tuple(scale, x0, y0)) << w;
  }
  EXPECT_TRUE(PrintBands(0, 100, PlacePrint(0, 100, 1000, 1500)).empty());
  const std::vector<PrintBand> bands = PrintBands(10, 300, {0.5, 3, 7});
  const std::vector<PrintBand> one = PrintBands(10, 128, {2, 0, 10});
  const PrintBand want[4] = {{0, 0, 128, 3, 93, 5, 65}, {128, 0, 128, 3, 29, 5, 65}, {256, 84, 44, 3, 7, 5, 22},
                             {0, 0, 128, 0, 10, 20, 256}};
  ASSERT_EQ(bands.size(), 3u);
  ASSERT_EQ(one.size(), 1u);
  for (int k = 0; k < 4; ++k) {
    const PrintBand& b = k < 3 ? bands[static_cast<size_t>(k)] : one[0];
    const PrintBand& e = want[k];
    EXPECT_EQ(std::tuple(b.first_row, b.source_y, b.source_rows, b.x, b.y, b.w, b.h),
              std::tuple(e.first_row, e.source_y, e.source_rows, e.x, e.y, e.w, e.h))
        << "band " << k;
  }
}

// 2 x 1, R = 0x1234, G = 0x5678: a monochrome band shows R in all three.
TEST(PrintPage, MonochromeBandIsGrey) {
  Image img = MakeFlatImage(2, 1, 0x5678);
  img.r[1] = 0x1234;
  img.monochrome = 1;
  std::vector<uint8_t> bitmap(6 * 128);
  FillPrintBand(img, 0, bitmap.data(), 6);
  EXPECT_EQ(std::vector<int>(bitmap.end() - 3, bitmap.end()), (std::vector<int>{0x12, 0x12, 0x12}));
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
    PutImage(*app, 0, MakeFlatImage(2, 2, 7));
    app->last_dialog_path = "/a/b.ppm";
    ui.print_result = c.result;
    RunCommand(*app, ui, 111);
    EXPECT_EQ(ui.printed, std::vector<std::string>{FormatText(kPrintDocumentName, "/a/b.ppm")});
    ASSERT_EQ(ui.boxes.size(), c.kind < 0 ? 0u : 1u);
    if (c.kind >= 0) {
      EXPECT_EQ(std::tuple(ui.boxes[0].kind, ui.boxes[0].text), std::tuple(c.kind, c.text));
    }
  }
}

}  // namespace
}  // namespace tavo
