// SPDX-License-Identifier: MIT
#include "shell/ops/gamma_op.h"

#include <algorithm>
#include <cstdlib>


namespace tavo {

GammaParams GammaParamsFrom(const GammaSettings& gamma) {
  GammaParams params;
  const bool per_channel = gamma.table != 0;
  for (int c = 0; c < 3; ++c) {
    const int* row = gamma.rows[per_channel ? c + 1 : 0];
    for (int p = 0; p < 3; ++p) params.points[c][p] = {row[p * 2], row[p * 2 + 1]};
  }
  params.per_channel = per_channel ? 1 : 0;
  params.kind = gamma.kind;
  return params;
}

OpStatus RunGammaOn(AppState& app, Image& image) {
  const GammaParams params = GammaParamsFrom(app.settings.gamma);
  const OpStatus status = ApplyGamma(image, params);
  if (status == kOpMade && params.per_channel == 1) image.monochrome = 0;
  return status;
}

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
  const GammaPoint points[3] = {{row[0], row[1]}, {row[2], row[3]}, {row[4], row[5]}};
  const GammaCurve curve = BuildGammaCurve(points, gamma.kind);
  for (int i = 0; i < 256; ++i) out[i] = MapGammaSample(curve, i * 256);
}

void GammaPreviewHistogram(const Image& image, const GammaSettings& gamma, GammaPreview* preview) {
  *preview = GammaPreview();
  if (image.Empty() || !image.r || !image.g || !image.b) return;
  const GammaParams params = GammaParamsFrom(gamma);
  const int step_x = image.width / 100 + 1, step_y = image.height / 100 + 1;
  uint32_t* bins[3] = {preview->r, preview->g, preview->b};
  for (int c = 0; c < 3; ++c) {
    const uint16_t* plane = image.monochrome == 1 ? image.r.get() : image.Channel(c);
    const GammaCurve curve = BuildGammaCurve(params.points[c], params.kind);
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
