// SPDX-License-Identifier: MIT
#include "gui/image_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "gui/main_window.h"
#include "shell/image_window.h"
#include "shell/view.h"

namespace tavo {
namespace {

// Wheel notches scroll three lines, as other viewers do.
constexpr int kWheelLines = 3;

}  // namespace

ImageView::ImageView(MainWindow* window) : QAbstractScrollArea(window), window_(window) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFrameShape(QFrame::NoFrame);
  // Keys belong to the main window (arrows move between images).
  setFocusPolicy(Qt::NoFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    bar->setRange(0, 100);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setFocusPolicy(Qt::NoFocus);
  }
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { ScrollAction(kScrollHorizontal, action); });
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { ScrollAction(kScrollVertical, action); });
}

void ImageView::Refresh() {
  viewport()->update();
  SyncScrollBars();
}

void ImageView::SyncScrollBars() {
  const AppState& app = window_->app();
  const int c = app.slots.current;
  int h = 0, v = 0;
  if (c >= 0 && c < kSlotCount && !app.slots[c].Empty()) {
    h = ScrollBarPosition(app.slots[c], app.client_width, app.client_height, kScrollHorizontal);
    v = ScrollBarPosition(app.slots[c], app.client_width, app.client_height, kScrollVertical);
  }
  const QSignalBlocker hb(horizontalScrollBar());
  const QSignalBlocker vb(verticalScrollBar());
  horizontalScrollBar()->setValue(h);
  verticalScrollBar()->setValue(v);
}

void ImageView::ScrollAction(int bar, int qt_action) {
  AppState& app = window_->app();
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  QScrollBar* sb = bar == kScrollHorizontal ? horizontalScrollBar() : verticalScrollBar();
  int action = -1;
  switch (qt_action) {
    case QAbstractSlider::SliderSingleStepSub: action = kScrollLineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: action = kScrollLineDown; break;
    case QAbstractSlider::SliderPageStepSub: action = kScrollPageUp; break;
    case QAbstractSlider::SliderPageStepAdd: action = kScrollPageDown; break;
    case QAbstractSlider::SliderMove: action = kScrollThumb; break;
    case QAbstractSlider::SliderToMinimum: action = kScrollThumb; break;
    case QAbstractSlider::SliderToMaximum: action = kScrollThumb; break;
    default: return;
  }
  ScrollImage(*image, app.client_width, app.client_height, bar, action, sb->sliderPosition());
  // The bar shows where the shell put the view, not where Qt would have.
  sb->setSliderPosition(ScrollBarPosition(*image, app.client_width, app.client_height, bar));
  viewport()->update();
}

void ImageView::scrollContentsBy(int, int) { viewport()->update(); }

void ImageView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  AppState& app = window_->app();
  Image* image = CurrentImage(app);
  if (image == nullptr || !RenderDisplay(*image, app.client_width, app.client_height, &frame_)) {
    frame_ = DisplayFrame();
    return;
  }
  for (const DisplayStrip& s : frame_.strips) {
    const QImage strip(frame_.rgb.data() + static_cast<size_t>(s.first_row) * frame_.stride, frame_.width, s.rows,
                       frame_.stride, QImage::Format_RGB888);
    // Above 100 % each sample becomes a block of zoom / 100 pixels.
    painter.drawImage(QRect(s.x, s.y, s.w, s.h), strip);
  }
  for (const Marker& m : ImageMarkers(app)) {
    const QColor colour(m.r, m.g, m.b);
    painter.setPen(colour);
    painter.drawLine(m.x - 2, m.y, m.x + 3, m.y);
    painter.drawLine(m.x, m.y - 2, m.x, m.y + 3);
    if (m.label != 0) {
      const QString text(QChar(m.label));
      const QFontMetrics fm = painter.fontMetrics();
      const QRect box(m.x + 5, m.y - 6, fm.horizontalAdvance(text), fm.height());
      painter.fillRect(box, Qt::black);
      painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    }
  }
  int x = 0, y = 0, w = 0, h = 0;
  if (AreaScreenRect(app, &x, &y, &w, &h)) {
    painter.setPen(QPen(QColor(255, 255, 0), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(x, y, w - 1, h - 1);
  }
  SyncScrollBars();
  window_->RefreshHistogram();
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  const int button = event->button() == Qt::LeftButton ? kMouseLeft : event->button() == Qt::RightButton ? kMouseRight : 0;
  if (button == 0) return;
  const QPoint p = event->position().toPoint();
  ImageMouseDown(window_->app(), window_->port(), button, p.x(), p.y());
  window_->Refresh();
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  ImageMouseUp(window_->app(), window_->port(), kMouseLeft, p.x(), p.y());
  window_->Refresh();
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  AppState& app = window_->app();
  ImageMouseMove(app, p.x(), p.y());
  window_->RefreshStatus();
  if (app.area_flag == 2) viewport()->update();
}

void ImageView::wheelEvent(QWheelEvent* event) {
  AppState& app = window_->app();
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  const QPoint delta = event->angleDelta();
  const bool horizontal = delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
  const int amount = horizontal && delta.x() != 0 ? delta.x() : delta.y();
  const int notches = amount / 120 != 0 ? amount / 120 : (amount > 0 ? 1 : amount < 0 ? -1 : 0);
  const int bar = horizontal ? kScrollHorizontal : kScrollVertical;
  const int action = notches > 0 ? kScrollLineUp : kScrollLineDown;
  const int lines = (notches > 0 ? notches : -notches) * kWheelLines;
  for (int i = 0; i < lines; ++i) ScrollImage(*image, app.client_width, app.client_height, bar, action, 0);
  event->accept();
  Refresh();
}

void ImageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  window_->StoreClientSize();
}

}  // namespace tavo
