// SPDX-License-Identifier: MIT
// gui/dialogs/saturation_hue_dialog.h - "彩度/色相調整": saturation and hue
// as changes (edits and bars) and two hue strips, the circle as it is and
// as the adjustment moves it. Edits app.settings.color in place.
#pragma once
#include <QDialog>

class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;
class HueStripView;

class SaturationHueDialog : public QDialog {
 public:
  SaturationHueDialog(QWidget* parent, AppState& app);

  // Fields by ColorField (shell/ops/saturation_hue_op.h).
  QLineEdit* value_field(int field) const { return fields_[field]; }
  QScrollBar* bar(int field) const { return bars_[field]; }

 private:
  // Bars (and the fields other than the one being typed in) from the
  // settings; the strips redrawn.
  void Sync(int typed_field);

  AppState& app_;
  QLineEdit* fields_[2] = {};
  QScrollBar* bars_[2] = {};
  HueStripView* strips_ = nullptr;
};

bool RunSaturationHueDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
