// SPDX-License-Identifier: MIT
// shell/ops/edge_op.h - edge enhancement (command 303, batch step 7). Its
// dialog's edits are those of sharp/smooth (shell/ops/sharp_op.h): the
// range as a held level with a page of 2560, the threshold a whole
// percentage 0..100 (bar 1 per line, 10 per page), the strengths 0..50.
#pragma once
#include <string>

#include "core/status.h"
#include "filters/edge.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace tavo {

EdgeParams EdgeParamsFrom(const EdgeSettings& edge);
OpStatus RunEdgeOn(AppState& app, Image& image);

int EdgeThresholdFromText(const std::string& text);
int EdgeThresholdAfterScroll(int threshold, int action, int thumb_position);

constexpr int kEdgeRangePage = 2560;

}  // namespace tavo
