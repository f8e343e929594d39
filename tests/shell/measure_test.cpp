// SPDX-License-Identifier: MIT
// The histogram window's drawings, the point report and the window commands.
#include "shell/measure.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "core/slots.h"
#include "shell/commands.h"
#include "shell/image_window.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

// The n-th item of `kind` and colour, or null.
const DrawItem* Nth(const std::vector<DrawItem>& items, int kind, int r, int g, int b, int n = 0) {
  for (const DrawItem& item : items) {
    if (item.kind == kind && item.r == r && item.g == g && item.b == b && n-- == 0) return &item;
  }
  return nullptr;
}

// A black (dotted) line from (x1, y1) to (x2, y2), or the text at (x1, y1).
bool Has(const std::vector<DrawItem>& items, int kind, int x1, int y1, int x2 = 0, int y2 = 0) {
  for (const DrawItem& i : items) {
    const bool start = i.kind == kind && i.points[0].x == x1 && i.points[0].y == y1;
    if (start && (kind == kDrawText || (i.points[1].x == x2 && i.points[1].y == y2))) return true;
  }
  return false;
}

// Per-bin maxima 7000 (bin 10, R), 70 (bin 20, G), 35 (bin 30, B), 21 (bin
// 40, R): S = 2 * 7126 / 7 = 2036. Bin 10 exceeds S: clipped to y 19; bin
// 20: 179 - 70 * 160 / 2036 = 174; bin 30: 179 - 5600 / 2036 = 177.
// Monochrome counts R alone: 7000, 21, 1, 1 -> 2006; nothing counted: 1.
// Triangles: dark 1000 -> x (1000 >> 8) + 21 = 24; max 65535 -> 276.
TEST(Histogram, ScaleAndDrawingCommands) {
  auto app = NewApp();
  Image& img = PutImage(*app, 0, MakeFlatImage(4, 4, 0));
  EXPECT_EQ(HistogramScale(img), 1);
  img.hist_r[10] = 7000, img.hist_g[20] = 70, img.hist_b[30] = 35, img.hist_r[40] = 21;
  img.dark_r = 1000, img.max_r = 65535;
  EXPECT_EQ(HistogramScale(img), 2036);
  app->mouse_seen = true;
  std::vector<DrawItem> items = MeasureDrawing(*app);
  EXPECT_TRUE(Has(items, kDrawLine, 20, 180, 280, 180));
  EXPECT_TRUE(Has(items, kDrawDottedLine, 85, 20, 85, 180));  // v = 64, labelled
  EXPECT_TRUE(Has(items, kDrawText, 76, 182));
  EXPECT_TRUE(Has(items, kDrawDottedLine, 37, 177, 37, 180));  // v = 16: a short tick
  EXPECT_EQ(Nth(items, kDrawPolyline, 255, 0, 0)->points[10].y, 19);
  EXPECT_EQ(Nth(items, kDrawPolyline, 0, 176, 0)->points[20].y, 174);
  EXPECT_EQ(Nth(items, kDrawPolyline, 0, 0, 255)->points[30].y, 177);
  EXPECT_EQ(Nth(items, kDrawPolyline, 255, 0, 0, 1)->points[1].x, 19);  // (24, 20) (19, 10) (29, 10) (24, 20)
  EXPECT_EQ(Nth(items, kDrawPolyline, 255, 0, 0, 2)->points[2].x, 281);
  EXPECT_EQ(Nth(items, kDrawText, 0, 0, 0, 4)->text, StatusText(*app));  // after 64 .. 256
  img.monochrome = 1;  // one grey curve with its two triangles
  EXPECT_EQ(HistogramScale(img), 2006);
  items = MeasureDrawing(*app);
  EXPECT_NE(Nth(items, kDrawPolyline, 128, 128, 128, 2), nullptr);
  EXPECT_EQ(Nth(items, kDrawPolyline, 128, 128, 128, 3), nullptr);
  EXPECT_EQ(Nth(items, kDrawPolyline, 255, 0, 0), nullptr);
}

// 320 x 160, R = x * 200, G = stored row * 400. Through (100, row 40):
// position lines at x 100 * 160 / 320 + 10 = 60 and y 159 - 40 + 10 = 129.
// Row profile k = 50: column 100, R 20000 >> 9 = 39 -> y 111. Column
// profile k = 100: row 100, G 40000 >> 9 = 78 -> (253, 70). Without A the
// mouse at (30, 5) is pixel (30, row 154): lines at 25 and 15.
TEST(Profile, DrawingThroughPointAOrTheMouse) {
  auto app = NewApp();
  Image& img = PutImage(*app, 0, MakeFlatImage(320, 160, 0));
  for (int i = 0; i < 320 * 160; ++i) {
    img.r[i] = static_cast<uint16_t>(i % 320 * 200);
    img.g[i] = static_cast<uint16_t>(i / 320 * 400);
  }
  app->histogram_mode = kMeasureProfile;
  app->mouse_x = 30, app->mouse_y = 5;
  for (const auto& [a_x, a_row, line_x, line_y] : {std::array{-1, -1, 25, 15}, {100, 40, 60, 129}}) {
    img.point_a_x = a_x, img.point_a_y = a_row;
    const std::vector<DrawItem> items = MeasureDrawing(*app);
    EXPECT_TRUE(Has(items, kDrawDottedLine, line_x, 22, line_x, 150)) << a_x;
    EXPECT_TRUE(Has(items, kDrawDottedLine, 175, line_y, 303, line_y)) << a_x;
  }
  const std::vector<DrawItem> items = MeasureDrawing(*app);
  EXPECT_TRUE(Has(items, kDrawLine, 175, 170, 179, 170));         // tick k = 160
  EXPECT_TRUE(Has(items, kDrawDottedLine, 10, 86, 170, 86));      // grid k = 64
  EXPECT_EQ(Nth(items, kDrawPolyline, 255, 0, 0)->points[50].y, 111);
  EXPECT_EQ(Nth(items, kDrawPolyline, 0, 176, 0, 1)->points[100].x, 253);
  EXPECT_EQ(Nth(items, kDrawPolyline, 0, 176, 0, 1)->points[100].y, 70);
  EXPECT_EQ(Nth(items, kDrawText, 0, 0, 0)->text, FormatReadout(100, 119, 20000, 16000, 0, 256));
}

TEST(MeasureWindow, BlankWithoutAnImageModesAndOnePixel) {
  auto app = NewApp();
  FakeUi ui;
  EXPECT_TRUE(MeasureDrawing(*app).empty());
  RunCommand(*app, ui, 413);
  EXPECT_TRUE(app->histogram_open);
  EXPECT_EQ(app->histogram_mode, kMeasureProfile);
  RunCommand(*app, ui, 411);  // open already: only the mode changes
  EXPECT_EQ(app->histogram_mode, kMeasureHistogram);
  PutImage(*app, 0, MakeFlatImage(1, 1, 65535));
  for (int mode : {kMeasureHistogram, kMeasureProfile}) {
    app->histogram_mode = mode;
    EXPECT_FALSE(MeasureDrawing(*app).empty()) << mode;
  }
}

template <typename... Ints>
std::string Format(const char* format, Ints... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// 20 x 30; A at (10, 20 from the top) = stored row 9 holds R 32896 (128.5),
// G 65535 (255.9), B 255 (0.9); B at (13, 24 from the top) = row 5 holds
// 256 (1.0), 512 (2.0), 1000 (3, 232 * 10 / 256 = 9). Differences (3, 4),
// distance 5. At D = 128: 32896 / 128 = 257, 511, 1, no decimals.
TEST(PointReport, TextsForEachPointSet) {
  auto app = NewApp();
  FakeUi ui;
  Image& img = PutImage(*app, 0, MakeFlatImage(20, 30, 0));
  const int at_a = 9 * 20 + 10, at_b = 5 * 20 + 13;
  img.r[at_a] = 32896, img.g[at_a] = 65535, img.b[at_a] = 255;
  img.r[at_b] = 256, img.g[at_b] = 512, img.b[at_b] = 1000;
  const std::string a256 = Format(kPointReportA256, 10, 20, 128, 5, 255, 9, 0, 9);
  const std::string b256 = Format(kPointReportB256, 13, 24, 1, 0, 2, 0, 3, 9);
  const struct {
    bool a, b;
    int scale;
    std::string text;
  } cases[] = {{true, false, 256, a256},
               {true, false, 128, Format(kPointReportA, 10, 20, 257, 511, 1)},
               {false, true, 256, b256},
               {true, true, 256, a256 + "\n\n" + b256 + Format(kPointReportDistance, 3, 4, 5)},
               {false, false, 256, kMsgPointReportNoPoints}};
  for (const auto& c : cases) {
    img.point_a_x = c.a ? 10 : -1, img.point_a_y = c.a ? 9 : -1;
    img.point_b_x = c.b ? 13 : -1, img.point_b_y = c.b ? 5 : -1;
    app->settings.display.scale = c.scale;
    ui.boxes.clear();
    RunCommand(*app, ui, 412);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.text) << c.a << c.b << c.scale;
    EXPECT_EQ(ui.boxes[0].kind, c.a || c.b ? kBoxReport : kBoxMessage);
  }
}

}  // namespace
}  // namespace tavo
