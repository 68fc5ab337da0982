#include "res/program/art/book_art.h"

#include <QtGui/QLinearGradient>
#include <QtGui/QPainterPath>

#include "res/program/art/drawing.h"
#include "res/program/program_resources.h"

namespace ossen::art {
namespace {

// Where the open book lies on every page.
constexpr int kBoardTop = 40;
constexpr int kPaperTop = 44;
constexpr int kPaperBottom = 470;
constexpr int kLeftPageLeft = 12;
constexpr int kSpine = 320;
constexpr int kRightPageRight = 628;

// The slot rows of the Content page.
constexpr int kRowLeft = 36;
constexpr int kRowRight = 292;
constexpr int kRowTop = 132;
constexpr int kRowPitch = 24;
constexpr int kRowCount = 12;
constexpr int kDateColumn = 172;
constexpr int kTimeColumn = 236;

// Tab colours, in button order (the red one closes the window).
const QColor kTabColours[5] = {QColor(44, 92, 62), QColor(42, 70, 128), QColor(172, 124, 40), QColor(108, 50, 98),
                               QColor(176, 34, 32)};
const QColor kTabText(252, 246, 226);
const QColor kMarker(30, 88, 92);

const ButtonPlace& Button(int index) { return kButtonPlaces[index]; }
QRect ButtonRect(int index) { return QRect(Button(index).x, Button(index).y, Button(index).width, Button(index).height); }

bool IsTab(int index) { return index < 5; }
bool IsSetMarker(int index) { return index >= 13 && index <= 15; }
bool IsPlaque(int index) { return index == 5 || index == 6; }  // Preview and Apply

QPainterPath TabShape(int index) {
  const QRect place = ButtonRect(index);
  QPainterPath path;
  const QRectF body(place.left() + 3, place.top() + 2, place.width() - 6, kPaperTop + 4 - (place.top() + 2));
  path.addRoundedRect(body.adjusted(0, 0, 0, 8), 9, 9);
  QPainterPath cut;
  cut.addRect(QRectF(body.left() - 1, kPaperTop + 4, body.width() + 2, 20));
  return path.subtracted(cut);
}

QPainterPath MarkerShape(int index, double inset) {
  const QRectF place = QRectF(ButtonRect(index)).adjusted(1 + inset, 1 + inset, -1 - inset, -1 - inset);
  QPainterPath path;
  path.addRoundedRect(place, 5, 5);
  return path;
}

// The vertical centre of the check box that belongs to option button `index` (7..12).
int OptionBoxCentre(int index) {
  for (const CheckBoxPlace& box : kCheckBoxPlaces) {
    if (box.id == 1001 + (index - 7)) return box.y + kCheckBoxHeight / 2;
  }
  return ButtonRect(index).center().y();
}

int OptionBoxLeft(int index) {
  for (const CheckBoxPlace& box : kCheckBoxPlaces) {
    if (box.id == 1001 + (index - 7)) return box.x;
  }
  return ButtonRect(index).right();
}

QRectF PlaqueRect(int index) { return QRectF(ButtonRect(index)).adjusted(5, 5, -5, -5); }

void PaintPlaque(QPainter& painter, int index, bool pressed) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(pressed ? kGoldDark.darker(130) : kGoldDark, 1.2));
  QLinearGradient fill(PlaqueRect(index).topLeft(), PlaqueRect(index).bottomLeft());
  fill.setColorAt(0.0, pressed ? QColor(206, 188, 150) : QColor(252, 246, 230));
  fill.setColorAt(1.0, pressed ? QColor(222, 206, 170) : QColor(232, 218, 186));
  painter.setBrush(fill);
  painter.drawRoundedRect(PlaqueRect(index), 12, 12);
  painter.restore();
}

void PaintMarker(QPainter& painter, int index, bool pressed) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(kGold, 1));
  QLinearGradient fill(QRectF(ButtonRect(index)).topLeft(), QRectF(ButtonRect(index)).topRight());
  const QColor base = pressed ? kMarker.darker(150) : kMarker;
  fill.setColorAt(0.0, base.lighter(125));
  fill.setColorAt(1.0, base.darker(115));
  painter.setBrush(fill);
  painter.drawPath(MarkerShape(index, 0.5));
  painter.restore();
}

void PaintDesk(QPainter& painter) {
  QLinearGradient desk(0, 0, 0, kPageHeight);
  desk.setColorAt(0.0, kDesk);
  desk.setColorAt(1.0, kDeskDark);
  painter.fillRect(QRect(0, 0, kPageWidth, kPageHeight), desk);
}

void PaintBoardsAndPaper(QPainter& painter) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(kLeatherDark, 1));
  QLinearGradient leather(0, kBoardTop, 0, kPageHeight);
  leather.setColorAt(0.0, kLeather.lighter(110));
  leather.setColorAt(1.0, kLeather.darker(115));
  painter.setBrush(leather);
  painter.drawRoundedRect(QRectF(3.5, kBoardTop + 0.5, kPageWidth - 7, kPageHeight - kBoardTop - 4), 6, 6);

  // The page block's edges below the paper.
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int i = 0; i < 3; ++i) {
    painter.setPen(i % 2 == 0 ? kPaperShade : kPaperShade.darker(115));
    painter.drawLine(kLeftPageLeft + 2 + i, kPaperBottom + i, kSpine - 4, kPaperBottom + i);
    painter.drawLine(kSpine + 4, kPaperBottom + i, kRightPageRight - 2 - i, kPaperBottom + i);
  }

  // Each page darkens toward the spine.
  QLinearGradient left(kLeftPageLeft, 0, kSpine, 0);
  left.setColorAt(0.0, kPaper.darker(103));
  left.setColorAt(0.08, kPaper);
  left.setColorAt(0.88, kPaper);
  left.setColorAt(1.0, kPaperShade);
  painter.fillRect(QRect(kLeftPageLeft, kPaperTop, kSpine - kLeftPageLeft, kPaperBottom - kPaperTop), left);
  QLinearGradient right(kSpine, 0, kRightPageRight, 0);
  right.setColorAt(0.0, kPaperShade);
  right.setColorAt(0.12, kPaper);
  right.setColorAt(0.92, kPaper);
  right.setColorAt(1.0, kPaper.darker(103));
  painter.fillRect(QRect(kSpine, kPaperTop, kRightPageRight - kSpine, kPaperBottom - kPaperTop), right);
  painter.setPen(kPaperShade.darker(130));
  painter.drawLine(kSpine, kPaperTop, kSpine, kPaperBottom - 1);
  painter.restore();
}

void PaintTabs(QPainter& painter) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (int i = 0; i < 5; ++i) {
    const QPainterPath shape = TabShape(i);
    const QRectF bounds = shape.boundingRect();
    QLinearGradient fill(bounds.topLeft(), bounds.bottomLeft());
    fill.setColorAt(0.0, kTabColours[i].lighter(135));
    fill.setColorAt(0.5, kTabColours[i]);
    fill.setColorAt(1.0, kTabColours[i].darker(120));
    painter.setPen(QPen(kTabColours[i].darker(170), 1));
    painter.setBrush(fill);
    painter.drawPath(shape);
  }
  painter.restore();
}

void PaintSetMarkers(QPainter& painter, bool withThird) {
  for (int index = 13; index <= (withThird ? 15 : 14); ++index) PaintMarker(painter, index, false);
}

// Gold rules around a picture area, left open at the top where the tabs are.
void PaintPictureSurround(QPainter& painter, const QRect& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const int top = 49;
  for (int ring = 1; ring <= 3; ring += 2) {
    painter.setPen(ring == 1 ? kGoldDark : kGold);
    const int left = area.left() - ring;
    const int right = area.right() + ring;
    const int bottom = area.bottom() + ring;
    painter.drawLine(left, top, left, bottom);
    painter.drawLine(right, top, right, bottom);
    painter.drawLine(left, bottom, right, bottom);
  }
  painter.restore();
}

void PaintContentPage(QPainter& painter) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  // Left page: the schedule.
  DrawWord(painter, QRectF(kRowLeft, 56, kRowRight - kRowLeft, 28), QStringLiteral("Calendar of Paintings"),
           SerifFont(19, false, true), kBrownInk);
  DrawOrnament(painter, (kRowLeft + kRowRight) / 2.0, 92, 150, kGoldDark);
  const QFont heading = SerifFont(11, true);
  DrawWord(painter, QRectF(kRowLeft, 110, 120, 14), QStringLiteral("Painter"), heading, kBrownInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  DrawWord(painter, QRectF(kDateColumn, 110, 60, 14), QStringLiteral("Date"), heading, kBrownInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  DrawWord(painter, QRectF(kTimeColumn, 110, 56, 14), QStringLiteral("Time"), heading, kBrownInk,
           Qt::AlignLeft | Qt::AlignVCenter);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(kBrownInk);
  painter.drawLine(kRowLeft - 2, 126, kRowRight + 2, 126);
  painter.setPen(kRule);
  painter.drawLine(kRowLeft - 2, 128, kRowRight + 2, 128);
  for (int r = 0; r < kRowCount; ++r) {
    const int y = kRowTop + kRowPitch * r + 19;
    painter.drawLine(kRowLeft, y, kRowRight, y);
  }
  // Quiet column dividers between the rows' texts.
  painter.setPen(QColor(232, 222, 198));
  painter.drawLine(kDateColumn - 5, kRowTop, kDateColumn - 5, kRowTop + kRowPitch * kRowCount - 6);
  painter.drawLine(kTimeColumn - 5, kRowTop, kTimeColumn - 5, kRowTop + kRowPitch * kRowCount - 6);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawOrnament(painter, (kRowLeft + kRowRight) / 2.0, 452, 110, kGoldDark);

  // Right page: the painting, its caption plate, the actions and the options.
  DrawWord(painter, QRectF(343, 56, 232, 24), QStringLiteral("The Painting"), SerifFont(19, false, true),
           kBrownInk);
  DrawGiltFrame(painter, QRectF(369, 93, 169, 115), 8);
  painter.fillRect(QRect(369, 93, 169, 115), QColor(18, 16, 20));
  painter.setPen(QPen(kGoldDark, 1));
  painter.setBrush(QColor(251, 246, 232));
  painter.drawRect(QRectF(365.5, 217.5, 176, 23));
  PaintPlaque(painter, 5, false);
  PaintPlaque(painter, 6, false);
  // A faint well under each check box.
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const CheckBoxPlace& box : kCheckBoxPlaces) {
    painter.setPen(kPaperShade.darker(110));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.x - 1, box.y - 1, kCheckBoxWidth + 1, kCheckBoxHeight + 1);
  }
  // Dotted leaders from the second column's words to their boxes.
  painter.setPen(kBrownInk.lighter(160));
  for (int index = 7; index <= 12; ++index) {
    const int from = ButtonRect(index).right() + 3;
    const int to = OptionBoxLeft(index) - 4;
    for (int x = from; x <= to; x += 3) painter.drawPoint(x, OptionBoxCentre(index) + 3);
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawOrnament(painter, 459, 452, 110, kGoldDark);
  painter.restore();
}

void PaintHelpPage(QPainter& painter) {
  painter.save();
  DrawOrnament(painter, 169, 438, 110, kGoldDark);
  DrawOrnament(painter, 463, 438, 110, kGoldDark);
  painter.restore();
}

void PaintCoverPage(QPainter& painter) { PaintPictureSurround(painter, QRect(11, 48, 602, 422)); }

void PaintCreditPage(QPainter& painter) { PaintPictureSurround(painter, QRect(12, 41, 590, 414)); }

// The word a button shows.
QString ButtonWord(int index) {
  if (IsSetMarker(index)) return QString::number(index - 12);
  return QString::fromLatin1(Button(index).caption);
}

// Which page a distinct button image is cut from: tabs and markers look alike on every
// page that shows them; the rest live on the Content page.
BookPage SourcePage(int) { return kContentPage; }

// The button's picture at its own size: the page beneath, then the word.
QImage PaintButton(const QImage& page, int index, bool pressed) {
  const QRect place = ButtonRect(index);
  QImage image = page.copy(place);
  QPainter painter(&image);
  painter.translate(-place.left(), -place.top());
  // The outermost pixel ring always stays the page's.
  painter.setClipRect(place.adjusted(1, 1, -1, -1));
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const double shift = pressed ? 1.0 : 0.0;
  QRectF box = QRectF(place).adjusted(shift, shift, shift, shift);
  if (IsTab(index)) {
    box = QRectF(place.left(), place.top() + 3, place.width(), kPaperTop + 2 - place.top() - 3);
    DrawWord(painter, box.translated(1, 1), ButtonWord(index), SerifFont(15, true), kTabColours[index].darker(220));
    DrawWord(painter, box, ButtonWord(index), SerifFont(15, true), kTabText);
  } else if (IsSetMarker(index)) {
    if (pressed) PaintMarker(painter, index, true);
    DrawWord(painter, box, ButtonWord(index), SerifFont(16, true), pressed ? kGoldLight.darker(115) : kGoldLight);
  } else if (IsPlaque(index)) {
    if (pressed) PaintPlaque(painter, index, true);
    DrawWord(painter, box, ButtonWord(index), SerifFont(index == 5 ? 21 : 17, true, true),
             pressed ? kBrownInk.darker(160) : kBrownInk);
  } else {
    if (pressed) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(214, 196, 158));
      painter.drawRoundedRect(QRectF(place).adjusted(2, 2, -2, -2), 6, 6);
    }
    // Every word stands right-aligned toward its box; the first column's boxes touch their
    // buttons, the second column's are reached by a dotted leader on the page.
    const bool firstColumn = Button(index).x < 460;
    QRectF text(place.left() + 4, OptionBoxCentre(index) - 10, place.width() - 8, 20);
    if (firstColumn) text.setRight(451 - 4);
    text.translate(shift, shift);
    DrawWord(painter, text, ButtonWord(index), SerifFont(14, false, false), pressed ? kInk : kBrownInk.darker(120),
             Qt::AlignRight | Qt::AlignVCenter);
  }
  painter.end();
  return image;
}

}  // namespace

QImage PaintBookPage(BookPage page) {
  QImage image = NewCanvas(kPageWidth, kPageHeight, kDesk);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  PaintDesk(painter);
  PaintBoardsAndPaper(painter);
  PaintTabs(painter);
  switch (page) {
    case kCoverPage: PaintCoverPage(painter); break;
    case kContentPage:
      PaintSetMarkers(painter, true);
      PaintContentPage(painter);
      break;
    case kHelpPage:
      PaintSetMarkers(painter, false);
      PaintHelpPage(painter);
      break;
    case kCreditPage:
      PaintSetMarkers(painter, false);
      PaintCreditPage(painter);
      break;
  }
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

BookArt MakeBookArt() {
  QImage pages[kPageCount];
  for (int p = 0; p < kPageCount; ++p) pages[p] = PaintBookPage(static_cast<BookPage>(p));

  struct ButtonImage {
    std::string name;
    int index;
    QImage rgb;
  };
  std::vector<ButtonImage> images;
  for (int i = 0; i < kDistinctButtonImages; ++i) {
    const QImage& page = pages[SourcePage(i)];
    images.push_back({Button(i).upImage, i, PaintButton(page, i, false).convertToFormat(QImage::Format_ARGB32)});
    if (Button(i).downImage != nullptr) {
      images.push_back({Button(i).downImage, i, PaintButton(page, i, true).convertToFormat(QImage::Format_ARGB32)});
    }
  }

  ColourHistogram histogram;
  for (const QImage& page : pages) histogram.Add(page);
  // The words are few pixels but must keep their own shades.
  for (const ButtonImage& image : images) histogram.Add(image.rgb, 40);
  std::vector<int> allowed = IndexRange(0, kPictureBandFirst - 1);
  const std::vector<int> upper = IndexRange(kPictureBandFirst + kPictureBandCount, 255);
  allowed.insert(allowed.end(), upper.begin(), upper.end());

  BookArt art;
  PlaceColours(histogram.MedianCut(static_cast<int>(allowed.size())), allowed, art.book.table);
  // The band the window reloads holds a grey ramp until a picture fills it.
  for (int i = 0; i < kPictureBandCount; ++i) {
    const auto grey = static_cast<std::uint8_t>(i * 255 / (kPictureBandCount - 1));
    art.book.table.entries[static_cast<std::size_t>(kPictureBandFirst + i)] = Rgb{grey, grey, grey};
  }

  ColourMapper mapper(art.book.table, allowed);
  art.book.width = kPageWidth;
  art.book.height = kPageHeight * kPageCount;
  std::vector<std::uint8_t> pageIndices[kPageCount];
  for (int p = 0; p < kPageCount; ++p) {
    pageIndices[p] = mapper.Map(pages[p]);
    art.book.indices.insert(art.book.indices.end(), pageIndices[p].begin(), pageIndices[p].end());
  }

  for (const ButtonImage& image : images) {
    const QRect place = ButtonRect(image.index);
    const int page = SourcePage(image.index);
    NamedPicture button{image.name, IndexedPicture{place.width(), place.height(), {}, art.book.table}};
    for (int y = 0; y < place.height(); ++y) {
      for (int x = 0; x < place.width(); ++x) {
        const QRgb drawn = image.rgb.pixel(x, y);
        const int px = place.left() + x;
        const int py = place.top() + y;
        const bool untouched = drawn == pages[page].pixel(px, py);
        button.picture.indices.push_back(untouched ? pageIndices[page][static_cast<std::size_t>(py * kPageWidth + px)]
                                                   : mapper.Nearest(PixelRgb(drawn)));
      }
    }
    art.buttons.push_back(std::move(button));
  }
  return art;
}

}  // namespace ossen::art
