// SPDX-License-Identifier: MIT
// gui/dialogs/color_change_dialog.h - "色変更(RGB)" and "色変更(HSV)": the
// source colour ("元の色"), the target colour ("変更後の色") and the
// tolerance ("許容量"), each value an edit with a bar, and a swatch of
// either colour. Edits app.settings.color_rgb or color_hsv in place.
#pragma once
#include <QDialog>

class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;
class Swatch;

class ColorChangeDialog : public QDialog {
 public:
  ColorChangeDialog(QWidget* parent, AppState& app, bool hsv);

  // Fields by ColorChangeField (shell/ops/color_change_op.h).
  QLineEdit* value_field(int field) const { return fields_[field]; }
  QScrollBar* bar(int field) const { return bars_[field]; }
  Swatch* swatch(bool target) const { return swatches_[target ? 1 : 0]; }

 private:
  int* Value(int field);
  int Max(int field) const;
  // Bars, swatches and the fields other than the one being typed in.
  void Sync(int typed_field);

  AppState& app_;
  bool hsv_;
  QLineEdit* fields_[7] = {};
  QScrollBar* bars_[7] = {};
  Swatch* swatches_[2] = {};
};

bool RunColorRgbDialog(QWidget* parent, AppState& app, UiPort& ui);
bool RunColorHsvDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
