// SPDX-License-Identifier: MIT
// gui/toolbar_row.h - the 24-pixel row above the image: 17 buttons, then
// the black status bar; in batch mode one black banner.
#pragma once
#include <QWidget>

namespace tavo {

class MainWindow;

class ToolbarRow : public QWidget {
 public:
  explicit ToolbarRow(MainWindow* window);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  MainWindow* window_;
};

}  // namespace tavo
