// SPDX-License-Identifier: MIT
// gui/dialogs/background_dialog.h - "バックグランド補正(２次関数近似)":
// multiplicative or subtractive, the centre and corner levels per channel,
// the curve parameter with its bar and the shift. Edits
// app.settings.back2 in place as controls change; OK applies the
// centre-above-periphery rule.
#pragma once
#include <QDialog>

class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class BackgroundDialog : public QDialog {
 public:
  BackgroundDialog(QWidget* parent, AppState& app);

  // Widgets, for driving the dialog from tests. Level edits are numbered
  // as the settings: R centre, R periphery, G centre, ...
  QRadioButton* mode_button(int mode) const { return modes_[mode]; }
  QLineEdit* level_edit(int index) const { return levels_[index]; }
  QLineEdit* curve_edit() const { return curve_; }
  QScrollBar* curve_bar() const { return curve_bar_; }
  QLineEdit* shift_edit() const { return shift_; }

  void accept() override;

 private:
  AppState& app_;
  QRadioButton* modes_[2] = {};
  QLineEdit* levels_[6] = {};
  QLineEdit* curve_ = nullptr;
  QScrollBar* curve_bar_ = nullptr;
  QLineEdit* shift_ = nullptr;
};

// Opens the dialog on the current settings; false on Cancel.
bool RunBackgroundDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
