// SPDX-License-Identifier: MIT
// gui/dialogs/lrgb_dialog.h - "L+RGB画像合成": the luminance and the
// colour image, each with its points A and B, filled from the image's
// marked points when it is chosen. OK stores both images and the points.
#pragma once
#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tavo {

struct AppState;
class UiPort;

class LrgbDialog : public QDialog {
 public:
  LrgbDialog(QWidget* parent, AppState& app);

  // Row 0 the L image, row 1 the RGB image.
  QComboBox* image_list(int row) const { return lists_[row]; }
  QLineEdit* point_edit(int row, int k) const { return points_[row][k]; }

  void accept() override;

 private:
  AppState& app_;
  QComboBox* lists_[2] = {};
  QLineEdit* points_[2][4] = {};
};

bool RunLrgbDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
