// SPDX-License-Identifier: MIT
#include "shell/background_capture.h"

#include <algorithm>

namespace tavo {
namespace {

constexpr int kPlaceholder = 65280;

// Inside the one-pixel frame where there is one, else onto the image.
int MoveInside(int v, int size) { return size >= 3 ? std::clamp(v, 1, size - 2) : std::clamp(v, 0, size - 1); }

}  // namespace

BackgroundSample SampleBackground(const Image& image, int x, int row) {
  BackgroundSample s;
  if (image.Empty() || !image.r) return s;
  const int w = image.width, h = image.height;
  s.x = MoveInside(x, w);
  s.row = MoveInside(row, h);
  const bool mono = image.monochrome == 1;
  const uint16_t* planes[3] = {image.r.get(), mono ? image.r.get() : image.g.get(),
                               mono ? image.r.get() : image.b.get()};
  for (int c = 0; c < 3; ++c) {
    int least[4] = {kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder};
    for (int j = -1; j <= 1; ++j) {
      const int yy = std::clamp(s.row + j, 0, h - 1);
      for (int i = -1; i <= 1; ++i) {
        const int xx = std::clamp(s.x + i, 0, w - 1);
        const int v = planes[c][static_cast<size_t>(yy) * w + xx];
        if (v >= least[3]) continue;
        int pos = 3;
        while (pos > 0 && least[pos - 1] > v) {
          least[pos] = least[pos - 1];
          --pos;
        }
        least[pos] = v;
      }
    }
    s.level[c] = (least[2] + least[3]) >> 1;
    s.level8[c] = (least[2] + least[3]) >> 9;
  }
  return s;
}

bool BackgroundSampleAt(AppState& app, UiPort& ui, int x, int stored_row) {
  (void)ui;
  CaptureState& cap = app.capture;
  if (cap.mode != 1 && cap.mode != 2) return false;
  const Image* image = CurrentImage(app);
  if (image == nullptr) return false;
  const BackgroundSample s = SampleBackground(*image, x, stored_row);
  const bool centre = cap.mode == 1;
  (centre ? cap.centre_x : cap.corner_x) = s.x;
  (centre ? cap.centre_row : cap.corner_row) = s.row;
  int* levels = centre ? cap.centre_level : cap.corner_level;
  for (int c = 0; c < 3; ++c) {
    levels[c] = s.level8[c];
    app.settings.back2.levels[2 * c + (centre ? 0 : 1)] = s.level8[c];
  }
  cap.slot = app.slots.current;
  cap.mode = 0;
  return true;
}

}  // namespace tavo
