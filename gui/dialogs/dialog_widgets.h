// SPDX-License-Identifier: MIT
// gui/dialogs/dialog_widgets.h - small pieces the operation dialogs share:
// UTF-8 labels and horizontal scroll bars whose position the shell decides.
#pragma once
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "tone/preview.h"

class QCheckBox;
class QHBoxLayout;
class QLineEdit;
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

// An edit and a bar that both show one setting `*value`: typing stores
// parse(text) and moves the bar to position(value); a bar event stores
// step(value, action, thumb) and shows text(value) in the edit. The bar
// spans bar_min..bar_max; `page` only sizes its thumb.
struct EditBar {
  QLineEdit* edit;
  QScrollBar* bar;
};
EditBar NewEditBar(QWidget* parent, int* value, int bar_min, int bar_max, int page,
                   std::function<int(const std::string&)> parse, std::function<std::string(int)> text,
                   std::function<int(int)> position, std::function<int(int value, int action, int thumb)> step);

// The "R", "G", "B" boxes of a per-channel filter in one row, each
// toggling its flag (0/1); the boxes go to `boxes`.
QHBoxLayout* NewChannelBoxes(QWidget* parent, int* const flags[3], QCheckBox* boxes[3]);

// A whole number shown as "%d".
inline std::string IntText(int v) { return std::to_string(v); }

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
