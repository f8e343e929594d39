// SPDX-License-Identifier: MIT
// shell/ops/deblur_op.h - deblur (command 317, batch step 9) and the logic
// of its dialog "ボケ補正": the iteration and emphasis lists, the spread and
// dullness edits with their bars, and the profile of the point-spread
// function they make.
#pragma once
#include <string>

#include "core/status.h"
#include "restore/deblur.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace tavo {

constexpr int kDeblurBarPage = 10;

DeblurParams DeblurParamsFrom(const RestoreSettings& restore);

// Command 317 under the in-place protocol, and batch step 9.
OpStatus RunDeblurOn(AppState& app, Image& image);

// Typed spread and dullness: decimals, tenths kept, limited to 1..100 and
// 1..50.
int DeblurSpreadFromText(const std::string& text);
int DeblurDullnessFromText(const std::string& text);
// Their bars: line +-1, page +-10, the thumb's position; limited likewise.
int DeblurSpreadAfterScroll(int spread, int action, int thumb_position);
int DeblurDullnessAfterScroll(int dullness, int action, int thumb_position);

// The point-spread function along its centre row, offsets -10..10 (1 at
// the centre), and the radius of the part that is used.
struct DeblurProfile {
  double bell[kDeblurTable];
  int radius;
};
DeblurProfile DeblurProfileOf(int spread, int dullness);

}  // namespace tavo
