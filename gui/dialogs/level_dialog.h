// SPDX-License-Identifier: MIT
// gui/dialogs/level_dialog.h - "LEVEL": the table selector, seven scroll
// bars with read-only values, the mapping curves on a 256 x 256 grid and
// a preview histogram. Edits app.settings.lvl in place; Cancel keeps the
// edits too.
#pragma once
#include <QDialog>

#include "core/image.h"
#include "shell/ops/level_op.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;
class HistogramView;
class LevelGraph;

class LevelDialog : public QDialog {
 public:
  LevelDialog(QWidget* parent, AppState& app);

  // Widgets, for driving the dialog from tests; fields by LevelField.
  QRadioButton* table_button(int table) const { return tables_[table]; }
  QScrollBar* bar(int field) const { return bars_[field]; }
  QLineEdit* value_field(int field) const { return fields_[field]; }
  QPushButton* reset_button() const { return reset_; }
  HistogramView* preview() const { return preview_; }

  // Bars, fields, curves and preview redrawn from the settings.
  void Sync();

 private:
  AppState& app_;
  Image sample_;  // the pixels the preview is computed from
  QRadioButton* tables_[4] = {};
  QScrollBar* bars_[kLevelFieldCount] = {};
  QLineEdit* fields_[kLevelFieldCount] = {};
  QPushButton* reset_ = nullptr;
  LevelGraph* graph_ = nullptr;
  HistogramView* preview_ = nullptr;
};

bool RunLevelDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
