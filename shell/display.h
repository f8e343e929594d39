// SPDX-License-Identifier: MIT
// shell/display.h - the picture the image window paints: the current slot
// converted to 8-bit RGB at its zoom, in strips, plus the markers drawn on
// top of it. The front end only copies or stretches the strips.
#pragma once
#include <cstdint>
#include <vector>

#include "shell/app_state.h"

namespace tavo {

// One band of buffer rows and the window rectangle it is drawn into. At
// 100 % and below the rectangle has the band's own size (copied 1:1);
// above 100 % it is the band stretched by zoom / 100.
struct DisplayStrip {
  int first_row = 0;  // first buffer row of the band
  int rows = 0;
  int x = 0, y = 0, w = 0, h = 0;  // target in image-window pixels
};

struct DisplayFrame {
  int width = 0, height = 0;  // buffer size in output pixels
  int stride = 0;             // bytes per row, a multiple of 4
  int zoom = 100;
  // Rows top first, three bytes R, G, B per pixel; row padding is 255.
  std::vector<uint8_t> rgb;
  std::vector<DisplayStrip> strips;
};

// Output size in buffer pixels. Below 100 %: zoom * W / 100 by
// zoom * H / 100, at most the client size (screen pixels). From 100 % up:
// min(W, client * 100 / zoom) image pixels on each side.
void DisplayOutputSize(const Image& image, int client_width, int client_height, int* w, int* h);

// Rows per strip for an output width: 2 * (8192 / (w + 4)).
int DisplayStripRows(int width);

// The slot's statistics and histogram, recomputed while the slot asks for
// a refresh and its planes changed since they were last computed.
void RefreshStats(Image& image);

// Clamps the scroll, refreshes the statistics and histogram while the slot
// asks for it, then converts: below 100 % each output pixel is the mean of
// a 2 x 2 block (the last column and row reuse themselves), from 100 % up
// one sample; samples outside the image are white; a monochrome image
// shows R in all three channels; the screen value is sample >> 8.
// False (frame emptied) for an empty image.
bool RenderDisplay(Image& image, int client_width, int client_height, DisplayFrame* frame);

// A cross with arms from -2 to +3 pixels about (x, y), optionally with a
// letter drawn at (x + 5, y - 6) on black, in the marker's colour.
struct Marker {
  int x = 0, y = 0;
  uint8_t r = 0, g = 0, b = 0;
  char label = 0;  // 'A', 'B' or 0
};

// Points A and B of the current image (green, labelled) and, while free
// background points are being collected, those points (red; dark red when
// the point is green-dominated: G above 40960 with B and the mean at most
// 24575).
std::vector<Marker> ImageMarkers(const AppState& app);

}  // namespace tavo
