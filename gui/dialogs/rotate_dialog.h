// SPDX-License-Identifier: MIT
// gui/dialogs/rotate_dialog.h - "回転": quarter and half turns, a typed
// angle (degrees with hundredths, anticlockwise positive) or a mirror.
// Edits app.settings.round as the controls change; OK stores the angle of
// a quarter or half turn.
#pragma once
#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;

class RotateDialog : public QDialog {
 public:
  RotateDialog(QWidget* parent, AppState& app);

  // For tests: kinds 0..5 as the settings number them.
  QRadioButton* kind_button(int kind) const { return kinds_[kind]; }
  QLineEdit* angle_edit() const { return angle_; }

  void accept() override;

 private:
  AppState& app_;
  QRadioButton* kinds_[6] = {};
  QLineEdit* angle_ = nullptr;
};

bool RunRotateDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
