// SPDX-License-Identifier: MIT
// gui/dialogs/crop_dialog.h - "切り出しとサイズ変更": the anchor on a 3 x 3
// grid, the crop size, and the output either as a size or as a percentage
// of the crop. Edits app.settings.cut as the controls change.
#pragma once
#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;

class CropDialog : public QDialog {
 public:
  CropDialog(QWidget* parent, AppState& app);

  // For tests. Anchors 0..8 row by row from the top left; edits 0 crop
  // width, 1 crop height, 2 output width, 3 output height, 4 scale.
  QRadioButton* anchor_button(int anchor) const { return anchors_[anchor]; }
  QRadioButton* mode_button(int mode) const { return modes_[mode]; }
  QLineEdit* edit(int index) const { return edits_[index]; }

 private:
  QRadioButton* anchors_[9] = {};
  QRadioButton* modes_[2] = {};
  QLineEdit* edits_[5] = {};
};

bool RunCropDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
