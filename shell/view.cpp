// SPDX-License-Identifier: MIT
#include "shell/view.h"

#include <algorithm>

namespace tavo {

const int kZoomSteps[kZoomStepCount] = {8, 12, 16, 25, 33, 50, 75, 100, 150, 200, 300, 400, 800, 1600, 3200};

namespace {

constexpr int kMarginX = 32;
constexpr int kMarginY = 56;

int StepIndex(int zoom) {
  for (int i = 0; i < kZoomStepCount; ++i) {
    if (kZoomSteps[i] == zoom) return i;
  }
  return -1;
}

// A zoom that is not positive would divide by zero; the display treats it
// as full scale.
int SafeZoom(int zoom) { return zoom > 0 ? zoom : 100; }

}  // namespace

int ZoomStepIn(int zoom) {
  const int i = StepIndex(zoom);
  if (i < 0) return 100;
  return kZoomSteps[std::min(i + 1, kZoomStepCount - 1)];
}

int ZoomStepOut(int zoom) {
  const int i = StepIndex(zoom);
  if (i < 0) return 100;
  return kZoomSteps[std::max(i - 1, 0)];
}

int VisibleWidth(int client_width, int zoom) {
  return std::max(1, (client_width * 100 - kMarginX * 100) / SafeZoom(zoom));
}

int VisibleHeight(int client_height, int zoom) {
  return std::max(1, (client_height * 100 - kMarginY * 100) / SafeZoom(zoom));
}

void ClampScroll(Image& image, int client_width, int client_height) {
  const int vw = VisibleWidth(client_width, image.zoom);
  const int vh = VisibleHeight(client_height, image.zoom);
  if (image.scroll_x + vw > image.width) image.scroll_x = image.width - vw;
  if (image.scroll_y + vh > image.height) image.scroll_y = image.height - vh;
  image.scroll_x = std::max(image.scroll_x, 0);
  image.scroll_y = std::max(image.scroll_y, 0);
}

void ScreenToImage(const Image& image, int mx, int my, int* x, int* row) {
  const int z = SafeZoom(image.zoom);
  const int ix = mx * 100 / z + image.scroll_x;
  const int t = my * 100 / z + image.scroll_y;
  *x = std::clamp(ix, 0, std::max(image.width - 1, 0));
  *row = std::clamp(image.height - 1 - t, 0, std::max(image.height - 1, 0));
}

void ImageToScreen(const Image& image, int x, int row, int* sx, int* sy) {
  const int z = SafeZoom(image.zoom);
  *sx = (x - image.scroll_x) * z / 100 + z / 200;
  *sy = (image.height - 1 - row - image.scroll_y) * z / 100 + z / 200;
}

bool ZoomAboutClick(Image& image, int client_width, int client_height, int mx, int my, bool zoom_in) {
  const int old_zoom = SafeZoom(image.zoom);
  const int new_zoom = zoom_in ? ZoomStepIn(image.zoom) : ZoomStepOut(image.zoom);
  if (new_zoom == image.zoom) return false;
  const int x_click = mx * 100 / old_zoom + image.scroll_x;
  const int t_click = my * 100 / old_zoom + image.scroll_y;
  image.zoom = new_zoom;
  image.scroll_x = std::max(0, x_click - ((client_width - kMarginX) / 2) * 100 / new_zoom);
  image.scroll_y = std::max(0, t_click - ((client_height - kMarginY) / 2) * 100 / new_zoom);
  // The flag as a zoom raises it; the planes did not change, so nothing
  // is recounted.
  image.stats_refresh = 1;
  return true;
}

void ScrollImage(Image& image, int client_width, int client_height, int bar, int action, int position) {
  const bool horizontal = bar == kScrollHorizontal;
  const int visible = horizontal ? VisibleWidth(client_width, image.zoom) : VisibleHeight(client_height, image.zoom);
  const int extent = horizontal ? image.width : image.height;
  int& scroll = horizontal ? image.scroll_x : image.scroll_y;
  switch (action) {
    case kScrollLineUp: scroll -= kScrollLine; break;
    case kScrollLineDown: scroll += kScrollLine; break;
    case kScrollPageUp: scroll -= visible / 2; break;
    case kScrollPageDown: scroll += visible / 2; break;
    case kScrollThumb: scroll = (extent - visible) * std::clamp(position, 0, 100) / 100; break;
    default: break;
  }
  ClampScroll(image, client_width, client_height);
}

int ScrollBarPosition(const Image& image, int client_width, int client_height, int bar) {
  const int z = SafeZoom(image.zoom);
  if (bar == kScrollHorizontal) {
    const int room = image.width - VisibleWidth(client_width, z);
    if (z * image.width / 100 <= client_width - kMarginX || room <= 0) return 0;
    return std::clamp(image.scroll_x * 100 / room, 0, 100);
  }
  const int room = image.height - VisibleHeight(client_height, z);
  if (z * image.height / 100 <= client_height - kMarginY || room <= 0) return 0;
  return std::clamp(image.scroll_y * 100 / room, 0, 100);
}

}  // namespace tavo
