// SPDX-License-Identifier: MIT
// shell/measure.h - the read-only views of the current image: the point
// report (command 412) and the histogram window (commands 411 and 413),
// whose histogram and profile pictures are made here as drawing commands
// that the front end only paints.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

enum MeasureMode { kMeasureHistogram = 0, kMeasureProfile = 1 };

inline constexpr char kMeasureWindowTitle[] = "Histgram";
constexpr int kMeasureWindowWidth = 310;
constexpr int kMeasureWindowHeight = 244;

enum DrawKind { kDrawLine, kDrawDottedLine, kDrawPolyline, kDrawText };

struct DrawPoint {
  int x = 0, y = 0;
};

// One drawing command in window pixels, y downwards. A line joins its two
// points, both ends drawn; a polyline joins its points in order; a text has
// the top-left corner of its first line at its one point.
struct DrawItem {
  int kind = kDrawLine;
  uint8_t r = 0, g = 0, b = 0;
  std::vector<DrawPoint> points;
  std::string text;
};

// Vertical scale of the histogram: per bin the largest count of the
// channels drawn (R alone for a monochrome image, whose G and B are
// stale), the four largest of these 256 values together with four 1s,
// S = 2 * (their sum) / 7. At least 1.
int HistogramScale(const Image& image);

// The histogram window's picture for the current slot in app.histogram_mode;
// nothing without a current, non-empty slot. The slot's statistics are
// refreshed first (RefreshStats), so a repaint costs no pass over the
// planes unless they changed.
//
// Histogram: black axes, dotted ticks every 16 bins (full height with a
// label every 64), one curve per channel clipped at the top when a count
// exceeds S, the background-level and maximum triangles, and the status
// text of the pixel under the mouse at (8, 198).
// Profile, through point A when it is set and inside the image, else the
// pixel under the mouse: the row's profile left (160 columns, samples >> 9
// upwards from y 150), the column's profile right (160 rows, bottom row at
// y 170), dotted grid and position lines, and the point's readout.
std::vector<DrawItem> MeasureDrawing(AppState& app);

// Point report of one image: for each point set (and inside the image) its
// x, its row from the top and its samples divided by `scale`, with one
// decimal only when scale is 256; with both points also the coordinate
// differences and the truncated distance. Empty when neither is set.
std::string PointReportText(const Image& image, int scale);

void CmdHistogram(AppState& app, UiPort& ui);    // 411
void CmdPointReport(AppState& app, UiPort& ui);  // 412
void CmdProfile(AppState& app, UiPort& ui);      // 413

}  // namespace tavo
