// SPDX-License-Identifier: MIT
// gui/dialogs/lrgb_comp_dialog.h - "LRGB composite": rows L, R, G, B, each
// an image, a weight (the composite weights, changed as the controls move)
// and the points A and B, filled from the image's marked points when it is
// chosen. OK stores the images and the points.
#pragma once
#include <QDialog>

#include "gui/dialogs/composite_widgets.h"

class QComboBox;
class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class LrgbCompDialog : public QDialog {
 public:
  LrgbCompDialog(QWidget* parent, AppState& app);

  QComboBox* image_list(int row) const { return rows_.lists[row]; }
  QLineEdit* weight_edit(int row) const { return rows_.weight_edits[row]; }
  QScrollBar* weight_bar(int row) const { return rows_.weight_bars[row]; }
  QLineEdit* point_edit(int row, int k) const { return rows_.points[row][k]; }

  void accept() override;

 private:
  AppState& app_;
  PointImageRows rows_;
};

bool RunLrgbCompDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
