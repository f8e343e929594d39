// SPDX-License-Identifier: MIT
// Placeholders until the background corrections that start a capture are
// built: no command sets a capture mode yet, so nothing reaches these.
#include "shell/capture.h"

namespace tavo {

void CaptureClick(AppState& app, UiPort& ui, int x, int row) {
  (void)app;
  (void)ui;
  (void)x;
  (void)row;
}

void CaptureFinish(AppState& app, UiPort& ui) {
  (void)ui;
  app.capture_mode = 0;
  app.capture_points.clear();
}

}  // namespace tavo
