// SPDX-License-Identifier: MIT
// gui/dialogs/dark_dialog.h - "Dark file Select": the list of up to four
// dark RAW files with "追加" and "削除", the handling of defective pixels
// and the defect threshold. Every change is kept at once; the dialog has
// only OK, and closing it any other way counts as OK too.
#pragma once
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class DarkDialog : public QDialog {
 public:
  DarkDialog(QWidget* parent, AppState& app, UiPort& ui);

  // Widgets, for driving the dialog from tests.
  QListWidget* file_list() const { return list_; }
  QPushButton* add_button() const { return add_; }
  QPushButton* delete_button() const { return delete_; }
  QRadioButton* mode_button(int mode) const { return modes_[mode]; }
  QScrollBar* threshold_bar() const { return threshold_bar_; }
  QLabel* threshold_number() const { return threshold_; }

  void reject() override;

 private:
  void FillList();

  AppState& app_;
  UiPort& ui_;
  int selected_ = -1;  // list line to delete, -1 for none
  QListWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* delete_ = nullptr;
  QRadioButton* modes_[3] = {};
  QScrollBar* threshold_bar_ = nullptr;
  QLabel* threshold_ = nullptr;
};

// Opens the dialog on the current dark list and settings; picking files
// and refusals go through `ui`. Always true.
bool RunDarkDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
