// SPDX-License-Identifier: MIT
#include "shell/display.h"

#include <algorithm>

#include "shell/view.h"

namespace tavo {
namespace {

constexpr uint16_t kWhite = 65535;

// Source column of every output column (or -1 outside the image), and the
// column to its right for the 2 x 2 mean.
struct ColumnMap {
  std::vector<int> x, x_next;
};

ColumnMap MapColumns(const Image& image, int out_width, int zoom) {
  ColumnMap map;
  map.x.resize(static_cast<size_t>(out_width));
  map.x_next.resize(static_cast<size_t>(out_width));
  for (int i = 0; i < out_width; ++i) {
    const int x = zoom < 100 ? i * 100 / zoom + image.scroll_x : image.scroll_x + i;
    const bool inside = x >= 0 && x < image.width;
    map.x[static_cast<size_t>(i)] = inside ? x : -1;
    map.x_next[static_cast<size_t>(i)] = inside && x + 1 < image.width ? x + 1 : x;
  }
  return map;
}

void ConvertRow(const Image& image, const ColumnMap& columns, int zoom, int j, uint8_t* out) {
  const int top = image.height - 1 - image.scroll_y;
  const int r = zoom < 100 ? top - j * 100 / zoom : top - j;
  const bool row_inside = r >= 0 && r < image.height;
  const int r_next = row_inside && r + 1 < image.height ? r + 1 : r;
  const uint16_t* planes[3] = {image.r.get(), image.g.get(), image.b.get()};
  if (image.monochrome == 1) planes[1] = planes[2] = planes[0];
  const size_t w = static_cast<size_t>(image.width);
  const size_t n = columns.x.size();
  for (size_t i = 0; i < n; ++i) {
    const int x = columns.x[i];
    uint8_t* px = out + i * 3;
    if (!row_inside || x < 0) {
      px[0] = px[1] = px[2] = static_cast<uint8_t>(kWhite >> 8);
      continue;
    }
    const size_t a = static_cast<size_t>(r) * w + static_cast<size_t>(x);
    if (zoom >= 100) {
      for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(planes[c][a] >> 8);
      continue;
    }
    const size_t b = static_cast<size_t>(r) * w + static_cast<size_t>(columns.x_next[i]);
    const size_t a_up = static_cast<size_t>(r_next) * w + static_cast<size_t>(x);
    const size_t b_up = static_cast<size_t>(r_next) * w + static_cast<size_t>(columns.x_next[i]);
    for (int c = 0; c < 3; ++c) {
      const uint16_t* p = planes[c];
      const unsigned sum = static_cast<unsigned>(p[a]) + p[b] + p[a_up] + p[b_up];
      px[c] = static_cast<uint8_t>((sum >> 2) >> 8);
    }
  }
}

}  // namespace

void DisplayOutputSize(const Image& image, int client_width, int client_height, int* w, int* h) {
  const int z = image.zoom > 0 ? image.zoom : 100;
  if (z < 100) {
    *w = std::min(z * image.width / 100, client_width);
    *h = std::min(z * image.height / 100, client_height);
  } else {
    *w = std::min(image.width, client_width * 100 / z);
    *h = std::min(image.height, client_height * 100 / z);
  }
  *w = std::max(*w, 0);
  *h = std::max(*h, 0);
}

void RefreshStats(Image& image) {
  if (image.stats_refresh == 1 && image.stats_stale) {
    ComputeDisplayStats(image);
    ComputeHistogram(image);
    image.stats_stale = false;
  }
}

int DisplayStripRows(int width) { return 2 * (8192 / (std::max(width, 0) + 4)); }

bool RenderDisplay(Image& image, int client_width, int client_height, DisplayFrame* frame) {
  *frame = DisplayFrame();
  if (image.Empty() || !image.r || !image.g || !image.b) return false;
  if (image.zoom <= 0) image.zoom = 100;
  ClampScroll(image, client_width, client_height);
  RefreshStats(image);
  const int z = image.zoom;
  int w = 0, h = 0;
  DisplayOutputSize(image, client_width, client_height, &w, &h);
  frame->width = w;
  frame->height = h;
  frame->zoom = z;
  frame->stride = (w * 3 + 3) / 4 * 4;
  frame->rgb.assign(static_cast<size_t>(frame->stride) * static_cast<size_t>(h), 255);
  if (w == 0 || h == 0) return true;

  const ColumnMap columns = MapColumns(image, w, z);
  for (int j = 0; j < h; ++j) {
    ConvertRow(image, columns, z, j, frame->rgb.data() + static_cast<size_t>(j) * frame->stride);
  }

  const int s = DisplayStripRows(w);
  for (int first = 0, k = 0; first < h; first += s, ++k) {
    DisplayStrip strip;
    strip.first_row = first;
    strip.rows = std::min(s, h - first);
    if (z <= 100) {
      strip.y = s * k;
      strip.w = w;
      strip.h = strip.rows;
    } else {
      strip.y = s * k * z / 100;
      strip.w = w * z / 100;
      strip.h = strip.rows * z / 100;
    }
    frame->strips.push_back(strip);
  }
  return true;
}

std::vector<Marker> ImageMarkers(const AppState& app) {
  std::vector<Marker> markers;
  const int c = app.slots.current;
  if (c < 0 || c >= kSlotCount || app.slots[c].Empty()) return markers;
  const Image& image = app.slots[c];
  auto add = [&](int x, int row, uint8_t r, uint8_t g, uint8_t b, char label) {
    Marker m;
    ImageToScreen(image, x, row, &m.x, &m.y);
    m.r = r;
    m.g = g;
    m.b = b;
    m.label = label;
    markers.push_back(m);
  };
  if (image.point_a_x >= 0 && image.point_a_y >= 0) add(image.point_a_x, image.point_a_y, 32, 255, 32, 'A');
  if (image.point_b_x >= 0 && image.point_b_y >= 0) add(image.point_b_x, image.point_b_y, 32, 255, 32, 'B');
  if (app.capture.mode >= 100) {
    for (const CapturePoint& p : app.capture.points) {
      const bool greenish = p.g > 40960 && p.b <= 24575 && p.mean <= 24575;
      if (greenish) {
        add(p.x, p.row, 64, 0, 0, 0);
      } else {
        add(p.x, p.row, 255, 32, 32, 0);
      }
    }
  }
  return markers;
}

}  // namespace tavo
