// SPDX-License-Identifier: MIT
// gui/dialogs/dialog_widgets.h - small pieces the operation dialogs share:
// UTF-8 labels and horizontal scroll bars whose position the shell decides.
#pragma once
#include <QString>
#include <QWidget>
#include <functional>

#include "tone/preview.h"

class QScrollBar;
class QWidget;

namespace tavo {

inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

// The shell's scroll event (shell/dialog_logic.h) for a Qt slider action;
// -1 for actions the dialogs do not use.
int ShellScrollAction(int qt_action);

// A horizontal bar over min..max showing `position`; `page` only sizes
// the thumb. Every arrow, page
// click or drag goes to `step` with the shell's event and the position Qt
// proposes (the thumb's, for a drag); the bar then shows the position
// `step` returns rather than Qt's own.
QScrollBar* NewShellBar(QWidget* parent, int min, int max, int page, int position,
                        std::function<int(int action, int thumb)> step);

// Bars of the R, G and B histograms of a preview, 256 wide, added light
// where they overlap, scaled to the largest bin.
class HistogramView : public QWidget {
 public:
  HistogramView(QWidget* parent, int height);
  void SetHistogram(const PreviewHistogram& histogram);
  const PreviewHistogram& histogram() const { return histogram_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PreviewHistogram histogram_;
};

// A filled square of one 8-bit colour.
class Swatch : public QWidget {
 public:
  explicit Swatch(QWidget* parent);
  void SetColour(int r, int g, int b);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int rgb_[3] = {0, 0, 0};
};

}  // namespace tavo
