#include "gui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace corvane {

namespace {

// Paints the icon's 64 x 64 design scaled to size x size pixels.
QPixmap IconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);

  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
  painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
  painter.setBrush(QColor(0xf4, 0xf1, 0xe8));
  painter.drawEllipse(QPointF(32, 34), 17, 22);

  const QPolygonF trace(
      {{6, 40}, {14, 40}, {19, 30}, {25, 46}, {31, 22}, {37, 42}, {42, 34}, {48, 36}, {58, 26}});
  QPen pen(QColor(0xe8, 0x70, 0x2a), 4);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(trace);
  return pixmap;
}

}  // namespace

QIcon CorvaneIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(IconPixmap(size));
  return icon;
}

}  // namespace corvane
