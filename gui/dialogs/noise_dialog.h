// SPDX-License-Identifier: MIT
// gui/dialogs/noise_dialog.h - "Noise Reduction": "処理エリア(3-5)", an edit
// and a two-position bar (3 or 5), and "ノイズ除去の強度(1-5)", an edit and
// a bar. OK stores both and sets the range threshold back to 10; Cancel
// changes nothing.
#pragma once
#include <QDialog>

class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class NoiseDialog : public QDialog {
 public:
  NoiseDialog(QWidget* parent, AppState& app);

  int area_position() const { return area_position_; }
  int strength() const { return strength_; }

  // Widgets, for driving the dialog from tests.
  QLineEdit* area_edit() const { return area_; }
  QScrollBar* area_bar() const { return area_bar_; }
  QLineEdit* strength_edit() const { return strength_edit_; }
  QScrollBar* strength_bar() const { return strength_bar_; }

  void accept() override;

 private:
  AppState& app_;
  int area_position_ = 1;
  int strength_ = 3;
  QLineEdit* area_ = nullptr;
  QScrollBar* area_bar_ = nullptr;
  QLineEdit* strength_edit_ = nullptr;
  QScrollBar* strength_bar_ = nullptr;
};

// Opens the dialog on the current settings; false on Cancel.
bool RunNoiseDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
