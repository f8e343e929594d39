// SPDX-License-Identifier: MIT
// shell/ops/saturation_hue_op.h - saturation and hue (command 314 and batch
// step 14) and the logic of its dialog "彩度/色相調整": the values shown
// and typed as changes (held - 100, held - 180), their bars and the two
// hue strips.
#pragma once
#include <cstdint>
#include <string>

#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "tone/saturation_hue.h"

namespace tavo {

// Saturation held - 100 (percent), hue held - 180 (degrees).
SaturationHueParams SaturationHueParamsFrom(const ColorSettings& color);

// The adjustment on `image` with the "color" settings; a monochrome image
// is left as it is.
OpStatus RunSaturationHueOn(AppState& app, Image& image);

enum ColorField { kColorSaturation, kColorHue };

// The value a field shows: held - 100 or held - 180.
int ColorFieldShown(const ColorSettings& color, int field);
// A typed value: shifted back (+100, +180) and clamped to 0..200 / 0..360.
void ColorFieldFromText(ColorSettings& color, int field, const std::string& text);
// The bars hold the held value (0..200, 0..360): 1 per line, 10 per page.
int ColorBarMax(int field);
void ColorFieldScroll(ColorSettings& color, int field, int action, int thumb);

// The strips, `width` pixels of 8-bit R, G, B each (tone/saturation_hue.h).
void ColorHueStrips(const ColorSettings& color, int width, uint8_t* upper, uint8_t* lower);

}  // namespace tavo
