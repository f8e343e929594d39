// SPDX-License-Identifier: MIT
#include "shell/ops/level_op.h"

#include <cstdio>

#include "core/sample.h"
#include "core/slots.h"
#include "shell/dialog_logic.h"

namespace tavo {
namespace {

LevelWindow WindowOf(const int row[kLevelFieldCount]) {
  return {row[0], row[1], row[2], row[3], row[4], row[5], row[6]};
}

}  // namespace

LevelParams LevelParamsFrom(const LvlSettings& lvl) {
  LevelParams params;
  params.table = lvl.table;
  for (int t = 0; t < 4; ++t) params.windows[t] = WindowOf(lvl.rows[t]);
  return params;
}

OpStatus RunLevelOn(AppState& app, Image& image) { return ApplyLevels(image, LevelParamsFrom(app.settings.lvl)); }

int LevelEditedTable(const LvlSettings& lvl) { return ClampInt(lvl.table, 0, 3); }

LevelBar LevelBarOf(int field) {
  switch (field) {
    case kLevelBrightness: return {0, 510, 255, 5};
    case kLevelContrast: return {0, 200, 100, 5};
    case kLevelGamma: return {1, 400, 0, 10};
    default: return {0, 255, 0, 5};
  }
}

int LevelBarPosition(const LvlSettings& lvl, int field) {
  const LevelBar bar = LevelBarOf(field);
  return ClampInt(lvl.rows[LevelEditedTable(lvl)][field] + bar.offset, bar.low, bar.high);
}

void LevelSetField(LvlSettings& lvl, int field, int value) {
  if (field < 0 || field >= kLevelFieldCount) return;
  int* row = lvl.rows[LevelEditedTable(lvl)];
  const LevelBar bar = LevelBarOf(field);
  value = ClampInt(value, bar.low - bar.offset, bar.high - bar.offset);
  switch (field) {
    case kLevelInMin:
    case kLevelOutMin:
      if (value >= row[field + 1]) value = row[field + 1] - 1;
      break;
    case kLevelInMax:
    case kLevelOutMax:
      if (value <= row[field - 1]) value = row[field - 1] + 1;
      break;
    default: break;
  }
  row[field] = value;
}

void LevelScroll(LvlSettings& lvl, int field, int action, int thumb) {
  const LevelBar bar = LevelBarOf(field);
  const int position = ScrollStep(LevelBarPosition(lvl, field), action, thumb, bar.low, bar.high, bar.page);
  LevelSetField(lvl, field, position - bar.offset);
}

std::string LevelFieldText(const LvlSettings& lvl, int field) {
  const int value = lvl.rows[LevelEditedTable(lvl)][field];
  char text[32];
  if (field == kLevelGamma) {
    std::snprintf(text, sizeof text, "%d.%02d", value / 100, value % 100);
  } else {
    std::snprintf(text, sizeof text, "%d", value);
  }
  return text;
}

void ResetLevelTables(LvlSettings& lvl) {
  const LvlSettings defaults;
  for (int t = 0; t < 4; ++t) {
    for (int f = 0; f < kLevelFieldCount; ++f) lvl.rows[t][f] = defaults.rows[t][f];
  }
}

int LevelCurves(const LvlSettings& lvl, uint8_t curves[3][256]) {
  if (lvl.table == 0) {
    LevelCurve(WindowOf(lvl.rows[0]), curves[0]);
    return 1;
  }
  for (int c = 0; c < 3; ++c) LevelCurve(WindowOf(lvl.rows[c + 1]), curves[c]);
  return 3;
}

PreviewHistogram LevelPreview(const Image& sample, const LvlSettings& lvl) {
  Image work;
  if (!DuplicateImage(sample, work)) return PreviewHistogram();
  ApplyLevels(work, LevelParamsFrom(lvl));
  return HistogramOfAll(work);
}

}  // namespace tavo
