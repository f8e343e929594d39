// SPDX-License-Identifier: MIT
// The histogram window's drawings, the point report and the window commands.
#include "shell/measure.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/slots.h"
#include "shell/commands.h"
#include "shell/image_window.h"
#include "shell/messages.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

bool Has(const std::vector<DrawItem>& items, int kind, const std::vector<std::pair<int, int>>& points) {
  for (const DrawItem& item : items) {
    if (item.kind != kind || item.points.size() != points.size()) continue;
    bool same = true;
    for (size_t i = 0; i < points.size(); ++i) {
      same = same && item.points[i].x == points[i].first && item.points[i].y == points[i].second;
    }
    if (same) return true;
  }
  return false;
}

// The polylines of one colour with `n` points.
std::vector<const DrawItem*> Curves(const std::vector<DrawItem>& items, int r, int g, int b, size_t n) {
  std::vector<const DrawItem*> found;
  for (const DrawItem& item : items) {
    if (item.kind == kDrawPolyline && item.r == r && item.g == g && item.b == b && item.points.size() == n) {
      found.push_back(&item);
    }
  }
  return found;
}

std::string TextAt(const std::vector<DrawItem>& items, int x, int y) {
  for (const DrawItem& item : items) {
    if (item.kind == kDrawText && item.points[0].x == x && item.points[0].y == y) return item.text;
  }
  return "";
}

TEST(Histogram, SamplingGrid) {
  const struct {
    int size, samples;
  } cases[] = {{50, 2500}, {250, 84 * 84}};  // every pixel; columns and rows 0, 3, .. 249
  for (const auto& c : cases) {
    Image img = MakeFlatImage(c.size, c.size, 0);
    ComputeHistogram(img);
    EXPECT_EQ(img.hist_samples, c.samples) << c.size;
  }
}

// Per-bin maxima 7000 (bin 10, R), 70 (bin 20, G), 35 (bin 30, B), 21
// (bin 40, R): S = 2 * 7126 / 7 = 2036. Monochrome counts R alone: 7000,
// 21, 1, 1 -> 2 * 7023 / 7 = 2006. Nothing counted: 2 * 4 / 7 = 1.
TEST(Histogram, ScaleFollowsTheFourLargestBins) {
  Image img = MakeFlatImage(2, 2, 0);
  EXPECT_EQ(HistogramScale(img), 1);
  img.hist_r[10] = 7000;
  img.hist_g[20] = 70;
  img.hist_b[30] = 35;
  img.hist_r[40] = 21;
  EXPECT_EQ(HistogramScale(img), 2036);
  img.monochrome = 1;
  EXPECT_EQ(HistogramScale(img), 2006);
}

// Same bins, S = 2036: bin 10 exceeds S and is clipped to y 19; bin 20:
// 179 - 70 * 160 / 2036 = 174; bin 30: 179 - 5600 / 2036 = 177; empty bins
// 179. Triangles: dark 1000 -> x (1000 >> 8) + 21 = 24, max 65535 -> 276.
TEST(Histogram, DrawingCommands) {
  auto app = NewApp();
  Image& img = PutImage(*app, 0, MakeFlatImage(4, 4, 0));
  img.hist_r[10] = 7000;
  img.hist_g[20] = 70;
  img.hist_b[30] = 35;
  img.hist_r[40] = 21;
  img.dark_r = 1000;
  img.max_r = 65535;
  app->mouse_seen = true;
  std::vector<DrawItem> items = MeasureDrawing(*app);
  EXPECT_TRUE(Has(items, kDrawLine, {{20, 180}, {280, 180}}));
  EXPECT_TRUE(Has(items, kDrawLine, {{20, 20}, {20, 180}}));
  EXPECT_TRUE(Has(items, kDrawDottedLine, {{85, 20}, {85, 180}}));  // v = 64
  EXPECT_EQ(TextAt(items, 76, 182), "64");
  EXPECT_TRUE(Has(items, kDrawDottedLine, {{37, 177}, {37, 180}}));  // v = 16
  EXPECT_FALSE(Has(items, kDrawDottedLine, {{37, 20}, {37, 180}}));
  const auto red = Curves(items, 255, 0, 0, 256), green = Curves(items, 0, 176, 0, 256);
  const auto blue = Curves(items, 0, 0, 255, 256);
  ASSERT_EQ(red.size(), 1u);
  ASSERT_EQ(green.size(), 1u);
  ASSERT_EQ(blue.size(), 1u);
  EXPECT_EQ(red[0]->points[10].y, 19);
  EXPECT_EQ(red[0]->points[10].x, 31);
  EXPECT_EQ(red[0]->points[0].y, 179);
  EXPECT_EQ(green[0]->points[20].y, 174);
  EXPECT_EQ(blue[0]->points[30].y, 177);
  EXPECT_TRUE(Has(items, kDrawPolyline, {{24, 20}, {19, 10}, {29, 10}, {24, 20}}));
  EXPECT_TRUE(Has(items, kDrawPolyline, {{276, 20}, {271, 10}, {281, 10}, {276, 20}}));
  EXPECT_EQ(TextAt(items, 8, 198), StatusText(*app));
  img.monochrome = 1;  // one grey curve with its two triangles
  items = MeasureDrawing(*app);
  EXPECT_EQ(Curves(items, 128, 128, 128, 256).size(), 1u);
  EXPECT_EQ(Curves(items, 128, 128, 128, 4).size(), 2u);
  EXPECT_TRUE(Curves(items, 255, 0, 0, 256).empty());
}

// 320 x 160, R = x * 200, G = stored row * 400. Through (100, row 40):
// position lines at x 100 * 160 / 320 + 10 = 60 and y (159 - 40) + 10 =
// 129. Row profile k = 50: column 100, R 20000 >> 9 = 39 -> (60, 111).
// Column profile k = 100: row 100, G 40000 >> 9 = 78 -> (253, 70). Without
// A, the mouse at (30, 5) is pixel (30, row 154): lines at 25 and 15.
TEST(Profile, DrawingThroughPointAOrTheMouse) {
  auto app = NewApp();
  Image& img = PutImage(*app, 0, MakeFlatImage(320, 160, 0));
  for (int row = 0; row < 160; ++row) {
    for (int x = 0; x < 320; ++x) {
      img.r[row * 320 + x] = static_cast<uint16_t>(x * 200);
      img.g[row * 320 + x] = static_cast<uint16_t>(row * 400);
    }
  }
  app->histogram_mode = kMeasureProfile;
  app->mouse_x = 30;
  app->mouse_y = 5;
  const struct {
    int a_x, a_row, line_x, line_y;
  } cases[] = {{100, 40, 60, 129}, {-1, -1, 25, 15}};
  for (const auto& c : cases) {
    img.point_a_x = c.a_x;
    img.point_a_y = c.a_row;
    const std::vector<DrawItem> items = MeasureDrawing(*app);
    EXPECT_TRUE(Has(items, kDrawDottedLine, {{c.line_x, 22}, {c.line_x, 150}})) << c.a_x;
    EXPECT_TRUE(Has(items, kDrawDottedLine, {{175, c.line_y}, {303, c.line_y}})) << c.a_x;
  }
  img.point_a_x = 100;
  img.point_a_y = 40;
  const std::vector<DrawItem> items = MeasureDrawing(*app);
  EXPECT_TRUE(Has(items, kDrawLine, {{10, 150}, {170, 150}}));
  EXPECT_TRUE(Has(items, kDrawLine, {{175, 170}, {179, 170}}));  // tick k = 160
  EXPECT_TRUE(Has(items, kDrawDottedLine, {{10, 86}, {170, 86}}));  // grid k = 64
  ASSERT_EQ(Curves(items, 255, 0, 0, 160).size(), 2u);
  EXPECT_EQ(Curves(items, 255, 0, 0, 160)[0]->points[50].y, 111);
  EXPECT_EQ(Curves(items, 0, 176, 0, 160)[1]->points[100].x, 253);
  EXPECT_EQ(Curves(items, 0, 176, 0, 160)[1]->points[100].y, 70);
  EXPECT_EQ(TextAt(items, 8, 198), FormatReadout(100, 119, 20000, 16000, 0, 256));
}

TEST(MeasureWindow, BlankWithoutAnImageAndSafeOnOnePixel) {
  auto app = NewApp();
  EXPECT_TRUE(MeasureDrawing(*app).empty());
  PutImage(*app, 0, MakeFlatImage(1, 1, 65535));
  for (int mode : {kMeasureHistogram, kMeasureProfile}) {
    app->histogram_mode = mode;
    EXPECT_FALSE(MeasureDrawing(*app).empty()) << mode;
  }
}

TEST(MeasureWindow, OpeningAgainOnlyChangesTheMode) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 413);
  EXPECT_TRUE(app->histogram_open);
  EXPECT_EQ(app->histogram_mode, kMeasureProfile);
  RunCommand(*app, ui, 411);
  EXPECT_EQ(app->histogram_mode, kMeasureHistogram);
  EXPECT_EQ(ui.repaints, 2);
}

std::string Format(const char* format, int a, int b, int c, int d = 0, int e = 0, int f = 0, int g = 0, int h = 0) {
  char text[256];
  std::snprintf(text, sizeof text, format, a, b, c, d, e, f, g, h);
  return text;
}

// 20 x 30 image; A at (10, 20 from the top) = stored row 9 holds R 32896
// (128.5), G 65535 (255.9), B 255 (0.9); B at (13, 24 from the top) = row 5
// holds 256 (1.0), 512 (2.0), 1000 (3, 232 * 10 / 256 = 9). Differences
// (3, 4), distance 5. At D = 128: 32896 / 128 = 257, 511, 1, no decimals.
TEST(PointReport, TextsForEachPointSet) {
  Image img = MakeFlatImage(20, 30, 0);
  img.r[9 * 20 + 10] = 32896;
  img.g[9 * 20 + 10] = 65535;
  img.b[9 * 20 + 10] = 255;
  img.r[5 * 20 + 13] = 256;
  img.g[5 * 20 + 13] = 512;
  img.b[5 * 20 + 13] = 1000;
  const std::string a256 = Format(kPointReportA256, 10, 20, 128, 5, 255, 9, 0, 9);
  const std::string b256 = Format(kPointReportB256, 13, 24, 1, 0, 2, 0, 3, 9);
  const struct {
    bool a, b;
    int scale;
    std::string text;
  } cases[] = {
      {false, false, 256, ""},
      {true, false, 256, a256},
      {true, false, 128, Format(kPointReportA, 10, 20, 257, 511, 1)},
      {false, true, 256, b256},
      {true, true, 256, a256 + "\n\n" + b256 + Format(kPointReportDistance, 3, 4, 5)},
  };
  for (const auto& c : cases) {
    img.point_a_x = c.a ? 10 : -1;
    img.point_a_y = c.a ? 9 : -1;
    img.point_b_x = c.b ? 13 : -1;
    img.point_b_y = c.b ? 5 : -1;
    EXPECT_EQ(PointReportText(img, c.scale), c.text) << c.a << c.b << c.scale;
  }
}

TEST(PointReport, CommandShowsTheReportOrAsksForPoints) {
  auto app = NewApp();
  FakeUi ui;
  RunCommand(*app, ui, 412);  // no image: nothing
  Image& img = PutImage(*app, 0, MakeFlatImage(3, 3, 0));
  RunCommand(*app, ui, 412);
  img.point_b_x = img.point_b_y = 1;
  RunCommand(*app, ui, 412);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui.boxes[0].text, kMsgPointReportNoPoints);
  EXPECT_EQ(ui.boxes[1].kind, kBoxReport);
}

}  // namespace
}  // namespace tavo
