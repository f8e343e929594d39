// SPDX-License-Identifier: MIT
// gui/dialogs/background_image_dialog.h - "バックグランド補正（画像データ参照）":
// multiplicative or subtractive, the shift and the image that holds the
// background. OK stores all three in app.settings.back1.
#pragma once
#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;

class BackgroundImageDialog : public QDialog {
 public:
  BackgroundImageDialog(QWidget* parent, AppState& app);

  QRadioButton* mode_button(int index) const { return modes_[index]; }  // 0 "乗算", 1 "引算"
  QLineEdit* shift_edit() const { return shift_; }
  QComboBox* image_list() const { return list_; }

  void accept() override;

 private:
  AppState& app_;
  QRadioButton* modes_[2] = {};
  QLineEdit* shift_ = nullptr;
  QComboBox* list_ = nullptr;
};

bool RunBackgroundImageDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
