// SPDX-License-Identifier: MIT
// shell/ops/gamma_op.h - gamma correction (command and batch step) and the
// logic of its dialog "GAMMA": picking and dragging the three points of the
// edited table, the typed fields, the reset button, the curve drawn in the
// graph and the preview histogram. Graph coordinates are 8-bit: x is the
// input, y the output counted upwards, both 0..255.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "tone/gamma.h"

namespace tavo {

constexpr int kGammaPointHitRange = 4;

// The curves of the settings: all three from the all-colours table in
// all-colours mode (table 0), from the R, G, B tables otherwise.
GammaParams GammaParamsFrom(const GammaSettings& gamma);

// The operation on `image` with the gamma settings; per-channel curves turn
// a black-and-white image into a colour one, so the flag is cleared then.
OpStatus RunGammaOn(AppState& app, Image& image);

// The table being edited: 0 all colours, 1..3 R, G, B (the selector,
// clamped).
int GammaEditedTable(const GammaSettings& gamma);

// Point (0..2) of the edited table within 4 pixels of (gx, gy) in both
// directions, the nearest when several are; -1 when none is.
int GammaPointAt(const GammaSettings& gamma, int gx, int gy);

// Sets point `point` of the edited table: the output limited to 0..255,
// the input to 0..255 and then to the inputs of its neighbours (the first
// point at least 0, the last at most 255). Used while dragging and for the
// typed fields alike.
void GammaMovePoint(GammaSettings& gamma, int point, int input, int output);

// "初期化": all four tables back to (0, 0), (128, 128), (255, 255).
void ResetGammaTables(GammaSettings& gamma);

// The edited table's curve for the 256 8-bit inputs i (sample i * 256),
// as 16-bit outputs.
void GammaCurveSamples(const GammaSettings& gamma, uint16_t out[256]);

// Histograms of R, G, B as they would be after the correction, from every
// (width / 100 + 1)-th column of every (height / 100 + 1)-th row; bin =
// mapped sample >> 8. A monochrome image is read from its R plane.
struct GammaPreview {
  uint32_t r[256] = {}, g[256] = {}, b[256] = {};
  uint32_t peak = 0;  // largest bin of the three
};
void GammaPreviewHistogram(const Image& image, const GammaSettings& gamma, GammaPreview* preview);

}  // namespace tavo
