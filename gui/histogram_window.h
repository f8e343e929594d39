// SPDX-License-Identifier: MIT
// gui/histogram_window.h - the histogram window ("Histgram"): a top-level
// window owned by the main window that paints the shell's drawing commands
// for the current image (shell/measure.h). Closing it destroys it.
#pragma once
#include <QWidget>
#include <vector>

#include "shell/measure.h"

class QPainter;

namespace tavo {

class MainWindow;

// Paints drawing commands: solid or dotted one-pixel lines and polylines,
// texts in a small fixed-pitch font.
void PaintDrawing(QPainter& painter, const std::vector<DrawItem>& items);

class HistogramWindow : public QWidget {
 public:
  explicit HistogramWindow(MainWindow* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  MainWindow* owner_;
};

}  // namespace tavo
