// SPDX-License-Identifier: MIT
// gui/dialogs/background_points_dialog.h - "バックグランド補正（ポイント指定）":
// multiplicative or subtractive and the shift; OK stores both in
// app.settings.back1 (the background slot stays as it is).
#pragma once
#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;

class BackgroundPointsDialog : public QDialog {
 public:
  BackgroundPointsDialog(QWidget* parent, AppState& app);

  QRadioButton* mode_button(int index) const { return modes_[index]; }  // 0 "乗算", 1 "引算"
  QLineEdit* shift_edit() const { return shift_; }

  void accept() override;

 private:
  AppState& app_;
  QRadioButton* modes_[2] = {};
  QLineEdit* shift_ = nullptr;
};

bool RunBackgroundPointsDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
