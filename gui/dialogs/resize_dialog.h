// SPDX-License-Identifier: MIT
// gui/dialogs/resize_dialog.h - "サイズ変更": keep aspect ratio, the
// method, and per axis the from size (the image's when the dialog opens)
// and the to size. Edits app.settings.resize as the controls change; a
// typed to size with keep aspect on rewrites the other axis's to size.
#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;

class ResizeDialog : public QDialog {
 public:
  ResizeDialog(QWidget* parent, AppState& app);

  // For tests; axis 0 is X, 1 is Y.
  QCheckBox* keep_aspect_box() const { return keep_aspect_; }
  QRadioButton* method_button(int method) const { return methods_[method]; }
  QLineEdit* from_edit(int axis) const { return from_[axis]; }
  QLineEdit* to_edit(int axis) const { return to_[axis]; }

 private:
  QCheckBox* keep_aspect_ = nullptr;
  QRadioButton* methods_[4] = {};
  QLineEdit* from_[2] = {};
  QLineEdit* to_[2] = {};
};

bool RunResizeDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
