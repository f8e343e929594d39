// SPDX-License-Identifier: MIT
#include "shell/ops/background_quad_op.h"

#include <algorithm>
#include <cstdio>

#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "stack/background_quad.h"

namespace tavo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

OpStatus RunBackgroundQuadOn(AppState& app, Image& image) {
  const Back2Settings& back2 = app.settings.back2;
  int levels[6];
  for (int c = 0; c < 3; ++c) {
    const int centre = back2.levels[2 * c], periphery = back2.levels[2 * c + 1];
    const bool subtract = back2.mode == 1;
    levels[2 * c] = (subtract ? centre - 2 * periphery + back2.shift : centre) * 256;
    levels[2 * c + 1] = (subtract ? back2.shift - periphery : periphery) * 256;
  }
  return ApplyQuadraticBackground(image, back2.mode == 1 ? kBackgroundSubtract : kBackgroundDivide, levels,
                                  back2.curve);
}

void CmdBackgroundQuad(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (!EditSettings(app, ui, kCmdBackgroundQuad)) return;
  // The dialog's OK rule, applied here as well so that every front end
  // (also one that confirms without showing the dialog) runs with it.
  AcceptBackgroundDialog(app.settings.back2);
  const Back2Settings& back2 = app.settings.back2;
  if (back2.levels[1] == 0 && back2.levels[3] == 0 && back2.levels[5] == 0) {
    app.capture.mode = 1;  // nothing to correct yet: the next click picks the centre
    return;
  }
  if (RunInPlaceConfirmed(app, ui, RunBackgroundQuadOn)) {
    app.capture.mode = 0;
    app.capture.slot = -1;  // the samples are used: their marks go
  }
}

void CmdCaptureCentre(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  app.capture.mode = 1;
  ui.ShowMessage(kBoxMessage, kMsgPickCentreBackground);
}

void CmdCaptureCorner(AppState& app, UiPort& ui) {
  if (CurrentImage(app) == nullptr) return;
  app.capture.mode = 2;
  ui.ShowMessage(kBoxMessage, kMsgPickCornerBackground);
}

int BackgroundLevelFromText(const std::string& text) { return std::min(EditValue(text, false), 255); }

int CurveFromText(const std::string& text) {
  int whole = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] != '.'; ++i) {
    whole = IsDigit(text[i]) ? std::min(whole * 10 + (text[i] - '0'), 100000) : 0;
  }
  int hundredths = 0;
  if (i < text.size() && i + 1 < text.size() && IsDigit(text[i + 1])) {
    hundredths = (text[i + 1] - '0') * 10;
    if (i + 2 < text.size() && IsDigit(text[i + 2])) hundredths += text[i + 2] - '0';
  }
  return std::clamp(whole * 100 + hundredths, 100, 300);
}

std::string CurveText(int curve) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", curve / 100, curve % 100);
  return text;
}

int CurveAfterScroll(int curve, int action, int thumb_position) {
  return ScrollStep(CurveBarPosition(curve), action, thumb_position, 0, 200, 20) + 100;
}

int CurveBarPosition(int curve) { return std::clamp(curve, 100, 300) - 100; }

void AcceptBackgroundDialog(Back2Settings& back2) {
  back2.shift = std::clamp(back2.shift, 0, 255);
  for (int c = 0; c < 3; ++c) {
    int& centre = back2.levels[2 * c];
    int& periphery = back2.levels[2 * c + 1];
    centre = std::clamp(centre, 0, 255);
    periphery = std::clamp(periphery, 0, 255);
    if (centre > periphery) continue;
    if (periphery == 255) periphery = 254;
    centre = periphery + 1;
  }
}

}  // namespace tavo
