// SPDX-License-Identifier: MIT
#include "shell/ops/edge_op.h"

#include <algorithm>

#include "shell/dialog_logic.h"

namespace tavo {

EdgeParams EdgeParamsFrom(const EdgeSettings& edge) {
  return {edge.range, edge.strength, edge.threshold, edge.smooth,
          edge.use_r * kChannelFlagR + edge.use_g * kChannelFlagG + edge.use_b * kChannelFlagB};
}

OpStatus RunEdgeOn(AppState& app, Image& image) { return ApplyEdge(image, EdgeParamsFrom(app.settings.edge)); }

int EdgeThresholdFromText(const std::string& text) {
  return std::clamp(EditValue(text, true), 0, kEdgeThresholdMax);
}

int EdgeThresholdAfterScroll(int threshold, int action, int thumb_position) {
  return ScrollStep(threshold, action, thumb_position, 0, kEdgeThresholdMax, 10);
}

}  // namespace tavo
