// SPDX-License-Identifier: MIT
#include "gui/toolbar_row.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "gui/main_window.h"
#include "gui/tool_icons.h"
#include "shell/image_window.h"
#include "shell/main_window.h"

namespace tavo {

ToolbarRow::ToolbarRow(MainWindow* window) : QWidget(window), window_(window) {
  setFixedHeight(kToolbarHeight);
  setMinimumWidth(kStatusBarX);
}

bool ToolbarRow::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || window_->working()) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int button = ToolbarButtonAt(window_->app(), help->pos().x(), help->pos().y());
  const std::string tip = button >= 0 ? ToolbarTooltip(button) : "";
  if (tip.empty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), QString::fromStdString(tip), this);
  }
  return true;
}

void ToolbarRow::paintEvent(QPaintEvent*) {
  if (window_->PaintFrozen(this)) return;
  QPainter painter(this);
  const AppState& app = window_->app();
  painter.fillRect(rect(), Qt::black);
  painter.setPen(Qt::white);
  const std::string banner = ToolbarBanner(app);
  if (!banner.empty()) {
    painter.drawText(QRect(4, 0, width() - 4, kToolbarHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(banner));
    return;
  }
  for (int k = 0; k < kToolbarButtons; ++k) {
    const QRect r(k * kToolbarButtonSize, 0, kToolbarButtonSize, kToolbarHeight);
    painter.drawPixmap(r.topLeft(),
                       ToolIcon(ToolbarBitmap(app, k), app.toolbar_state[k] == 1, !ToolbarButtonEnabled(app, k)));
  }
  QFont font = painter.font();
  font.setFamily("Monospace");
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(kStatusTextX, 0, width() - kStatusTextX, kToolbarHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromStdString(StatusText(app)));
}

void ToolbarRow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  ToolbarPress(window_->app(), window_->port(), p.x(), p.y());
  update();
}

void ToolbarRow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  ToolbarRelease(window_->app(), window_->port(), p.x(), p.y());
  window_->Refresh();
}

}  // namespace tavo
