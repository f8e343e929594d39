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

ImageView::ImageView(MainWindow* window) : QAbstractScrollArea(window), window_(window) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFrameShape(QFrame::NoFrame);
  // Keys belong to the main window (arrows move between images).
  setFocusPolicy(Qt::NoFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    bar->setRange(0, 0);
    bar->setSingleStep(kScrollLine);
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
  const bool shown = c >= 0 && c < kSlotCount && !app.slots[c].Empty();
  for (int bar : {kScrollHorizontal, kScrollVertical}) {
    ScrollBarRange range;
    if (shown) range = ScrollBarRangeOf(app.slots[c], app.client_width, app.client_height, bar);
    QScrollBar* sb = bar == kScrollHorizontal ? horizontalScrollBar() : verticalScrollBar();
    const QSignalBlocker block(sb);
    sb->setRange(0, range.maximum);
    sb->setPageStep(range.page);
    sb->setValue(range.value);
  }
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
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: action = kScrollTo; break;
    default: return;
  }
  ScrollImage(*image, app.client_width, app.client_height, bar, action, sb->sliderPosition());
  // The bar shows where the shell put the view, not where Qt would have.
  sb->setSliderPosition(ScrollBarRangeOf(*image, app.client_width, app.client_height, bar).value);
  viewport()->update();
}

void ImageView::scrollContentsBy(int, int) { viewport()->update(); }

void ImageView::paintEvent(QPaintEvent*) {
  if (window_->PaintFrozen(viewport())) return;
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  AppState& app = window_->app();
  Image* image = CurrentImage(app);
  if (image != nullptr) UpdateStretchTables(*image, app.settings.display.stretch, &stretch_);
  if (image == nullptr || !RenderDisplay(*image, app.client_width, app.client_height, &frame_, &stretch_)) {
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
  if (window_->working()) return;
  const QPoint p = event->position().toPoint();
  AppState& app = window_->app();
  ImageMouseMove(app, p.x(), p.y());
  window_->RefreshStatus();
  if (app.area_flag == 2) viewport()->update();
}

void ImageView::leaveEvent(QEvent* event) {
  if (!window_->working()) {
    ImageMouseLeave(window_->app());
    window_->RefreshStatus();
  }
  QAbstractScrollArea::leaveEvent(event);
}

void ImageView::wheelEvent(QWheelEvent* event) {
  AppState& app = window_->app();
  Image* image = CurrentImage(app);
  event->accept();
  if (image == nullptr) return;
  const QPoint delta = event->angleDelta();
  const bool zoom = (event->modifiers() & Qt::ControlModifier) != 0;
  const bool horizontal = !zoom && (delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier));
  const int amount = horizontal && delta.x() != 0 ? delta.x() : delta.y();
  // Smooth-scrolling devices send fractions of a notch: each counts as one.
  const int notches = amount / 120 != 0 ? amount / 120 : (amount > 0 ? 1 : amount < 0 ? -1 : 0);
  if (notches == 0) return;
  if (zoom) {
    const QPoint p = event->position().toPoint();
    // One step a turn of the wheel, however far it turned.
    if (!ZoomAboutPointer(*image, app.client_width, app.client_height, p.x(), p.y(), notches > 0)) return;
  } else {
    ScrollByWheel(*image, app.client_width, app.client_height, horizontal ? kScrollHorizontal : kScrollVertical,
                  notches);
  }
  window_->Refresh();
}

void ImageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  window_->StoreClientSize();
}

}  // namespace tavo
