// SPDX-License-Identifier: MIT
#include "shell/measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "shell/display.h"
#include "shell/image_window.h"
#include "shell/messages.h"
#include "shell/view.h"

namespace tavo {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kGrey = {128, 128, 128};
// A pure green is hard to see on the white window.
constexpr Rgb kChannelColours[3] = {{255, 0, 0}, {0, 176, 0}, {0, 0, 255}};

void Add(std::vector<DrawItem>& out, int kind, Rgb c, std::vector<DrawPoint> points, std::string text = "") {
  DrawItem item;
  item.kind = kind;
  item.r = c.r;
  item.g = c.g;
  item.b = c.b;
  item.points = std::move(points);
  item.text = std::move(text);
  out.push_back(std::move(item));
}

void Line(std::vector<DrawItem>& out, int x1, int y1, int x2, int y2, Rgb c = kBlack) {
  Add(out, kDrawLine, c, {{x1, y1}, {x2, y2}});
}

void Dotted(std::vector<DrawItem>& out, int x1, int y1, int x2, int y2) {
  Add(out, kDrawDottedLine, kBlack, {{x1, y1}, {x2, y2}});
}

void Text(std::vector<DrawItem>& out, int x, int y, const std::string& text) {
  if (!text.empty()) Add(out, kDrawText, kBlack, {{x, y}}, text);
}

// Channels drawn: R, G and B, or R alone in grey for a monochrome image.
int ChannelCount(const Image& image) { return image.monochrome == 1 ? 1 : 3; }

Rgb ChannelColour(const Image& image, int c) { return image.monochrome == 1 ? kGrey : kChannelColours[c]; }

const uint32_t* Histogram(const Image& image, int c) {
  return c == 0 ? image.hist_r : c == 1 ? image.hist_g : image.hist_b;
}

int Sample(const Image& image, int c, int x, int row) {
  const uint16_t* plane = image.monochrome == 1 ? image.r.get() : image.Channel(c);
  return plane[static_cast<size_t>(row) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
}

bool PointInside(const Image& image, int x, int row) {
  return x >= 0 && row >= 0 && x < image.width && row < image.height;
}

void HistogramDrawing(const AppState& app, const Image& image, std::vector<DrawItem>& out) {
  Line(out, 20, 180, 280, 180);
  Line(out, 20, 20, 20, 180);
  for (int v = 16; v <= 256; v += 16) {
    const int x = v + 21;
    if (v % 64 == 0) {
      Dotted(out, x, 20, x, 180);
      Text(out, v + 12, 182, std::to_string(v));
    } else {
      Dotted(out, x, 177, x, 180);
    }
  }
  const int64_t scale = HistogramScale(image);
  const int darks[3] = {image.dark_r, image.dark_g, image.dark_b};
  const int maxes[3] = {image.max_r, image.max_g, image.max_b};
  for (int c = 0; c < ChannelCount(image); ++c) {
    const uint32_t* counts = Histogram(image, c);
    std::vector<DrawPoint> curve(256);
    for (int i = 0; i < 256; ++i) {
      const int64_t n = counts[i];
      curve[static_cast<size_t>(i)] = {i + 21, n > scale ? 19 : static_cast<int>(179 - n * 160 / scale)};
    }
    const Rgb colour = ChannelColour(image, c);
    Add(out, kDrawPolyline, colour, std::move(curve));
    for (const int level : {darks[c], maxes[c]}) {
      const int x = (std::clamp(level, 0, 65535) >> 8) + 21;
      Add(out, kDrawPolyline, colour, {{x, 20}, {x - 5, 10}, {x + 5, 10}, {x, 20}});
    }
  }
  Text(out, 8, 198, StatusText(app));
}

void ProfileDrawing(const AppState& app, const Image& image, std::vector<DrawItem>& out) {
  const int w = image.width, h = image.height;
  int x = 0, row = 0;
  if (PointInside(image, image.point_a_x, image.point_a_y)) {
    x = image.point_a_x;
    row = image.point_a_y;
  } else {
    ScreenToImage(image, app.mouse_x, app.mouse_y, &x, &row);
  }
  Line(out, 10, 150, 170, 150);
  Line(out, 175, 10, 175, 170);
  for (int k = 0; k <= 160; k += 20) {
    Line(out, 10 + k, 150, 10 + k, 146);
    Line(out, 175, 10 + k, 179, 10 + k);
  }
  for (int k = 32; k <= 128; k += 32) {
    Dotted(out, 10, 150 - k, 170, 150 - k);
    Dotted(out, 175 + k, 10, 175 + k, 170);
  }
  const int px = static_cast<int>(int64_t{x} * 160 / w) + 10;
  const int py = static_cast<int>(int64_t{h - 1 - row} * 160 / h) + 10;
  Dotted(out, px, 22, px, 150);
  Dotted(out, 175, py, 303, py);
  for (int c = 0; c < ChannelCount(image); ++c) {
    std::vector<DrawPoint> across(160), down(160);
    for (int k = 0; k < 160; ++k) {
      const int column = static_cast<int>(int64_t{w} * k / 160);
      const int stored_row = static_cast<int>(int64_t{h} * k / 160);
      across[static_cast<size_t>(k)] = {10 + k, 150 - (Sample(image, c, column, row) >> 9)};
      down[static_cast<size_t>(k)] = {175 + (Sample(image, c, x, stored_row) >> 9), 170 - k};
    }
    Add(out, kDrawPolyline, ChannelColour(image, c), std::move(across));
    Add(out, kDrawPolyline, ChannelColour(image, c), std::move(down));
  }
  if (app.batch_mode == 0) {
    Text(out, 8, 198,
         FormatReadout(x, h - 1 - row, Sample(image, 0, x, row), Sample(image, 1, x, row), Sample(image, 2, x, row),
                       app.settings.display.scale));
  }
}

// "Point A ( x , y )\n    R:.. G:.. B:.." for one point.
std::string PointLines(const Image& image, bool is_a, int x, int row, int scale) {
  const int top_row = image.height - 1 - row;
  const int r = Sample(image, 0, x, row), g = Sample(image, 1, x, row), b = Sample(image, 2, x, row);
  char text[160];
  if (scale == 256) {
    auto tenth = [](int v) { return (v % 256) * 10 / 256; };
    std::snprintf(text, sizeof text, is_a ? kPointReportA256 : kPointReportB256, x, top_row, r / 256, tenth(r),
                  g / 256, tenth(g), b / 256, tenth(b));
  } else {
    const int d = scale > 0 ? scale : 1;
    std::snprintf(text, sizeof text, is_a ? kPointReportA : kPointReportB, x, top_row, r / d, g / d, b / d);
  }
  return text;
}

// floor(sqrt(n)) without trusting the rounding of the double root.
int64_t IntegerRoot(int64_t n) {
  int64_t root = static_cast<int64_t>(std::sqrt(static_cast<double>(n)));
  while (root * root > n) --root;
  while ((root + 1) * (root + 1) <= n) ++root;
  return root;
}

void OpenMeasureWindow(AppState& app, UiPort& ui, int mode) {
  app.histogram_open = true;
  app.histogram_mode = mode;
  ui.Repaint();
}

}  // namespace

int HistogramScale(const Image& image) {
  int64_t top[4] = {1, 1, 1, 1};  // descending
  for (int i = 0; i < 256; ++i) {
    int64_t v = 0;
    for (int c = 0; c < ChannelCount(image); ++c) v = std::max<int64_t>(v, Histogram(image, c)[i]);
    for (int k = 0; k < 4; ++k) {
      if (v >= top[k]) std::swap(v, top[k]);
    }
  }
  return static_cast<int>(2 * (top[0] + top[1] + top[2] + top[3]) / 7);
}

std::vector<DrawItem> MeasureDrawing(AppState& app) {
  std::vector<DrawItem> out;
  Image* image = CurrentImage(app);
  if (image == nullptr || !image->r || !image->g || !image->b) return out;
  RefreshStats(*image);
  if (app.histogram_mode == kMeasureProfile) {
    ProfileDrawing(app, *image, out);
  } else {
    HistogramDrawing(app, *image, out);
  }
  return out;
}

std::string PointReportText(const Image& image, int scale) {
  if (image.Empty() || !image.r || !image.g || !image.b) return "";
  const bool a = PointInside(image, image.point_a_x, image.point_a_y);
  const bool b = PointInside(image, image.point_b_x, image.point_b_y);
  std::string text;
  if (a) text = PointLines(image, true, image.point_a_x, image.point_a_y, scale);
  if (a && b) text += "\n\n";
  if (b) text += PointLines(image, false, image.point_b_x, image.point_b_y, scale);
  if (a && b) {
    const int64_t dx = std::abs(image.point_a_x - image.point_b_x);
    const int64_t dy = std::abs(image.point_a_y - image.point_b_y);
    char tail[128];
    std::snprintf(tail, sizeof tail, kPointReportDistance, static_cast<int>(dx), static_cast<int>(dy),
                  static_cast<int>(IntegerRoot(dx * dx + dy * dy)));
    text += tail;
  }
  return text;
}

void CmdHistogram(AppState& app, UiPort& ui) { OpenMeasureWindow(app, ui, kMeasureHistogram); }

void CmdProfile(AppState& app, UiPort& ui) { OpenMeasureWindow(app, ui, kMeasureProfile); }

void CmdPointReport(AppState& app, UiPort& ui) {
  const Image* image = CurrentImage(app);
  if (image == nullptr) return;
  const std::string text = PointReportText(*image, app.settings.display.scale);
  if (text.empty()) {
    ui.ShowMessage(kBoxMessage, kMsgPointReportNoPoints);
  } else {
    ui.ShowMessage(kBoxReport, text);
  }
}

}  // namespace tavo
