// SPDX-License-Identifier: MIT
// shell/ops/color_change_op.h - colour change by RGB (command 331) and by
// HSV (command 332): the commands, which take the source colour from point
// A, and the logic of their two dialogs (seven fields with bars, swatches).
#pragma once
#include <string>

#include "core/status.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"
#include "tone/color_change.h"

namespace tavo {

ColorChangeRgbParams ColorRgbParamsFrom(const ColorRgbSettings& rgb);
ColorChangeHsvParams ColorHsvParamsFrom(const ColorHsvSettings& hsv);

// The passes on `image` with the "color-rgb" / "color-hsv" settings.
OpStatus RunColorRgbOn(AppState& app, Image& image);
OpStatus RunColorHsvOn(AppState& app, Image& image);

// The commands: a current image and the memory headroom check as for any
// in-place operation; then the source colour from the pixel under point A,
// or, with no point A on the image, the hint kMsgColorPointHint and the
// previous source colour; then the dialog and the change.
void CmdColorRgb(AppState& app, UiPort& ui);
void CmdColorHsv(AppState& app, UiPort& ui);

// The seven fields of either dialog: source three, target three, tolerance.
enum ColorChangeField { kColorSource0, kColorSource1, kColorSource2, kColorTarget0, kColorTarget1,
                        kColorTarget2, kColorTolerance, kColorChangeFieldCount };

// The value of a field and its largest (the hue fields of the HSV dialog
// 359, all others 255).
int* ColorChangeValue(ColorRgbSettings& rgb, int field);
int* ColorChangeValue(ColorHsvSettings& hsv, int field);
int ColorChangeFieldMax(bool hsv, int field);
// A typed value, clamped; a bar event (1 per line, 16 per page).
void ColorChangeFromText(int* value, int max, const std::string& text);
void ColorChangeScroll(int* value, int max, int action, int thumb);

// Swatches as 8-bit R, G, B: the source (false) or target (true) colour.
void ColorRgbSwatch(const ColorRgbSettings& rgb, bool target, int out[3]);
void ColorHsvSwatch(const ColorHsvSettings& hsv, bool target, int out[3]);

}  // namespace tavo
