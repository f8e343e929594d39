// SPDX-License-Identifier: MIT
#include "gui/dialogs/dialog_widgets.h"

#include <QScrollBar>

#include "shell/dialog_logic.h"

namespace tavo {

int ShellScrollAction(int qt_action) {
  switch (qt_action) {
    case QAbstractSlider::SliderSingleStepSub: return kScrollLineLeft;
    case QAbstractSlider::SliderSingleStepAdd: return kScrollLineRight;
    case QAbstractSlider::SliderPageStepSub: return kScrollPageLeft;
    case QAbstractSlider::SliderPageStepAdd: return kScrollPageRight;
    // Qt has already moved the slider position to the end for these.
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
    case QAbstractSlider::SliderMove: return kScrollTrack;
    default: return -1;
  }
}

QScrollBar* NewShellBar(QWidget* parent, int min, int max, int page, int position,
                        std::function<int(int action, int thumb)> step) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setRange(min, max);
  bar->setSingleStep(1);
  bar->setPageStep(page);
  bar->setValue(position);
  bar->setMinimumWidth(120);
  // actionTriggered comes after Qt moved the slider position and before it
  // commits it as the value, so the position set here is the one kept.
  QObject::connect(bar, &QScrollBar::actionTriggered, bar, [bar, step](int qt_action) {
    const int action = ShellScrollAction(qt_action);
    if (action < 0) return;
    bar->setSliderPosition(step(action, bar->sliderPosition()));
  });
  return bar;
}

}  // namespace tavo
