// SPDX-License-Identifier: MIT
// Clicks on the image while a background capture is armed. Centre and
// corner samples belong to the quadratic background correction, free
// points to the correction by points.
#include "shell/capture.h"

#include "shell/background_capture.h"
#include "shell/ops/background_points_op.h"

namespace tavo {

void CaptureClick(AppState& app, UiPort& ui, int x, int row) {
  if (app.capture.mode == 1 || app.capture.mode == 2) {
    if (BackgroundSampleAt(app, ui, x, row)) ui.Repaint();
  } else if (app.capture.mode >= kCapturePointsFirst) {
    CollectBackgroundPoint(app, ui, x, row);
  }
}

void CaptureFinish(AppState& app, UiPort& ui) {
  if (app.capture.mode >= kCapturePointsFirst && CurrentImage(app) != nullptr) {
    FinishBackgroundPoints(app, ui);
  }
  app.capture.mode = 0;
  app.capture.points.clear();
}

}  // namespace tavo
