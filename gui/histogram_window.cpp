// SPDX-License-Identifier: MIT
#include "gui/histogram_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QPainter>
#include <QPolygon>

#include "gui/main_window.h"

namespace tavo {

void PaintDrawing(QPainter& painter, const std::vector<DrawItem>& items) {
  QFont font("Monospace");
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(11);
  painter.setFont(font);
  const QRect area = painter.viewport();
  for (const DrawItem& item : items) {
    if (item.points.empty()) continue;
    const QColor colour(item.r, item.g, item.b);
    painter.setPen(QPen(colour, 1, item.kind == kDrawDottedLine ? Qt::DotLine : Qt::SolidLine));
    switch (item.kind) {
      case kDrawLine:
      case kDrawDottedLine:
        if (item.points.size() >= 2) {
          painter.drawLine(item.points[0].x, item.points[0].y, item.points[1].x, item.points[1].y);
        }
        break;
      case kDrawPolyline: {
        QPolygon line(static_cast<int>(item.points.size()));
        for (size_t i = 0; i < item.points.size(); ++i) {
          line.setPoint(static_cast<int>(i), item.points[i].x, item.points[i].y);
        }
        painter.drawPolyline(line);
        break;
      }
      case kDrawText: {
        const QRect box(item.points[0].x, item.points[0].y, area.width(), area.height());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(item.text));
        break;
      }
      default: break;
    }
  }
}

HistogramWindow::HistogramWindow(MainWindow* owner) : QWidget(owner, Qt::Window), owner_(owner) {
  setObjectName("HISTGRAM");
  setWindowTitle(QString::fromUtf8(kMeasureWindowTitle));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kMeasureWindowWidth, kMeasureWindowHeight);
  // Keys stay with the main window (A and B mark points under the mouse).
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
}

void HistogramWindow::paintEvent(QPaintEvent*) {
  if (owner_->PaintFrozen(this)) return;
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  PaintDrawing(painter, MeasureDrawing(owner_->app()));
}

void HistogramWindow::closeEvent(QCloseEvent* event) {
  if (owner_->histogram_window() == this) {  // the user's close, not the window's Refresh
    // The flag is the AppState's, which the worker may be reading.
    if (owner_->working()) {
      event->ignore();
      return;
    }
    owner_->app().histogram_open = false;
  }
  QWidget::closeEvent(event);
}

}  // namespace tavo
