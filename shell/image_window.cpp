// SPDX-License-Identifier: MIT
#include "shell/image_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "shell/capture.h"
#include "shell/messages.h"
#include "shell/view.h"

namespace tavo {
namespace {

void PixelUnderMouse(const Image& image, int mx, int my, int* x, int* row) {
  ScreenToImage(image, mx, my, x, row);
}

// The selected rectangle goes into a new slot with the monochrome flag and
// a fresh histogram, marked changed: it exists in no file.
void CopyArea(AppState& app, UiPort& ui, const Image& source) {
  const int slot = FindFreeSlot(app.slots);
  if (slot < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
    return;
  }
  Image& copy = app.slots[slot];
  if (!CropToRect(source, copy, app.area_x1, app.area_y1, app.area_x2, app.area_y2)) {
    ClearSlot(app.slots, slot);
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  MarkNewCrop(copy);
  app.slots.current = slot;
}

}  // namespace

void ImageMouseDown(AppState& app, UiPort& ui, int button, int mx, int my) {
  app.mouse_x = mx;
  app.mouse_y = my;
  app.mouse_seen = true;
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  int x = 0, row = 0;
  PixelUnderMouse(*image, mx, my, &x, &row);
  if (button == kMouseLeft) {
    if (app.area_flag == 1 || app.area_flag == 2) {
      app.area_x1 = app.area_x2 = x;
      app.area_y1 = app.area_y2 = row;
      app.area_flag = 2;
      ui.Repaint();
    } else if (app.capture.mode == 0) {
      if (ZoomAboutClick(*image, app.client_width, app.client_height, mx, my, true)) ui.Repaint();
    } else if (app.capture.mode == 1 || app.capture.mode == 2 || app.capture.mode >= 100) {
      CaptureClick(app, ui, x, row);
    }
  } else if (button == kMouseRight) {
    if (app.capture.mode < 100) {
      if (ZoomAboutClick(*image, app.client_width, app.client_height, mx, my, false)) ui.Repaint();
    } else {
      CaptureFinish(app, ui);
    }
  }
}

void ImageMouseUp(AppState& app, UiPort& ui, int button, int mx, int my) {
  app.mouse_x = mx;
  app.mouse_y = my;
  app.mouse_seen = true;
  Image* image = CurrentImage(app);
  if (image == nullptr || button != kMouseLeft) return;
  if (app.area_flag != 1 && app.area_flag != 2) return;
  PixelUnderMouse(*image, mx, my, &app.area_x2, &app.area_y2);
  // Only a true rectangle makes an image; a click or a line keeps dragging.
  if (app.area_x1 == app.area_x2 || app.area_y1 == app.area_y2) return;
  app.area_flag = 0;
  CopyArea(app, ui, *image);
  ui.Repaint();
}

void ImageMouseMove(AppState& app, int mx, int my) {
  app.mouse_x = mx;
  app.mouse_y = my;
  app.mouse_seen = true;
  Image* image = CurrentImage(app);
  if (image == nullptr || app.area_flag != 2) return;
  PixelUnderMouse(*image, mx, my, &app.area_x2, &app.area_y2);
}

void ImageMouseLeave(AppState& app) { app.mouse_seen = false; }

void ArmAreaSelection(AppState& app) {
  app.area_flag = 1;
  app.area_x1 = app.area_y1 = app.area_x2 = app.area_y2 = 0;
}

bool AreaScreenRect(const AppState& app, int* x, int* y, int* w, int* h) {
  const int c = app.slots.current;
  if (app.area_flag != 2 || c < 0 || c >= kSlotCount || app.slots[c].Empty()) return false;
  const Image& image = app.slots[c];
  const int z = image.zoom > 0 ? image.zoom : 100;
  // Columns x_min .. x_max - 1 and stored rows y_min .. y_max - 1; stored
  // row r is screen row H - 1 - r counted from the top.
  const int x_min = std::min(app.area_x1, app.area_x2), x_max = std::max(app.area_x1, app.area_x2);
  const int y_min = std::min(app.area_y1, app.area_y2), y_max = std::max(app.area_y1, app.area_y2);
  const int left = (x_min - image.scroll_x) * z / 100;
  const int right = (x_max - image.scroll_x) * z / 100;
  const int top = (image.height - y_max - image.scroll_y) * z / 100;
  const int bottom = (image.height - y_min - image.scroll_y) * z / 100;
  *x = left;
  *y = top;
  *w = right - left;
  *h = bottom - top;
  return true;
}

std::string FormatReadout(int x, int row_from_top, int r, int g, int b, int scale) {
  const int d = scale > 0 ? scale : 1;
  char text[128];
  if (d < 8) {
    std::snprintf(text, sizeof text, "(%4d,%4d) R:%5d G:%5d B:%5d", x, row_from_top, r / d, g / d, b / d);
  } else if (d < 128) {
    std::snprintf(text, sizeof text, "(%4d,%4d) R:%4d G:%4d B:%4d", x, row_from_top, r / d, g / d, b / d);
  } else {
    std::snprintf(text, sizeof text, "(%4d,%4d) R:%3d.%01d G:%3d.%01d B:%3d.%01d", x, row_from_top, r / d,
                  (r % d) * 10 / d, g / d, (g % d) * 10 / d, b / d, (b % d) * 10 / d);
  }
  return text;
}

std::string StatusText(const AppState& app) {
  if (app.batch_mode != 0 || !app.mouse_seen) return "";
  const int c = app.slots.current;
  if (c < 0 || c >= kSlotCount) return "";
  const Image& image = app.slots[c];
  if (image.Empty() || !image.r) return "";
  // Beyond the picture there is no sample to show; clamping would show
  // the edge's values as if they were under the mouse.
  if (!ScreenOnImage(image, app.mouse_x, app.mouse_y)) return "";
  int x = 0, row = 0;
  ScreenToImage(image, app.mouse_x, app.mouse_y, &x, &row);
  const size_t i = static_cast<size_t>(row) * static_cast<size_t>(image.width) + static_cast<size_t>(x);
  const int r = image.r[i];
  const int g = image.monochrome == 1 ? r : image.g[i];
  const int b = image.monochrome == 1 ? r : image.b[i];
  std::string text = FormatReadout(x, image.height - 1 - row, r, g, b, app.settings.display.scale);
  if (app.area_flag == 1 || app.area_flag == 2) {
    char area[64];
    std::snprintf(area, sizeof area, "  AREA(%4d,%4d)", std::abs(app.area_x2 - app.area_x1),
                  std::abs(app.area_y2 - app.area_y1));
    text += area;
  }
  return text;
}

}  // namespace tavo
