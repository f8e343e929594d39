// SPDX-License-Identifier: MIT
#include "shell/ops/background_points_op.h"

#include <vector>

#include "shell/background_capture.h"
#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "stack/background_points.h"

namespace tavo {
namespace {

OpStatus RunPointFit(AppState& app, Image& image) {
  std::vector<SkyPoint> points;
  for (const CapturePoint& p : app.capture.points) points.push_back({p.x, p.row, {p.r, p.g, p.b}});
  const Back1Settings& b = app.settings.back1;
  return FitPointBackground(image, points.data(), static_cast<int>(points.size()), b.mode == 4 ? 4 : 3, b.shift);
}

}  // namespace

void CmdBackgroundPoints(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  if (!EditSettings(app, ui, kCmdBackgroundPoints)) return;
  app.capture.mode = kCapturePointsFirst;
  app.capture.points.clear();
  ui.ShowMessage(kBoxMessage, kMsgPickBackgroundPoints);
}

bool CollectBackgroundPoint(AppState& app, UiPort& ui, int x, int row) {
  CaptureState& cap = app.capture;
  const Image* image = CurrentImage(app);
  if (cap.mode < kCapturePointsFirst || image == nullptr) return false;
  const BackgroundSample s = SampleBackground(*image, x, row);
  cap.points.push_back({s.x, s.row, s.level[0], s.level[1], s.level[2], (s.level[0] + s.level[1] + s.level[2]) / 3});
  cap.mode = kCapturePointsFirst + static_cast<int>(cap.points.size());
  ui.Repaint();
  if (static_cast<int>(cap.points.size()) >= kCapturePointsMax) FinishBackgroundPoints(app, ui);
  return true;
}

void FinishBackgroundPoints(AppState& app, UiPort& ui) {
  if (app.capture.mode < kCapturePointsFirst) return;
  ui.ShowMessage(kBoxMessage, kMsgBackgroundPointsDone);
  RunInPlaceConfirmed(app, ui, RunPointFit);
  app.capture.mode = 0;
  app.capture.points.clear();
}

}  // namespace tavo
