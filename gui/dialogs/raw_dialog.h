// SPDX-License-Identifier: MIT
// gui/dialogs/raw_dialog.h - "RAW現像設定": the development path, one bar
// with a read-only value per RAW setting, the sharpening radius and
// "初期設定". Every change is kept at once; on Cancel the command puts back
// everything but the path.
#pragma once
#include <QDialog>

#include "shell/raw_ui.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tavo {

class UiPort;

class RawDialog : public QDialog {
 public:
  RawDialog(QWidget* parent, AppState& app);

  // Widgets, for driving the dialog from tests; controls by RawControl.
  QRadioButton* path_button(int path) const { return paths_[path]; }
  QRadioButton* radius_button(int radius) const { return radii_[radius]; }
  QScrollBar* bar(int control) const { return bars_[control]; }
  QLineEdit* value(int control) const { return values_[control]; }
  QPushButton* defaults_button() const { return defaults_; }

  // Every control redrawn from the settings.
  void Sync();

 private:
  AppState& app_;
  QRadioButton* paths_[2] = {};
  QRadioButton* radii_[2] = {};
  QScrollBar* bars_[kRawControlCount] = {};
  QLineEdit* values_[kRawControlCount] = {};
  QPushButton* defaults_ = nullptr;
};

// Opens the dialog on the current RAW settings; false on Cancel.
bool RunRawDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
