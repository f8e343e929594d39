// SPDX-License-Identifier: MIT
// gui/dialogs/black_white_dialog.h - "白黒化": four modes and the three
// weights. Edits app.settings.gray in place.
#pragma once
#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;

class BlackWhiteDialog : public QDialog {
 public:
  BlackWhiteDialog(QWidget* parent, AppState& app);

  QRadioButton* mode_button(int mode) const { return modes_[mode]; }
  QLineEdit* weight_field(int channel) const { return weights_[channel]; }

 private:
  void ShowWeights();

  AppState& app_;
  QRadioButton* modes_[4] = {};
  QLineEdit* weights_[3] = {};
};

bool RunBlackWhiteDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
