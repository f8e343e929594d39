// SPDX-License-Identifier: MIT
#include "gui/dialogs/dialog_widgets.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
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

EditBar NewEditBar(QWidget* parent, int* value, int bar_min, int bar_max, int page,
                   std::function<int(const std::string&)> parse, std::function<std::string(int)> text,
                   std::function<int(int)> position, std::function<int(int, int, int)> step) {
  auto* edit = new QLineEdit(QString::fromStdString(text(*value)), parent);
  edit->setFixedWidth(64);
  QScrollBar* bar = NewShellBar(parent, bar_min, bar_max, page, position(*value), [=](int action, int thumb) {
    *value = step(*value, action, thumb);
    edit->setText(QString::fromStdString(text(*value)));
    return position(*value);
  });
  QObject::connect(edit, &QLineEdit::textEdited, bar, [=](const QString& typed) {
    *value = parse(typed.toStdString());
    bar->setValue(position(*value));
  });
  return {edit, bar};
}

QHBoxLayout* NewChannelBoxes(QWidget* parent, int* const flags[3], QCheckBox* boxes[3]) {
  auto* row = new QHBoxLayout;
  const char* names[3] = {"R", "G", "B"};
  for (int c = 0; c < 3; ++c) {
    boxes[c] = new QCheckBox(names[c], parent);
    boxes[c]->setChecked(*flags[c] != 0);
    int* flag = flags[c];
    QObject::connect(boxes[c], &QCheckBox::toggled, parent, [flag](bool on) { *flag = on ? 1 : 0; });
    row->addWidget(boxes[c]);
  }
  row->addStretch(1);
  return row;
}

HistogramView::HistogramView(QWidget* parent, int height) : QWidget(parent) { setFixedSize(256, height); }

void HistogramView::SetHistogram(const PreviewHistogram& histogram) {
  histogram_ = histogram;
  update();
}

void HistogramView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (histogram_.peak == 0) return;
  const uint32_t* bins[3] = {histogram_.r, histogram_.g, histogram_.b};
  const QColor colours[3] = {QColor(255, 60, 60), QColor(60, 255, 60), QColor(80, 120, 255)};
  const int bottom = height() - 1;
  p.setCompositionMode(QPainter::CompositionMode_Plus);
  for (int c = 0; c < 3; ++c) {
    p.setPen(colours[c]);
    for (int i = 0; i < 256; ++i) {
      const int h = static_cast<int>(static_cast<uint64_t>(bins[c][i]) * bottom / histogram_.peak);
      if (h > 0) p.drawLine(i, bottom, i, bottom - h);
    }
  }
}

Swatch::Swatch(QWidget* parent) : QWidget(parent) { setFixedSize(48, 32); }

void Swatch::SetColour(int r, int g, int b) {
  rgb_[0] = r;
  rgb_[1] = g;
  rgb_[2] = b;
  update();
}

void Swatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(rgb_[0], rgb_[1], rgb_[2]));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tavo
