// Fonts and text output of the device context: logical fonts resolved to the host's faces,
// text rasterised without anti-aliasing and written as one pixel value.
#include "platform/draw/device_context.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/ascii_case.h"
#include "platform/base/trace.h"
#include "platform/draw/device_context_pixels.h"

namespace ossen {

using dc::Area;
using dc::Intersect;
using dc::PutPixel;
using dc::RowOf;

Font::Font(int height, int weight, bool italic, DWORD pitchAndFamily, std::string faceName)
    : height_(height),
      weight_(weight),
      italic_(italic),
      pitchAndFamily_(pitchAndFamily),
      faceName_(std::move(faceName)) {}

Font CreateFont(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int weight,
                DWORD italic, DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/,
                DWORD /*outPrecision*/, DWORD /*clipPrecision*/, DWORD /*quality*/,
                DWORD pitchAndFamily, const char* faceName) {
  return Font(height, weight, italic != 0, pitchAndFamily, faceName ? faceName : "");
}

Font DeviceContext::DefaultFont() { return Font(16, FW_BOLD, false, VARIABLE_PITCH | FF_SWISS, ""); }

namespace {

constexpr int kMaxPixelSize = 1024;  // beyond this a glyph is larger than any of our surfaces

// Qt's fonts need a QGuiApplication. The program creates its own QApplication before it draws;
// tests and command-line tools get one made here on first use, on the offscreen platform when
// no display is there. It lives until the process ends. A plain QCoreApplication already in
// place cannot be replaced: then there are no fonts and text calls fail.
bool EnsureFontSystem() {
  QCoreApplication* existing = QCoreApplication::instance();
  if (existing != nullptr) {
    if (qobject_cast<QGuiApplication*>(existing) != nullptr) return true;
    Trace("DeviceContext: a non-GUI application object is running; no fonts for text");
    return false;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static int argc = 0;
  static char* argv[] = {nullptr};
  static QGuiApplication application(argc, argv);
  return true;
}

// No face name, or the dialog face of the original system, means the host's sans-serif face;
// another face is asked for by name, the family giving the fallback.
QFont::StyleHint FamilyHint(DWORD pitchAndFamily) {
  switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN: return QFont::Serif;
    case FF_MODERN: return QFont::Monospace;
    case FF_SWISS: return QFont::SansSerif;
    default: return QFont::AnyStyle;
  }
}

QFont HostFontWithPixelSize(const Font& font, int pixelSize) {
  QFont qfont;
  const std::string& face = font.faceName();
  if (face.empty() || EqualNamesIgnoringCase(face, "MS Sans Serif")) {
    qfont.setFamily(QStringLiteral("DejaVu Sans"));
    qfont.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
  } else {
    qfont.setFamily(QString::fromLatin1(face));
    qfont.setStyleHint(FamilyHint(font.pitchAndFamily()), QFont::NoAntialias);
  }
  qfont.setPixelSize(std::clamp(pixelSize, 1, kMaxPixelSize));
  const int weight = font.weight() <= 0 ? FW_NORMAL : std::clamp(font.weight(), 1, 1000);
  qfont.setWeight(static_cast<QFont::Weight>(weight));
  qfont.setItalic(font.italic());
  qfont.setKerning(false);  // GDI text output does not kern
  qfont.setHintingPreference(QFont::PreferFullHinting);
  return qfont;
}

// Single-byte program text; Latin-1 is the host reading of the ANSI code page.
QString HostText(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// Negative heights are character (em) heights; positive ones are cell heights, for which the
// largest pixel size whose cell fits is taken (found once per selected font).
int DeviceContext::FontPixelSize() {
  if (fontPixelSize_ > 0) return fontPixelSize_;
  const long long height = font_.height();
  if (height < 0) {
    fontPixelSize_ = static_cast<int>(std::min<long long>(-height, kMaxPixelSize));
    return fontPixelSize_;
  }
  const int cell = height == 0 ? 12 : static_cast<int>(std::min<long long>(height, kMaxPixelSize));
  const auto cellOf = [this](int pixelSize) {
    return QFontMetrics(HostFontWithPixelSize(font_, pixelSize)).height();
  };
  // Cells grow almost in proportion to the pixel size: start from that guess, then step.
  int pixelSize = std::clamp(cell * cell / std::max(1, cellOf(cell)), 1, cell);
  while (pixelSize > 1 && cellOf(pixelSize) > cell) --pixelSize;
  while (pixelSize < cell && cellOf(pixelSize + 1) <= cell) ++pixelSize;
  fontPixelSize_ = pixelSize;
  return fontPixelSize_;
}

// Draws one line with its cell's top-left corner at (x, y), inside `clip` (already inside the
// buffer). Only the part of the line that can reach the clip is rasterised, so a long line or
// a far-off origin costs no more than the visible area.
BOOL DeviceContext::DrawTextRun(int x, int y, const std::string& text, const Clip& clip) {
  if (!HasTarget() || !EnsureFontSystem()) return FALSE;
  const QFont qfont = HostFontWithPixelSize(font_, FontPixelSize());
  const QFontMetrics metrics(qfont);
  const QString hostText = HostText(text);
  const long long advance = metrics.horizontalAdvance(hostText);
  const long long cellHeight = metrics.height();

  if (bkMode_ == OPAQUE) {
    const Area cell = Intersect(x, y, x + advance, y + cellHeight, clip);
    if (!cell.Empty()) {
      FillClipped(Clip{static_cast<int>(cell.left), static_cast<int>(cell.top),
                       static_cast<int>(cell.right), static_cast<int>(cell.bottom)},
                  PixelValueFor(bkColor_));
    }
  }
  if (hostText.isEmpty()) return TRUE;

  // Glyphs may overhang their cell (italics, bearings): leave a cell-height margin round it.
  const long long margin = cellHeight + 2;
  const Area reach = Intersect(x - margin, y - margin, x + advance + margin,
                               y + cellHeight + margin, clip);
  if (reach.Empty()) return TRUE;
  const int width = static_cast<int>(reach.right - reach.left);
  const int height = static_cast<int>(reach.bottom - reach.top);

  QImage mask(width, height, QImage::Format_ARGB32_Premultiplied);
  if (mask.isNull()) return FALSE;
  mask.fill(Qt::transparent);
  {
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(qfont);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(static_cast<double>(x - reach.left),
                             static_cast<double>(y - reach.top + metrics.ascent())),
                     hostText);
  }

  const DWORD textPixel = PixelValueFor(textColor_);
  for (int row = 0; row < height; ++row) {
    const auto* maskRow = reinterpret_cast<const QRgb*>(mask.constScanLine(row));
    BYTE* targetRow = RowOf(target_, static_cast<int>(reach.top) + row);
    for (int column = 0; column < width; ++column) {
      if (qAlpha(maskRow[column]) >= 128)
        PutPixel(targetRow, static_cast<int>(reach.left) + column, target_.bitsPerPixel, textPixel);
    }
  }
  return TRUE;
}

BOOL DeviceContext::TextOut(int x, int y, const char* text, int length) {
  if (text == nullptr) return FALSE;
  const std::size_t size = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  return DrawTextRun(x, y, std::string(text, size), BufferClip());
}

BOOL DeviceContext::ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text,
                               UINT length, const int* /*dx*/) {
  if (!HasTarget()) return FALSE;
  if ((options & ETO_OPAQUE) != 0 && rect != nullptr) FillSolidRect(*rect, bkColor_);
  if (text == nullptr || length == 0) return TRUE;
  Clip clip = BufferClip();
  if ((options & ETO_CLIPPED) != 0 && rect != nullptr) {
    const Area area = Intersect(rect->left, rect->top, rect->right, rect->bottom, clip);
    if (area.Empty()) return TRUE;
    clip = Clip{static_cast<int>(area.left), static_cast<int>(area.top),
                static_cast<int>(area.right), static_cast<int>(area.bottom)};
  }
  return DrawTextRun(x, y, std::string(text, length), clip);
}

namespace {

// "&x" shows x (the mnemonic underline is not drawn), "&&" shows '&', a final '&' nothing.
std::string WithoutPrefixes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size()) out.push_back(text[++i]);
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<std::string> SplitParagraphs(std::string_view text) {
  std::vector<std::string> paragraphs(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      paragraphs.emplace_back();
    } else {
      paragraphs.back().push_back(c);
    }
  }
  return paragraphs;
}

std::string WithoutTrailingSpaces(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// Greedy wrapping between words: a word goes onto the line when the line with it still fits
// the width; a word that fits no line is given one of its own.
void WrapParagraph(const std::string& paragraph, long long width, const QFontMetrics& metrics,
                   std::vector<std::string>& lines) {
  std::string line;
  std::size_t i = 0;
  const std::size_t n = paragraph.size();
  bool lineStarted = false;
  while (i < n) {
    std::size_t wordStart = i;
    while (wordStart < n && paragraph[wordStart] == ' ') ++wordStart;
    std::size_t wordEnd = wordStart;
    while (wordEnd < n && paragraph[wordEnd] != ' ') ++wordEnd;
    std::string candidate = line + paragraph.substr(i, wordEnd - i);
    if (!lineStarted ||
        metrics.horizontalAdvance(HostText(WithoutTrailingSpaces(candidate))) <= width) {
      line = std::move(candidate);
      lineStarted = true;
      i = wordEnd;
    } else {
      lines.push_back(WithoutTrailingSpaces(std::move(line)));
      line.clear();
      lineStarted = false;
      i = wordStart;  // the spaces at a break belong to neither line
    }
  }
  lines.push_back(WithoutTrailingSpaces(std::move(line)));
}

}  // namespace

int DeviceContext::DrawText(const char* text, int length, RECT* rect, UINT format) {
  if (text == nullptr || rect == nullptr || !EnsureFontSystem()) return 0;
  const bool calculateOnly = (format & DT_CALCRECT) != 0;
  if (!calculateOnly && !HasTarget()) return 0;

  const std::size_t size = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  std::string shown(text, size);
  if ((format & DT_NOPREFIX) == 0) shown = WithoutPrefixes(shown);

  const QFontMetrics metrics(HostFontWithPixelSize(font_, FontPixelSize()));
  const long long lineHeight = metrics.height();
  const long long width = static_cast<long long>(rect->right) - rect->left;
  const long long height = static_cast<long long>(rect->bottom) - rect->top;

  std::vector<std::string> lines;
  if ((format & DT_SINGLELINE) != 0) {
    std::string line;
    for (char c : shown)
      if (c != '\r' && c != '\n') line.push_back(c);
    lines.push_back(std::move(line));
  } else {
    for (const std::string& paragraph : SplitParagraphs(shown)) {
      if ((format & DT_WORDBREAK) != 0)
        WrapParagraph(paragraph, width, metrics, lines);
      else
        lines.push_back(paragraph);
    }
  }

  long long top = rect->top;
  if ((format & DT_SINGLELINE) != 0 && !calculateOnly) {
    if ((format & DT_VCENTER) != 0)
      top += (height - lineHeight) / 2;
    else if ((format & DT_BOTTOM) != 0)
      top += height - lineHeight;
  }
  const long long textHeight = (top - rect->top) + lineHeight * static_cast<long long>(lines.size());

  if (calculateOnly) {
    long long widest = 0;
    for (const std::string& line : lines)
      widest = std::max<long long>(widest, metrics.horizontalAdvance(HostText(line)));
    rect->right = static_cast<LONG>(std::min<long long>(rect->left + widest, std::numeric_limits<LONG>::max()));
    rect->bottom = static_cast<LONG>(std::min<long long>(rect->top + textHeight, std::numeric_limits<LONG>::max()));
    return static_cast<int>(std::min<long long>(textHeight, std::numeric_limits<int>::max()));
  }

  Clip clip = BufferClip();
  if ((format & DT_NOCLIP) == 0) {
    const Area area = Intersect(rect->left, rect->top, rect->right, rect->bottom, clip);
    if (area.Empty()) return static_cast<int>(std::min<long long>(textHeight, std::numeric_limits<int>::max()));
    clip = Clip{static_cast<int>(area.left), static_cast<int>(area.top),
                static_cast<int>(area.right), static_cast<int>(area.bottom)};
  }

  long long lineTop = top;
  for (const std::string& line : lines) {
    if (lineTop >= clip.bottom) break;
    if (lineTop + lineHeight > clip.top) {
      long long left = rect->left;
      const long long lineWidth = metrics.horizontalAdvance(HostText(line));
      if ((format & DT_CENTER) != 0)
        left += (width - lineWidth) / 2;
      else if ((format & DT_RIGHT) != 0)
        left += width - lineWidth;
      // Lines wholly outside int range cannot reach the buffer; skip rather than wrap around.
      if (left >= std::numeric_limits<int>::min() && left <= std::numeric_limits<int>::max() &&
          lineTop >= std::numeric_limits<int>::min()) {
        DrawTextRun(static_cast<int>(left), static_cast<int>(lineTop), line, clip);
      }
    }
    lineTop += lineHeight;
  }
  return static_cast<int>(std::min<long long>(textHeight, std::numeric_limits<int>::max()));
}

}  // namespace ossen
