// SPDX-License-Identifier: MIT
// gui/dialogs/composite_points_dialog.h - "Composite(By point)": four image
// rows with a weight and the points A and B each, the combine mode, the
// noise option and level, the normalisation and the per-image shift.
// Choosing an image fills its row's points from the image's marked A and
// B. Weights, mode and options change as the controls do; OK stores the
// rows, their points, the noise level and the shifts.
#pragma once
#include <QDialog>

#include "gui/dialogs/composite_widgets.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class CompositePointsDialog : public QDialog {
 public:
  CompositePointsDialog(QWidget* parent, AppState& app);

  QComboBox* image_list(int row) const { return rows_.lists[row]; }
  QLineEdit* weight_edit(int row) const { return rows_.weight_edits[row]; }
  QScrollBar* weight_bar(int row) const { return rows_.weight_bars[row]; }
  QLineEdit* point_edit(int row, int k) const { return rows_.points[row][k]; }
  QRadioButton* mode_button(int mode) const { return modes_[mode]; }
  QCheckBox* noise_box() const { return noise_; }
  QCheckBox* move_box() const { return move_; }
  QCheckBox* normalise_box() const { return normalise_; }
  QLineEdit* noise_level_edit() const { return noise_level_; }
  QLineEdit* shift_x_edit() const { return shift_x_; }
  QLineEdit* shift_y_edit() const { return shift_y_; }

  void accept() override;

 private:
  void ShowNoiseOption();

  AppState& app_;
  PointImageRows rows_;
  QRadioButton* modes_[5] = {};
  QCheckBox* noise_ = nullptr;
  QCheckBox* move_ = nullptr;
  QCheckBox* normalise_ = nullptr;
  QLineEdit* noise_level_ = nullptr;
  QLineEdit* shift_x_ = nullptr;
  QLineEdit* shift_y_ = nullptr;
};

bool RunCompositePointsDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
