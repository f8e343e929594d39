// SPDX-License-Identifier: MIT
#include "shell/gamma_dialog.h"

#include <algorithm>
#include <cstdlib>

#include "batch/op_params.h"
#include "tone/gamma.h"

namespace tavo {

int GammaEditedTable(const GammaSettings& gamma) { return std::clamp(gamma.table, 0, 3); }

int GammaPointAt(const GammaSettings& gamma, int gx, int gy) {
  const int* row = gamma.rows[GammaEditedTable(gamma)];
  int best = -1, best_distance = kGammaPointHitRange + 1;
  for (int p = 0; p < 3; ++p) {
    const int distance = std::max(std::abs(gx - row[p * 2]), std::abs(gy - row[p * 2 + 1]));
    if (distance < best_distance) {
      best = p;
      best_distance = distance;
    }
  }
  return best;
}

void GammaMovePoint(GammaSettings& gamma, int point, int input, int output) {
  if (point < 0 || point > 2) return;
  int* row = gamma.rows[GammaEditedTable(gamma)];
  const int low = point == 0 ? 0 : std::clamp(row[(point - 1) * 2], 0, 255);
  const int high = point == 2 ? 255 : std::clamp(row[(point + 1) * 2], 0, 255);
  input = std::clamp(input, 0, 255);
  // Neighbours from a hand-edited file may cross; the lower limit wins.
  input = std::max(std::min(input, high), low);
  row[point * 2] = input;
  row[point * 2 + 1] = std::clamp(output, 0, 255);
}

void ResetGammaTables(GammaSettings& gamma) {
  const GammaSettings defaults;
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 6; ++i) gamma.rows[t][i] = defaults.rows[t][i];
  }
}

void GammaCurveSamples(const GammaSettings& gamma, uint16_t out[256]) {
  const int* row = gamma.rows[GammaEditedTable(gamma)];
  auto packed = [&](int p) { return std::clamp(row[p * 2], 0, 255) * 1000 + std::clamp(row[p * 2 + 1], 0, 255); };
  const GammaCurve curve = BuildGammaCurve(packed(0), packed(1), packed(2), gamma.kind == 0 ? 0 : 1);
  for (int i = 0; i < 256; ++i) out[i] = MapGammaSample(curve, i * 256);
}

void GammaPreviewHistogram(const Image& image, const GammaSettings& gamma, GammaPreview* preview) {
  *preview = GammaPreview();
  if (image.Empty() || !image.r || !image.g || !image.b) return;
  ParamBlock params;
  FillGammaParams(gamma, params);
  const int step_x = image.width / 100 + 1, step_y = image.height / 100 + 1;
  uint32_t* bins[3] = {preview->r, preview->g, preview->b};
  for (int c = 0; c < 3; ++c) {
    const uint16_t* plane = image.monochrome == 1 ? image.r.get() : image.Channel(c);
    const GammaCurve curve = BuildGammaCurve(params[c * 3], params[c * 3 + 1], params[c * 3 + 2], params[10]);
    for (int y = 0; y < image.height; y += step_y) {
      const size_t base = static_cast<size_t>(y) * static_cast<size_t>(image.width);
      for (int x = 0; x < image.width; x += step_x) {
        ++bins[c][MapGammaSample(curve, plane[base + static_cast<size_t>(x)]) >> 8];
      }
    }
  }
  for (int i = 0; i < 256; ++i) preview->peak = std::max({preview->peak, preview->r[i], preview->g[i], preview->b[i]});
}

}  // namespace tavo
