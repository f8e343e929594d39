// SPDX-License-Identifier: MIT
// gui/dialogs/lrgb_comp_dialog.h - "LRGB composite": rows L, R, G, B, each
// an image, a weight (the composite weights, changed as the controls move)
// and the points A and B, filled from the image's marked points when it is
// chosen. OK stores the images and the points.
#pragma once
#include <QDialog>

class QComboBox;
class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class LrgbCompDialog : public QDialog {
 public:
  LrgbCompDialog(QWidget* parent, AppState& app);

  QComboBox* image_list(int row) const { return lists_[row]; }
  QLineEdit* weight_edit(int row) const { return weight_edits_[row]; }
  QScrollBar* weight_bar(int row) const { return weight_bars_[row]; }
  QLineEdit* point_edit(int row, int k) const { return points_[row][k]; }

  void accept() override;

 private:
  AppState& app_;
  QComboBox* lists_[4] = {};
  QLineEdit* weight_edits_[4] = {};
  QScrollBar* weight_bars_[4] = {};
  QLineEdit* points_[4][4] = {};
};

bool RunLrgbCompDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
