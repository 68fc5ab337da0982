#include "res/program/art/drawing.h"

#include <QtGui/QLinearGradient>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>

namespace ossen::art {

QFont SerifFont(int pixels, bool bold, bool italic) {
  QFont font(QStringLiteral("DejaVu Serif"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QFont SansFont(int pixels, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QImage NewCanvas(int width, int height, QColor fill) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

void DrawWord(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, QColor colour,
              Qt::Alignment alignment) {
  painter.save();
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(box, static_cast<int>(alignment), text);
  painter.restore();
}

void DrawGiltFrame(QPainter& painter, const QRectF& inner, double thickness) {
  painter.save();
  painter.setPen(Qt::NoPen);
  const QRectF outer = inner.adjusted(-thickness, -thickness, thickness, thickness);
  QPainterPath ring;
  ring.addRect(outer);
  ring.addRect(inner);
  ring.setFillRule(Qt::OddEvenFill);
  QLinearGradient gold(outer.topLeft(), outer.bottomRight());
  gold.setColorAt(0.0, kGoldLight);
  gold.setColorAt(0.45, kGold);
  gold.setColorAt(1.0, kGoldDark);
  painter.setBrush(gold);
  painter.drawPath(ring);
  // A dark line outside, a light one at the bevel and a dark one at the sight edge.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kGoldDark.darker(140), 1));
  painter.drawRect(outer.adjusted(0.5, 0.5, -0.5, -0.5));
  painter.setPen(QPen(kGoldLight, 1));
  painter.drawRect(outer.adjusted(thickness / 2, thickness / 2, -thickness / 2, -thickness / 2));
  painter.setPen(QPen(kGoldDark.darker(150), 1));
  painter.drawRect(inner.adjusted(-0.5, -0.5, 0.5, 0.5));
  painter.restore();
}

void DrawOrnament(QPainter& painter, double x, double y, double width, QColor colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(colour, 1));
  const double half = width / 2;
  painter.drawLine(QPointF(x - half, y), QPointF(x - 7, y));
  painter.drawLine(QPointF(x + 7, y), QPointF(x + half, y));
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  QPolygonF diamond;
  diamond << QPointF(x, y - 4) << QPointF(x + 4, y) << QPointF(x, y + 4) << QPointF(x - 4, y);
  painter.drawPolygon(diamond);
  painter.drawEllipse(QPointF(x - half - 2, y), 1.5, 1.5);
  painter.drawEllipse(QPointF(x + half + 2, y), 1.5, 1.5);
  painter.restore();
}

void DrawLandscape(QPainter& painter, const QRectF& area, bool dusk) {
  painter.save();
  painter.setClipRect(area, Qt::IntersectClip);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  const double w = area.width();
  const double h = area.height();
  const double horizon = area.top() + h * 0.58;

  QLinearGradient sky(area.topLeft(), QPointF(area.left(), horizon));
  if (dusk) {
    sky.setColorAt(0.0, QColor(34, 40, 92));
    sky.setColorAt(0.55, QColor(150, 82, 112));
    sky.setColorAt(1.0, QColor(246, 170, 92));
  } else {
    sky.setColorAt(0.0, QColor(70, 120, 186));
    sky.setColorAt(0.6, QColor(150, 190, 222));
    sky.setColorAt(1.0, QColor(240, 222, 186));
  }
  painter.fillRect(QRectF(area.left(), area.top(), w, horizon - area.top() + 1), sky);

  const QPointF sunAt(area.left() + w * 0.62, horizon - h * (dusk ? 0.10 : 0.30));
  QRadialGradient glow(sunAt, h * 0.35);
  glow.setColorAt(0.0, dusk ? QColor(255, 214, 140, 200) : QColor(255, 250, 220, 180));
  glow.setColorAt(1.0, QColor(255, 200, 120, 0));
  painter.setBrush(glow);
  painter.drawEllipse(sunAt, h * 0.35, h * 0.35);
  painter.setBrush(dusk ? QColor(255, 226, 150) : QColor(255, 252, 232));
  painter.drawEllipse(sunAt, h * 0.065, h * 0.065);

  QLinearGradient sea(QPointF(area.left(), horizon), area.bottomLeft());
  sea.setColorAt(0.0, dusk ? QColor(112, 72, 96) : QColor(96, 140, 170));
  sea.setColorAt(1.0, dusk ? QColor(24, 26, 56) : QColor(30, 62, 96));
  painter.fillRect(QRectF(area.left(), horizon, w, area.bottom() - horizon), sea);
  // The sun's path on the water: broken glints that fade toward the shore.
  for (int i = 0; i < 12; ++i) {
    const int alpha = 190 - 13 * i;
    painter.setBrush(dusk ? QColor(255, 206, 140, alpha) : QColor(255, 250, 232, alpha));
    const double y = horizon + 2 + i * h * 0.034;
    const double half = w * (0.03 + 0.008 * i);
    const double gap = half * (0.15 + 0.1 * (i % 3));
    painter.drawRect(QRectF(sunAt.x() - half, y, half - gap, 1.2 + i * 0.15));
    painter.drawRect(QRectF(sunAt.x() + gap * 0.5, y, half - gap * 0.5, 1.2 + i * 0.15));
  }

  // Hills: a far headland and a near shore, each a smooth curve.
  QPainterPath far;
  far.moveTo(area.left(), horizon);
  far.cubicTo(area.left() + w * 0.10, horizon - h * 0.16, area.left() + w * 0.24, horizon - h * 0.20,
              area.left() + w * 0.40, horizon);
  far.closeSubpath();
  painter.setBrush(dusk ? QColor(70, 52, 86) : QColor(92, 124, 120));
  painter.drawPath(far);
  QPainterPath near;
  near.moveTo(area.left() + w * 0.55, area.bottom() + 1);
  near.cubicTo(area.left() + w * 0.72, horizon + h * 0.14, area.left() + w * 0.86, horizon + h * 0.02,
               area.right() + 1, horizon + h * 0.05);
  near.lineTo(area.right() + 1, area.bottom() + 1);
  near.closeSubpath();
  painter.setBrush(dusk ? QColor(28, 22, 36) : QColor(56, 88, 50));
  painter.drawPath(near);
  // A distant sail.
  QPolygonF sail;
  const double sx = area.left() + w * 0.30;
  const double sy = horizon + h * 0.06;
  sail << QPointF(sx, sy) << QPointF(sx + w * 0.012, sy - h * 0.08) << QPointF(sx + w * 0.03, sy);
  painter.setBrush(dusk ? QColor(40, 30, 50) : QColor(250, 246, 236));
  painter.drawPolygon(sail);
  painter.restore();
}

}  // namespace ossen::art
