// SPDX-License-Identifier: MIT
#include "shell/ops/saturation_hue_op.h"

#include <cstdint>

#include "core/sample.h"
#include "shell/dialog_logic.h"

namespace tavo {
namespace {

int* FieldOf(ColorSettings& color, int field) { return field == kColorHue ? &color.hue : &color.saturation; }
int OffsetOf(int field) { return field == kColorHue ? 180 : 100; }

}  // namespace

SaturationHueParams SaturationHueParamsFrom(const ColorSettings& color) {
  return {color.saturation - 100, color.hue - 180};
}

OpStatus RunSaturationHueOn(AppState& app, Image& image) {
  return ApplySaturationHue(image, SaturationHueParamsFrom(app.settings.color));
}

int ColorFieldShown(const ColorSettings& color, int field) {
  return (field == kColorHue ? color.hue : color.saturation) - OffsetOf(field);
}

int ColorBarMax(int field) { return 2 * OffsetOf(field); }

void ColorFieldFromText(ColorSettings& color, int field, const std::string& text) {
  const int64_t held = int64_t{EditValue(text, true)} + OffsetOf(field);
  *FieldOf(color, field) = static_cast<int>(held < 0 ? 0 : held > ColorBarMax(field) ? ColorBarMax(field) : held);
}

void ColorFieldScroll(ColorSettings& color, int field, int action, int thumb) {
  int* value = FieldOf(color, field);
  *value = ScrollStep(ClampInt(*value, 0, ColorBarMax(field)), action, thumb, 0, ColorBarMax(field), 10);
}

void ColorHueStrips(const ColorSettings& color, int width, uint8_t* upper, uint8_t* lower) {
  HueStrips(SaturationHueParamsFrom(color), width, upper, lower);
}

}  // namespace tavo
