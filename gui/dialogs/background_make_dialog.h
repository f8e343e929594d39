// SPDX-License-Identifier: MIT
// gui/dialogs/background_make_dialog.h - "Make background": the detection
// and averaging areas with their bars, the two-pass and exclude-zero boxes,
// the correction and its shift. Edits app.settings.back3 as the controls
// change; OK stores the shift.
#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class BackgroundMakeDialog : public QDialog {
 public:
  BackgroundMakeDialog(QWidget* parent, AppState& app);

  QLineEdit* detect_edit() const { return detect_; }
  QScrollBar* detect_bar() const { return detect_bar_; }
  QLineEdit* average_edit() const { return average_; }
  QScrollBar* average_bar() const { return average_bar_; }
  QCheckBox* two_pass_box() const { return two_pass_; }
  QCheckBox* exclude_zero_box() const { return exclude_zero_; }
  QRadioButton* correction_button(int correction) const { return corrections_[correction]; }
  QLineEdit* shift_edit() const { return shift_; }

  void accept() override;

 private:
  AppState& app_;
  QLineEdit* detect_ = nullptr;
  QScrollBar* detect_bar_ = nullptr;
  QLineEdit* average_ = nullptr;
  QScrollBar* average_bar_ = nullptr;
  QCheckBox* two_pass_ = nullptr;
  QCheckBox* exclude_zero_ = nullptr;
  QRadioButton* corrections_[3] = {};
  QLineEdit* shift_ = nullptr;
};

bool RunBackgroundMakeDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
