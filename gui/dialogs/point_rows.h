// SPDX-License-Identifier: MIT
// gui/dialogs/point_rows.h - the four image rows of the composites by
// points: an image list, the composite weight as an edit and a bar
// (stored as either moves) and the points A and B, filled from the
// image's marked points when it is chosen.
#pragma once
#include <QString>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QScrollBar;
class QWidget;

namespace tavo {

struct AppState;

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
