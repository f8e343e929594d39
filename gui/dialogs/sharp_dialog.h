// SPDX-License-Identifier: MIT
// gui/dialogs/sharp_dialog.h - "シャープ/スムーズ": the radius of the mean,
// the smoothing range in 8-bit units, the two strengths, each an edit with
// a bar, and the R, G, B boxes. Edits app.settings.sharp as the controls
// change, so Cancel keeps what was edited.
#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class SharpDialog : public QDialog {
 public:
  SharpDialog(QWidget* parent, AppState& app);

  // For tests. Rows: 0 radius, 1 range, 2 smoothing, 3 enhancement.
  QLineEdit* edit(int row) const { return edits_[row]; }
  QScrollBar* bar(int row) const { return bars_[row]; }
  QCheckBox* channel_box(int c) const { return channels_[c]; }

 private:
  QLineEdit* edits_[4] = {};
  QScrollBar* bars_[4] = {};
  QCheckBox* channels_[3] = {};
};

bool RunSharpDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
