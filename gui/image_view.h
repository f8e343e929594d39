// SPDX-License-Identifier: MIT
// gui/image_view.h - the image window: paints the shell's display strips,
// the markers and the area being selected, and hands mouse, wheel and
// scroll bar actions to the shell. The scroll bars count image pixels: a
// page is the visible extent, so the thumb shows exactly what is in view.
#pragma once
#include <QAbstractScrollArea>

#include "shell/display.h"

namespace tavo {

class MainWindow;

class ImageView : public QAbstractScrollArea {
 public:
  explicit ImageView(MainWindow* window);

  // Repaints and sets the scroll bars from the current scroll.
  void Refresh();

  // The buffer last painted (for tests).
  const DisplayFrame& frame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void ScrollAction(int bar, int qt_action);
  void SyncScrollBars();

  MainWindow* window_;
  DisplayFrame frame_;
  StretchTables stretch_;
};

}  // namespace tavo
