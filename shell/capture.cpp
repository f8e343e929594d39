// SPDX-License-Identifier: MIT
// Clicks on the image while a background capture is armed. Centre and
// corner samples belong to the quadratic background correction; the free
// points of the point-based correction are not offered yet, so a
// collection can only be ended.
#include "shell/capture.h"

#include "shell/background_capture.h"

namespace tavo {

void CaptureClick(AppState& app, UiPort& ui, int x, int row) {
  if (app.capture.mode == 1 || app.capture.mode == 2) {
    if (BackgroundSampleAt(app, ui, x, row)) ui.Repaint();
  }
}

void CaptureFinish(AppState& app, UiPort& ui) {
  (void)ui;
  app.capture.mode = 0;
  app.capture.points.clear();
}

}  // namespace tavo
