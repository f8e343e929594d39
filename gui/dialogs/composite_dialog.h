// SPDX-License-Identifier: MIT
// gui/dialogs/composite_dialog.h - "Composite(Auto)": four image rows with
// a weight each, the combine mode, the compare method and range, the noise
// option and level, the normalisation and the per-image shift. Edits
// app.settings.composite in place as controls change (Cancel keeps those
// edits); OK stores the image rows, the noise level and the shifts.
#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class CompositeDialog : public QDialog {
 public:
  CompositeDialog(QWidget* parent, AppState& app);

  // Widgets, for driving the dialog from tests.
  QComboBox* image_list(int row) const { return lists_[row]; }
  QLineEdit* weight_edit(int row) const { return weight_edits_[row]; }
  QScrollBar* weight_bar(int row) const { return weight_bars_[row]; }
  QRadioButton* mode_button(int mode) const { return modes_[mode]; }
  QRadioButton* method_button(int method) const { return methods_[method]; }
  QLineEdit* range_edit() const { return range_; }
  QCheckBox* noise_box() const { return noise_; }
  QCheckBox* move_box() const { return move_; }
  QLineEdit* noise_level_edit() const { return noise_level_; }
  QCheckBox* normalise_box() const { return normalise_; }
  QLineEdit* shift_x_edit() const { return shift_x_; }
  QLineEdit* shift_y_edit() const { return shift_y_; }

  void accept() override;

 private:
  void BuildRows(QGridLayout* grid);
  void ScrollWeight(int row, int qt_action);
  void ShowNoiseOption();

  AppState& app_;
  QComboBox* lists_[4] = {};
  QLineEdit* weight_edits_[4] = {};
  QScrollBar* weight_bars_[4] = {};
  QRadioButton* modes_[5] = {};
  QRadioButton* methods_[3] = {};
  QLineEdit* range_ = nullptr;
  QCheckBox* noise_ = nullptr;
  QCheckBox* move_ = nullptr;
  QLineEdit* noise_level_ = nullptr;
  QCheckBox* normalise_ = nullptr;
  QLineEdit* shift_x_ = nullptr;
  QLineEdit* shift_y_ = nullptr;
};

// Opens the dialog on the current settings and images; false on Cancel.
bool RunCompositeDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
