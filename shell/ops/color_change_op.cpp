// SPDX-License-Identifier: MIT
#include "shell/ops/color_change_op.h"

#include "core/sample.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {
namespace {

// The pixel under point A, when the image has one on it.
bool PointAColour(const Image& image, Rgb16* colour) {
  const int x = image.point_a_x, row = image.point_a_y;
  if (x < 0 || row < 0 || x >= image.width || row >= image.height) return false;
  const size_t i = static_cast<size_t>(row) * static_cast<size_t>(image.width) + static_cast<size_t>(x);
  const bool mono = image.monochrome == 1;
  *colour = {image.r[i], mono ? image.r[i] : image.g[i], mono ? image.r[i] : image.b[i]};
  return true;
}

void RunColorChange(AppState& app, UiPort& ui, int id, void (*take_source)(AppState&, const Rgb16&),
                    InPlaceRun run) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  Rgb16 colour;
  if (PointAColour(*image, &colour)) {
    take_source(app, colour);
  } else {
    ui.ShowMessage(kBoxMessage, kMsgColorPointHint);
  }
  if (!EditSettings(app, ui, id)) return;
  RunInPlaceConfirmed(app, ui, run);
}

}  // namespace

ColorChangeRgbParams ColorRgbParamsFrom(const ColorRgbSettings& rgb) {
  return {rgb.source[0], rgb.source[1], rgb.source[2], rgb.target[0], rgb.target[1], rgb.target[2], rgb.tolerance};
}

ColorChangeHsvParams ColorHsvParamsFrom(const ColorHsvSettings& hsv) {
  return {hsv.source[0], hsv.source[1], hsv.source[2], hsv.target[0], hsv.target[1], hsv.target[2], hsv.tolerance};
}

OpStatus RunColorRgbOn(AppState& app, Image& image) {
  return ApplyColorChangeRgb(image, ColorRgbParamsFrom(app.settings.color_rgb));
}

OpStatus RunColorHsvOn(AppState& app, Image& image) {
  return ApplyColorChangeHsv(image, ColorHsvParamsFrom(app.settings.color_hsv));
}

void CmdColorRgb(AppState& app, UiPort& ui) {
  RunColorChange(
      app, ui, kCmdColorRgb,
      [](AppState& state, const Rgb16& pixel) {
        ColorChangeRgbParams p;
        RgbSourceFromPixel(pixel, &p);
        int* source = state.settings.color_rgb.source;
        source[0] = p.source_r, source[1] = p.source_g, source[2] = p.source_b;
      },
      RunColorRgbOn);
}

void CmdColorHsv(AppState& app, UiPort& ui) {
  RunColorChange(
      app, ui, kCmdColorHsv,
      [](AppState& state, const Rgb16& pixel) {
        ColorChangeHsvParams p;
        HsvSourceFromPixel(pixel, &p);
        int* source = state.settings.color_hsv.source;
        source[0] = p.source_hue, source[1] = p.source_saturation, source[2] = p.source_value;
      },
      RunColorHsvOn);
}

int* ColorChangeValue(ColorRgbSettings& rgb, int field) {
  return field < 3 ? &rgb.source[field] : field < 6 ? &rgb.target[field - 3] : &rgb.tolerance;
}

int* ColorChangeValue(ColorHsvSettings& hsv, int field) {
  return field < 3 ? &hsv.source[field] : field < 6 ? &hsv.target[field - 3] : &hsv.tolerance;
}

int ColorChangeFieldMax(bool hsv, int field) {
  return hsv && (field == kColorSource0 || field == kColorTarget0) ? 359 : 255;
}

void ColorChangeFromText(int* value, int max, const std::string& text) {
  *value = ClampInt(EditValue(text, true), 0, max);
}

void ColorChangeScroll(int* value, int max, int action, int thumb) {
  *value = ScrollStep(ClampInt(*value, 0, max), action, thumb, 0, max, 16);
}

void ColorRgbSwatch(const ColorRgbSettings& rgb, bool target, int out[3]) {
  const int* colour = target ? rgb.target : rgb.source;
  for (int c = 0; c < 3; ++c) out[c] = ClampInt(colour[c], 0, 255);
}

void ColorHsvSwatch(const ColorHsvSettings& hsv, bool target, int out[3]) {
  const int* colour = target ? hsv.target : hsv.source;
  const Rgb16 rgb = HsvDialogColor(colour[0], colour[1], colour[2]);
  out[0] = rgb.r >> 8;
  out[1] = rgb.g >> 8;
  out[2] = rgb.b >> 8;
}

}  // namespace tavo
