// SPDX-License-Identifier: MIT
// gui/dialogs/batch_dialog.h - "Batch Sequence": eight steps, each a list
// of actions and a "詳細設定" button, the "時間計測" box and OK/Cancel.
// Codes picked in the lists are kept at once (also on Cancel); the detail
// buttons open the operation dialogs and the save dialog through the UiPort.
#pragma once
#include <QDialog>

#include "batch/batch_sequence.h"
#include "shell/batch_dialog.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tavo {

class UiPort;

class BatchDialog : public QDialog {
 public:
  BatchDialog(QWidget* parent, AppState& app, UiPort& ui);

  // Widgets, for driving the dialog from tests.
  QComboBox* step_list(int row) const { return lists_[row]; }
  QPushButton* details_button(int row) const { return details_[row]; }
  QCheckBox* timing_box() const { return timing_; }

  // Refused with a message while the save step has no folder.
  void accept() override;

 private:
  AppState& app_;
  UiPort& ui_;
  BatchDialogModel model_;
  QComboBox* lists_[kBatchSteps] = {};
  QPushButton* details_[kBatchSteps] = {};
  QCheckBox* timing_ = nullptr;
};

// Opens the dialog on the current sequence; false on Cancel.
bool RunBatchDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
