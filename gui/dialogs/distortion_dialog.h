// SPDX-License-Identifier: MIT
// gui/dialogs/distortion_dialog.h - "歪曲収差補正": the correction at the
// image corner in pixels (positive outwards). Edits app.settings.waikyoku
// as it is typed.
#pragma once
#include <QDialog>

class QLineEdit;

namespace tavo {

struct AppState;
class UiPort;

class DistortionDialog : public QDialog {
 public:
  DistortionDialog(QWidget* parent, AppState& app);
  QLineEdit* corner_edit() const { return corner_; }  // for tests

 private:
  QLineEdit* corner_ = nullptr;
};

bool RunDistortionDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
