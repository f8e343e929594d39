// SPDX-License-Identifier: MIT
// gui/dialogs/edge_dialog.h - "エッジ強調": the edge range in 8-bit units,
// the enhancement strength, the light/dark threshold in percent and the
// smoothing strength, each an edit with a bar, and the R, G, B boxes.
// Edits app.settings.edge as the controls change.
#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class EdgeDialog : public QDialog {
 public:
  EdgeDialog(QWidget* parent, AppState& app);

  // For tests. Rows: 0 range, 1 enhancement, 2 threshold, 3 smoothing.
  QLineEdit* edit(int row) const { return edits_[row]; }
  QScrollBar* bar(int row) const { return bars_[row]; }
  QCheckBox* channel_box(int c) const { return channels_[c]; }

 private:
  QLineEdit* edits_[4] = {};
  QScrollBar* bars_[4] = {};
  QCheckBox* channels_[3] = {};
};

bool RunEdgeDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
