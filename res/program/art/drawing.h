// Drawing helpers shared by the generated pictures: fonts, words in boxes, gilt frames and
// the small painted landscape that several pictures show.
#pragma once

#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtGui/QPainter>

namespace ossen::art {

// The book's colours.
inline const QColor kDesk(58, 40, 31);
inline const QColor kDeskDark(36, 25, 20);
inline const QColor kLeather(104, 34, 38);
inline const QColor kLeatherDark(66, 20, 24);
inline const QColor kPaper(246, 238, 217);
inline const QColor kPaperShade(216, 201, 170);
inline const QColor kInk(38, 28, 22);
inline const QColor kBrownInk(112, 62, 38);
inline const QColor kRule(214, 198, 166);
inline const QColor kGold(200, 162, 78);
inline const QColor kGoldLight(242, 218, 146);
inline const QColor kGoldDark(128, 94, 38);

QFont SerifFont(int pixels, bool bold = false, bool italic = false);
QFont SansFont(int pixels, bool bold = false);

// A new ARGB32 image filled with `fill`.
QImage NewCanvas(int width, int height, QColor fill = Qt::transparent);

// Draws `text` aligned in `box` (clip the painter first where a border must stay untouched).
void DrawWord(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, QColor colour,
              Qt::Alignment alignment = Qt::AlignCenter);

// A bevelled gilt frame `thickness` wide around the outside of `inner`.
void DrawGiltFrame(QPainter& painter, const QRectF& inner, double thickness);

// A small diamond-and-rule ornament centred at (x, y), `width` wide.
void DrawOrnament(QPainter& painter, double x, double y, double width, QColor colour);

// A painted landscape filling `area`: sky, sun, sea and hills. `dusk` gives evening colours.
void DrawLandscape(QPainter& painter, const QRectF& area, bool dusk);

}  // namespace ossen::art
