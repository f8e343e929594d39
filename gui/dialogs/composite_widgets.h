// SPDX-License-Identifier: MIT
// gui/dialogs/composite_widgets.h - controls the composite dialogs share:
// the combine mode, and the four image rows of the composites by points
// (an image list, the composite weight as an edit and a bar, stored as
// either moves, and the points A and B, filled from the image's marked
// points when it is chosen).
#pragma once
#include <QString>

class QComboBox;
class QGroupBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace tavo {

struct AppState;

// "合成方法": the five combine modes, one button each into `buttons`,
// stacked or side by side; a click stores the mode at once.
QGroupBox* NewCompositeModeBox(QWidget* parent, AppState& app, bool vertical, QRadioButton* buttons[5]);

struct PointImageRows {
  QComboBox* lists[4] = {};
  QLineEdit* weight_edits[4] = {};
  QScrollBar* weight_bars[4] = {};
  QLineEdit* points[4][4] = {};
};

// Fills `rows` with the controls, laid out two grid rows each in `grid`
// (of `box`) under `titles`, each list showing the image of `inputs`.
void AddPointImageRows(QWidget* box, QGridLayout* grid, AppState& app, const QString titles[4], const int inputs[4],
                       PointImageRows& rows);

}  // namespace tavo
