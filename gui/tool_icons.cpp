// SPDX-License-Identifier: MIT
#include "gui/tool_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstring>

namespace tavo {
namespace {

constexpr int kSize = 24;

void Frame(QPainter& p) {
  p.fillRect(0, 0, kSize, kSize, QColor(212, 208, 200));
  p.setPen(Qt::white);
  p.drawLine(0, 0, kSize - 2, 0);
  p.drawLine(0, 0, 0, kSize - 2);
  p.setPen(QColor(64, 64, 64));
  p.drawLine(kSize - 1, 0, kSize - 1, kSize - 1);
  p.drawLine(0, kSize - 1, kSize - 1, kSize - 1);
}

void Arrow(QPainter& p, bool left) {
  // A half circle ending in an arrow head: back (undo) or forward (redo).
  QPainterPath path;
  if (left) {
    path.moveTo(7, 9);
    path.cubicTo(12, 3, 21, 7, 19, 14);
    path.cubicTo(18, 18, 14, 19, 11, 19);
  } else {
    path.moveTo(17, 9);
    path.cubicTo(12, 3, 3, 7, 5, 14);
    path.cubicTo(6, 18, 10, 19, 13, 19);
  }
  p.setPen(QPen(QColor(0, 0, 160), 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setBrush(QColor(0, 0, 160));
  p.setPen(Qt::NoPen);
  const QPointF head_left[3] = {{3, 9}, {10, 4}, {10, 13}};
  const QPointF head_right[3] = {{21, 9}, {14, 4}, {14, 13}};
  p.drawPolygon(left ? head_left : head_right, 3);
}

void Draw(QPainter& p, const char* name) {
  auto is = [&](const char* n) { return std::strcmp(name, n) == 0; };
  if (is("BLACK")) {
    p.fillRect(0, 0, kSize, kSize, Qt::black);
    return;
  }
  Frame(p);
  p.setRenderHint(QPainter::Antialiasing, true);
  if (is("LOAD")) {  // open folder
    p.setPen(QColor(120, 90, 0));
    p.setBrush(QColor(240, 200, 60));
    p.drawRect(3, 8, 16, 11);
    p.drawRect(3, 6, 6, 2);
    p.setBrush(QColor(255, 230, 120));
    const QPointF lid[4] = {{6, 11}, {21, 11}, {18, 19}, {3, 19}};
    p.drawPolygon(lid, 4);
  } else if (is("SAVE")) {  // floppy disk
    p.setPen(QColor(20, 20, 60));
    p.setBrush(QColor(50, 70, 160));
    p.drawRect(4, 4, 16, 16);
    p.setBrush(Qt::white);
    p.drawRect(7, 4, 10, 6);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(7, 13, 10, 7);
  } else if (is("PRINTER")) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(7, 3, 10, 7);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(3, 10, 18, 8);
    p.setBrush(Qt::white);
    p.drawRect(7, 15, 10, 6);
  } else if (is("UNDO")) {
    Arrow(p, true);
  } else if (is("REDO")) {
    Arrow(p, false);
  } else if (is("SANDS")) {  // a star: sharp half and soft half
    p.setPen(Qt::NoPen);
    QRadialGradient soft(8, 12, 6);
    soft.setColorAt(0, Qt::black);
    soft.setColorAt(1, QColor(212, 208, 200));
    p.setBrush(soft);
    p.drawEllipse(QPointF(8, 12), 6, 6);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(17, 12), 4, 4);
  } else if (is("EDGE")) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255));
    const QPointF diamond[4] = {{12, 3}, {21, 12}, {12, 21}, {3, 12}};
    p.drawPolygon(diamond, 4);
  } else if (is("SIZE")) {
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(3, 9, 8, 8);
    p.drawRect(3, 3, 18, 18);
    p.setPen(QPen(QColor(160, 0, 0), 2));
    p.drawLine(12, 12, 18, 6);
    p.drawLine(18, 6, 14, 6);
    p.drawLine(18, 6, 18, 10);
  } else if (is("ROUND")) {
    p.setPen(QPen(QColor(0, 110, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 280 * 16);
    p.setBrush(QColor(0, 110, 0));
    p.setPen(Qt::NoPen);
    const QPointF head[3] = {{19, 3}, {21, 11}, {14, 8}};
    p.drawPolygon(head, 3);
  } else if (is("COMP")) {  // two frames stacked
    p.setPen(Qt::black);
    p.setBrush(QColor(90, 140, 230));
    p.drawRect(3, 3, 12, 12);
    p.setBrush(QColor(230, 120, 90));
    p.drawRect(9, 9, 12, 12);
  } else if (is("GAMMA")) {  // a tone curve in a frame
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(3, 3, 18, 18);
    QPainterPath curve;
    curve.moveTo(4, 20);
    curve.cubicTo(6, 8, 12, 5, 20, 4);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
  } else if (is("BW")) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.setBrush(Qt::black);
    p.drawPie(QRectF(4, 4, 16, 16), 90 * 16, 180 * 16);
  } else if (is("HIST")) {
    const int heights[6] = {4, 10, 15, 12, 7, 3};
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 6; ++i) p.drawRect(3 + i * 3, 20 - heights[i], 2, heights[i]);
  } else if (is("SELECT")) {  // a list of pictures
    p.setPen(Qt::black);
    for (int i = 0; i < 3; ++i) {
      p.setBrush(QColor(90, 140, 230));
      p.drawRect(3, 3 + i * 6, 5, 4);
      p.drawLine(10, 5 + i * 6, 20, 5 + i * 6);
    }
  } else if (is("UPDOWN")) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const QPointF up[3] = {{12, 2}, {19, 10}, {5, 10}};
    const QPointF down[3] = {{12, 22}, {19, 14}, {5, 14}};
    p.drawPolygon(up, 3);
    p.drawPolygon(down, 3);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(3, 12, 21, 12);
  }
}

}  // namespace

QPixmap ToolIcon(const char* name, bool pressed, bool disabled) {
  QImage image(kSize, kSize, QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter p(&image);
    Draw(p, name);
    // The button face laid thinly over the picture: it fades, as a
    // button that cannot be used does.
    if (disabled) p.fillRect(image.rect(), QColor(212, 208, 200, 170));
  }
  if (pressed) image.invertPixels();
  return QPixmap::fromImage(image);
}

QIcon AppIcon() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(QColor(10, 16, 48));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 240, 180));
  const QPointF star[8] = {{16, 3}, {19, 13}, {29, 16}, {19, 19}, {16, 29}, {13, 19}, {3, 16}, {13, 13}};
  p.drawPolygon(star, 8);
  p.end();
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace tavo
