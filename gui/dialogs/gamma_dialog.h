// SPDX-License-Identifier: MIT
// gui/dialogs/gamma_dialog.h - "GAMMA": the three points of the tone curve
// on a 256 x 256 graph, the table selector, straight or curved, and a
// preview histogram. Edits app.settings.gamma in place.
#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavo {

struct AppState;
class UiPort;
class GammaGraph;
class GammaPreviewView;

class GammaDialog : public QDialog {
 public:
  GammaDialog(QWidget* parent, AppState& app);

  // The point (0..2) the fields show and OK stores into.
  int selected_point() const { return selected_; }
  void SelectPoint(int point);

  // Widgets, for driving the dialog from tests.
  QRadioButton* table_button(int table) const { return tables_[table]; }
  QRadioButton* straight_button() const { return straight_; }
  QRadioButton* curved_button() const { return curved_; }
  QPushButton* reset_button() const { return reset_; }
  QLineEdit* input_field() const { return input_; }
  QLineEdit* output_field() const { return output_; }
  GammaGraph* graph() const { return graph_; }

  // Everything redrawn from the settings.
  void Sync();

  void accept() override;

 private:
  void StoreFields();

  AppState& app_;
  int selected_ = 1;
  QRadioButton* tables_[4] = {};
  QRadioButton* straight_ = nullptr;
  QRadioButton* curved_ = nullptr;
  QPushButton* reset_ = nullptr;
  QLineEdit* input_ = nullptr;
  QLineEdit* output_ = nullptr;
  GammaGraph* graph_ = nullptr;
  GammaPreviewView* preview_ = nullptr;
};

// The graph: x is the input, y the output counted upwards, one pixel per
// 8-bit step. Pressing near a point picks it up; dragging moves it.
class GammaGraph : public QWidget {
 public:
  GammaGraph(GammaDialog* dialog, AppState& app);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  GammaDialog* dialog_;
  AppState& app_;
  int dragging_ = -1;
};

// Opens the dialog on the current settings; false on Cancel.
bool RunGammaDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
