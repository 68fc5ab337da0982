#include "launcher/launcher_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace discmenu {
namespace {

struct Landscape {
  QColor skyTop, skyBottom, sun, farHill, nearHill;
};

constexpr int kLandscapeCount = 3;
const Landscape kLandscapes[kLandscapeCount] = {
    {QColor(40, 70, 140), QColor(240, 170, 110), QColor(255, 230, 160), QColor(90, 80, 120), QColor(40, 60, 50)},
    {QColor(110, 170, 220), QColor(220, 235, 240), QColor(255, 250, 220), QColor(120, 150, 110), QColor(70, 110, 60)},
    {QColor(30, 20, 60), QColor(170, 60, 80), QColor(250, 200, 120), QColor(80, 40, 70), QColor(30, 25, 35)},
};

// One painting in a gilt frame: sky, sun and two rolling hills.
void PaintFramedLandscape(QPainter& painter, const QRectF& outer, const Landscape& look) {
  const qreal frame = std::max<qreal>(1.0, outer.width() * 0.08);
  QLinearGradient gilt(outer.topLeft(), outer.bottomRight());
  gilt.setColorAt(0, QColor(230, 190, 90));
  gilt.setColorAt(0.5, QColor(150, 105, 40));
  gilt.setColorAt(1, QColor(210, 170, 80));
  painter.fillRect(outer, gilt);

  const QRectF canvas = outer.adjusted(frame, frame, -frame, -frame);
  painter.save();
  painter.setClipRect(canvas);
  QLinearGradient sky(canvas.topLeft(), canvas.bottomLeft());
  sky.setColorAt(0, look.skyTop);
  sky.setColorAt(1, look.skyBottom);
  painter.fillRect(canvas, sky);

  const qreal w = canvas.width(), h = canvas.height();
  painter.setPen(Qt::NoPen);
  painter.setBrush(look.sun);
  painter.drawEllipse(QPointF(canvas.left() + w * 0.7, canvas.top() + h * 0.38), w * 0.11, w * 0.11);

  auto hill = [&](qreal baseline, qreal crest, qreal phase, const QColor& colour) {
    QPainterPath path(QPointF(canvas.left(), canvas.bottom()));
    path.lineTo(canvas.left(), canvas.top() + h * baseline);
    path.cubicTo(canvas.left() + w * (0.3 + phase), canvas.top() + h * crest, canvas.left() + w * (0.6 - phase),
                 canvas.top() + h * (baseline + 0.12), canvas.right(), canvas.top() + h * (baseline - 0.05));
    path.lineTo(canvas.right(), canvas.bottom());
    painter.setBrush(colour);
    painter.drawPath(path);
  };
  hill(0.62, 0.40, 0.0, look.farHill);
  hill(0.80, 0.62, 0.1, look.nearHill);
  painter.restore();
}

QImage PaintBackground(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);

  // The gallery wall: deep blue fading to plum, lit from the upper right.
  QLinearGradient wall(0, 0, 0, height);
  wall.setColorAt(0, QColor(24, 30, 70));
  wall.setColorAt(1, QColor(70, 30, 70));
  painter.fillRect(image.rect(), wall);
  QRadialGradient light(width * 0.75, height * 0.2, width * 0.6);
  light.setColorAt(0, QColor(255, 240, 200, 70));
  light.setColorAt(1, QColor(255, 240, 200, 0));
  painter.fillRect(image.rect(), light);

  // Three paintings hung in a row, the middle one larger.
  const qreal unit = width / 100.0;
  const QRectF frames[kLandscapeCount] = {
      QRectF(unit * 22, unit * 10, unit * 20, unit * 15),
      QRectF(unit * 45, unit * 6, unit * 28, unit * 21),
      QRectF(unit * 76, unit * 10, unit * 20, unit * 15),
  };
  for (int i = 0; i < kLandscapeCount; ++i) {
    painter.fillRect(frames[i].translated(unit * 0.8, unit * 0.8), QColor(0, 0, 0, 90));  // shadow on the wall
    PaintFramedLandscape(painter, frames[i], kLandscapes[i]);
  }

  // The name, in a serif face, under the paintings.
  QFont title("DejaVu Serif");
  title.setStyleHint(QFont::Serif);
  title.setItalic(true);
  title.setPixelSize(static_cast<int>(unit * 7.5));
  painter.setFont(title);
  const QRectF titleBox(unit * 22, unit * 38, unit * 74, unit * 10);
  painter.setPen(QColor(0, 0, 0, 140));
  painter.drawText(titleBox.translated(2, 2), Qt::AlignCenter, "Vintra Ossens");
  painter.setPen(QColor(250, 225, 150));
  painter.drawText(titleBox, Qt::AlignCenter, "Vintra Ossens");

  QFont subtitle("DejaVu Sans");
  subtitle.setStyleHint(QFont::SansSerif);
  subtitle.setPixelSize(static_cast<int>(unit * 4));
  subtitle.setLetterSpacing(QFont::PercentageSpacing, 115);
  painter.setFont(subtitle);
  painter.setPen(QColor(230, 230, 240));
  painter.drawText(QRectF(unit * 22, unit * 49, unit * 74, unit * 6), Qt::AlignCenter, "SCREEN SAVERS");

  QFont maker = subtitle;
  maker.setPixelSize(static_cast<int>(unit * 2.4));
  maker.setLetterSpacing(QFont::PercentageSpacing, 100);
  painter.setFont(maker);
  painter.setPen(QColor(190, 180, 210));
  painter.drawText(QRectF(unit * 22, height - unit * 7, unit * 74, unit * 4), Qt::AlignRight | Qt::AlignVCenter,
                   "Brantwell Software");
  return image;
}

}  // namespace

QImage LauncherBackground(int width, int height) {
  static QImage cached;
  if (cached.width() != width || cached.height() != height) cached = PaintBackground(width, height);
  return cached;
}

QIcon LauncherIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintFramedLandscape(painter, QRectF(0, size * 0.1, size, size * 0.8), kLandscapes[0]);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace discmenu
