// SPDX-License-Identifier: MIT
// shell/ops/level_op.h - level correction (command and batch step) and the
// logic of its dialog "LEVEL": seven scroll bars over the edited table, the
// table selector, the reset button, the curves and the preview histogram.
#pragma once
#include <cstdint>
#include <string>

#include "core/image.h"
#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "tone/levels.h"
#include "tone/preview.h"

namespace tavo {

// The seven values of a table, in settings-file order.
enum LevelField {
  kLevelInMin,
  kLevelInMax,
  kLevelBrightness,
  kLevelContrast,
  kLevelGamma,
  kLevelOutMin,
  kLevelOutMax,
  kLevelFieldCount,
};

LevelParams LevelParamsFrom(const LvlSettings& lvl);

// The correction on `image` with the "lvl" settings, every plane whatever
// the monochrome flag; per-channel mode leaves a colour image.
OpStatus RunLevelOn(AppState& app, Image& image);

// The table the bars edit: the selector, clamped to 0..3.
int LevelEditedTable(const LvlSettings& lvl);

// A field's scroll bar: positions low..high show value + offset; a page is
// `page` (5, the gamma bar 10), a line 1.
struct LevelBar {
  int low, high, offset, page;
};
LevelBar LevelBarOf(int field);
int LevelBarPosition(const LvlSettings& lvl, int field);

// Sets a field of the edited table, clamped to its range; a minimum that
// reaches its maximum becomes maximum - 1, a maximum that reaches its
// minimum becomes minimum + 1.
void LevelSetField(LvlSettings& lvl, int field, int value);
// A scroll event on a field's bar (shell/dialog_logic.h).
void LevelScroll(LvlSettings& lvl, int field, int action, int thumb);

// The read-only field beside a bar: "%d", the gamma "%d.%02d" (150 ->
// "1.50").
std::string LevelFieldText(const LvlSettings& lvl, int field);

// "初期化": all four tables back to 0 255 0 0 100 0 255.
void ResetLevelTables(LvlSettings& lvl);

// The curves the graph shows, outputs / 256 at inputs 0, 256, .. 65280:
// one (the all-colours table) or three (R, G, B in per-channel mode).
// Returns the count.
int LevelCurves(const LvlSettings& lvl, uint8_t curves[3][256]);

// Histograms of `sample` (SamplePreviewPixels of the image) after the
// correction.
PreviewHistogram LevelPreview(const Image& sample, const LvlSettings& lvl);

}  // namespace tavo
