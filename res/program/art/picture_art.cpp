#include "res/program/art/picture_art.h"

#include <QtGui/QLinearGradient>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>

#include "res/program/art/book_art.h"
#include "res/program/art/drawing.h"

namespace ossen::art {
namespace {

const QColor kNight(22, 30, 58);
const QColor kNightLight(44, 58, 100);

// The credit pictures lie over the Credit page at (12, 41): they are that page's paper
// with the credits written on it, so the spine and its markers line up with the book.
constexpr int kCreditsX = 12;
constexpr int kCreditsY = 41;

struct Credit {
  const char* role;
  const char* names;
};

void DrawCreditColumn(QPainter& painter, double left, double top, double width, const Credit* credits, int count) {
  double y = top;
  for (int i = 0; i < count; ++i) {
    DrawWord(painter, QRectF(left, y, width, 16), QString::fromUtf8(credits[i].role), SerifFont(11, false, true),
             kBrownInk);
    y += 16;
    DrawWord(painter, QRectF(left, y, width, 18), QString::fromUtf8(credits[i].names), SerifFont(14, true), kInk);
    y += 30;
  }
}

void DrawEmblem(QPainter& painter, QPointF centre, double radius) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(kGoldDark, 2));
  QRadialGradient fill(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
  fill.setColorAt(0.0, kNightLight.lighter(130));
  fill.setColorAt(1.0, kNight);
  painter.setBrush(fill);
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(QPen(kGold, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, radius - 4, radius - 4);
  DrawWord(painter, QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), QStringLiteral("B"),
           SerifFont(static_cast<int>(radius * 1.1), true, true), kGoldLight);
  painter.restore();
}

}  // namespace

QImage PaintTitle() {
  QImage image = NewCanvas(602, 422, kNight);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  QRadialGradient cloth(QPointF(301, 180), 420);
  cloth.setColorAt(0.0, kNightLight);
  cloth.setColorAt(1.0, kNight.darker(130));
  painter.fillRect(image.rect(), cloth);
  // Tooled gold borders.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kGold, 2));
  painter.drawRect(QRectF(10, 10, 582, 402));
  painter.setPen(QPen(kGoldDark, 1));
  painter.drawRect(QRectF(16.5, 16.5, 569, 389));
  for (const QPointF corner : {QPointF(16, 16), QPointF(586, 16), QPointF(16, 406), QPointF(586, 406)}) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    QPolygonF diamond;
    diamond << corner + QPointF(0, -6) << corner + QPointF(6, 0) << corner + QPointF(0, 6) << corner + QPointF(-6, 0);
    painter.drawPolygon(diamond);
  }

  DrawWord(painter, QRectF(0, 30, 602, 56), QStringLiteral("VINTRA OSSENS"), SerifFont(46, true), kGoldDark.darker(160));
  DrawWord(painter, QRectF(0, 28, 602, 56), QStringLiteral("VINTRA OSSENS"), SerifFont(46, true), kGoldLight);
  DrawOrnament(painter, 301, 94, 260, kGold);

  // The vignette: an oval painting in a gilt ring.
  const QRectF oval(176, 108, 250, 196);
  QPainterPath ovalPath;
  ovalPath.addEllipse(oval);
  painter.save();
  painter.setClipPath(ovalPath);
  DrawLandscape(painter, oval, true);
  painter.restore();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kGold, 6));
  painter.drawEllipse(oval.adjusted(-3, -3, 3, 3));
  painter.setPen(QPen(kGoldLight, 1.5));
  painter.drawEllipse(oval.adjusted(-3, -3, 3, 3));
  painter.setPen(QPen(kGoldDark, 1));
  painter.drawEllipse(oval.adjusted(-7, -7, 7, 7));

  DrawWord(painter, QRectF(0, 318, 602, 44), QStringLiteral("Screen Savers"), SerifFont(34, false, true), kGoldLight);
  DrawOrnament(painter, 301, 368, 180, kGold);
  DrawWord(painter, QRectF(0, 376, 602, 22), QStringLiteral("B R A N T W E L L   S O F T W A R E"), SerifFont(13),
           kGold);
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintCredits(int number) {
  const QImage page = PaintBookPage(kCreditPage);
  QImage image = page.copy(kCreditsX, kCreditsY, 590, 414).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.translate(-kCreditsX, -kCreditsY);
  // The page columns, clear of the spine and its markers.
  const double leftX = 34;
  const double leftWidth = 262;
  const double rightX = 348;
  const double rightWidth = 262;
  if (number == 1) {
    DrawWord(painter, QRectF(leftX, 58, leftWidth, 30), QStringLiteral("Credits"), SerifFont(24, false, true),
             kBrownInk);
    DrawOrnament(painter, leftX + leftWidth / 2, 96, 150, kGoldDark);
    static const Credit kLeft[] = {
        {"Producer", "Margarethe Pollwick"},
        {"Design", "Tobias Rendle"},
        {"Programming", "Anselm Varga, Lidia Crowe"},
        {"Art Direction", "Fenna Oudekerk"},
        {"Picture Restoration", "Corin Ashdown"},
        {"Music and Sound", "Piet Halloran"},
    };
    DrawCreditColumn(painter, leftX, 112, leftWidth, kLeft, 6);
    DrawWord(painter, QRectF(rightX, 58, rightWidth, 30), QStringLiteral("Vintra Ossens"), SerifFont(24, false, true),
             kBrownInk);
    DrawWord(painter, QRectF(rightX, 86, rightWidth, 20), QStringLiteral("Screen Savers, version 1.00"),
             SerifFont(12, false, true), kBrownInk);
    DrawEmblem(painter, QPointF(rightX + rightWidth / 2, 168), 44);
    DrawWord(painter, QRectF(rightX, 222, rightWidth, 22), QStringLiteral("Brantwell Software"), SerifFont(18, true),
             kInk);
    DrawWord(painter, QRectF(rightX, 248, rightWidth, 80),
             QStringLiteral("Thirty-five paintings from the\nOssens collection, chosen for\nyour desktop and set to\n"
                            "change with the seasons."),
             SerifFont(12, false, true), kBrownInk);
    DrawOrnament(painter, rightX + rightWidth / 2, 350, 150, kGoldDark);
    DrawWord(painter, QRectF(rightX, 364, rightWidth, 36), QStringLiteral("Turn the ribbon \u201c2\u201d\nfor more."),
             SerifFont(11, false, true), kBrownInk);
  } else {
    DrawWord(painter, QRectF(leftX, 58, leftWidth, 30), QStringLiteral("The Collection"), SerifFont(24, false, true),
             kBrownInk);
    DrawOrnament(painter, leftX + leftWidth / 2, 96, 150, kGoldDark);
    static const Credit kLeft[] = {
        {"Curator", "Hendrika Maasland"},
        {"Photography of the Paintings", "Olav Brenner"},
        {"Colour Plates", "Ysolde Carrow"},
        {"Help Texts", "Bartholomew Fenn"},
        {"Testing", "Ruth Amberley, Jonas Mirel"},
        {"Installation", "Kasimir Wendt"},
    };
    DrawCreditColumn(painter, leftX, 112, leftWidth, kLeft, 6);
    DrawWord(painter, QRectF(rightX, 58, rightWidth, 30), QStringLiteral("With Thanks"), SerifFont(24, false, true),
             kBrownInk);
    DrawOrnament(painter, rightX + rightWidth / 2, 96, 150, kGoldDark);
    const QRectF vignette(rightX + 46, 112, rightWidth - 92, 120);
    DrawLandscape(painter, vignette, false);
    DrawGiltFrame(painter, vignette, 5);
    DrawWord(painter, QRectF(rightX, 246, rightWidth, 110),
             QStringLiteral("to the galleries and private\ncollectors who lent their\npictures, and to everyone\n"
                            "at Brantwell Software."),
             SerifFont(12, false, true), kBrownInk);
    DrawWord(painter, QRectF(rightX, 360, rightWidth, 40),
             QStringLiteral("Brantwell Software\nHarrowgate Lane, Eastmere"), SerifFont(11, true), kInk);
  }
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintIntro() {
  QImage image = NewCanvas(500, 375, kNight);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  DrawLandscape(painter, QRectF(0, 0, 500, 375), true);
  QLinearGradient band(0, 250, 0, 375);
  band.setColorAt(0.0, QColor(10, 12, 28, 0));
  band.setColorAt(0.45, QColor(10, 12, 28, 210));
  band.setColorAt(1.0, QColor(10, 12, 28, 240));
  painter.fillRect(QRect(0, 250, 500, 125), band);
  DrawWord(painter, QRectF(0, 292, 500, 40), QStringLiteral("Vintra Ossens"), SerifFont(32, true), kGoldLight);
  DrawWord(painter, QRectF(0, 330, 500, 24), QStringLiteral("Screen Savers"), SerifFont(18, false, true), kGold);
  DrawWord(painter, QRectF(0, 352, 496, 20), QStringLiteral("Brantwell Software"), SerifFont(11), kGold,
           Qt::AlignRight | Qt::AlignVCenter);
  painter.setPen(QPen(kGold, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(1, 1, 498, 373));
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintAboutBox() {
  QImage image = NewCanvas(400, 260, kPaper);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  QLinearGradient paper(0, 0, 0, 260);
  paper.setColorAt(0.0, kPaper);
  paper.setColorAt(1.0, kPaper.darker(106));
  painter.fillRect(image.rect(), paper);
  const QRectF picture(24, 44, 130, 100);
  DrawLandscape(painter, picture, true);
  DrawGiltFrame(painter, picture, 6);
  DrawWord(painter, QRectF(170, 34, 220, 30), QStringLiteral("Vintra Ossens"), SerifFont(24, true), kInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  DrawWord(painter, QRectF(170, 64, 220, 26), QStringLiteral("Screen Savers"), SerifFont(20, false, true), kBrownInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  DrawWord(painter, QRectF(170, 100, 220, 20), QStringLiteral("Version 1.00"), SansFont(12, true), kInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  DrawWord(painter, QRectF(170, 122, 220, 20), QStringLiteral("Brantwell Software"), SansFont(12), kInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  DrawOrnament(painter, 200, 178, 300, kGoldDark);
  DrawWord(painter, QRectF(20, 190, 360, 40),
           QStringLiteral("A desktop calendar of thirty-five paintings.\nCopyright \u00a9 Brantwell Software. "
                          "All rights reserved."),
           SansFont(11), kBrownInk);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kGoldDark, 2));
  painter.drawRect(QRectF(5, 5, 390, 250));
  painter.setPen(QPen(kGold, 1));
  painter.drawRect(QRectF(9.5, 9.5, 381, 241));
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintHandCursor() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Index finger up, its tip at the hot spot (4, 1); three folded fingers, thumb, palm
  // and cuff, joined into one outline.
  auto rounded = [](double x, double y, double w, double h, double r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
  };
  QPainterPath hand = rounded(2, 0, 6, 18, 3);     // index finger
  hand = hand.united(rounded(8, 8, 5, 10, 2.5));   // middle finger
  hand = hand.united(rounded(13, 9, 5, 9, 2.5));   // ring finger
  hand = hand.united(rounded(18, 11, 4, 8, 2));    // little finger
  hand = hand.united(rounded(2, 14, 20, 11, 4));   // palm
  hand = hand.united(rounded(0, 15, 6, 7, 3));     // thumb
  hand = hand.united(rounded(5, 24, 15, 6, 1));    // cuff
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawPath(hand);
  // The creases between the folded fingers and the cuff's seam.
  painter.drawLine(8, 14, 8, 17);
  painter.drawLine(13, 14, 13, 17);
  painter.drawLine(18, 15, 18, 17);
  painter.drawLine(6, 24, 19, 24);
  painter.end();
  return image;
}

std::vector<QImage> PaintAppIcons() {
  std::vector<QImage> icons;
  for (int size : {16, 32, 48}) icons.push_back(PaintAppIcon(size));
  return icons;
}

QImage PaintAppIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const double s = size / 16.0;
  const QRectF frame(0.5 * s, 1.5 * s, 15 * s, 13 * s);
  painter.setPen(Qt::NoPen);
  QLinearGradient gold(frame.topLeft(), frame.bottomRight());
  gold.setColorAt(0.0, kGoldLight);
  gold.setColorAt(1.0, kGoldDark);
  painter.setBrush(gold);
  painter.drawRect(frame);
  const QRectF canvas = frame.adjusted(2 * s, 2 * s, -2 * s, -2 * s);
  DrawLandscape(painter, canvas, true);
  // The frame's outline keeps its weight to the picture's size above the icon file's sizes.
  const double outline = size < 32 ? 0.6 : size <= 48 ? 1.0 : size / 48.0;
  painter.setPen(QPen(kGoldDark.darker(150), outline));
  painter.setBrush(Qt::NoBrush);
  const double inset = outline / 2 - 0.25 > 0.25 ? outline / 2 : 0.25;
  painter.drawRect(frame.adjusted(inset, inset, -inset, -inset));
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

IndexedPicture ReducePicture(const QImage& rgb, int colours) {
  ColourHistogram histogram;
  histogram.Add(rgb);
  IndexedPicture picture;
  const std::vector<int> allowed = IndexRange(0, colours - 1);
  PlaceColours(histogram.MedianCut(colours), allowed, picture.table);
  ColourMapper mapper(picture.table, allowed);
  picture.width = rgb.width();
  picture.height = rgb.height();
  picture.indices = mapper.MapDithered(rgb);
  return picture;
}

}  // namespace ossen::art
