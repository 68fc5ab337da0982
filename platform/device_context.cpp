#include "platform/device_context.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include <strings.h>

#include "platform/trace.h"

namespace ossen {

// ---------------------------------------------------------------------------------------------
// Colour matching

namespace {

COLORREF EntryColor(const RGBQUAD& entry) {
  return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

// 24- and 32-bit pixels hold blue, green, red in that byte order.
DWORD PackedBgr(COLORREF color) {
  return static_cast<DWORD>(GetBValue(color)) | (static_cast<DWORD>(GetGValue(color)) << 8) |
         (static_cast<DWORD>(GetRValue(color)) << 16);
}

COLORREF ColorOfPackedBgr(DWORD pixel) {
  return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8),
             static_cast<BYTE>(pixel));
}

}  // namespace

int NearestColorIndex(const RGBQUAD* table, int count, COLORREF rgb) {
  if (table == nullptr || count <= 0) return 0;
  count = std::min(count, 256);
  const int red = GetRValue(rgb), green = GetGValue(rgb), blue = GetBValue(rgb);
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < count; ++i) {
    const int dr = table[i].rgbRed - red;
    const int dg = table[i].rgbGreen - green;
    const int db = table[i].rgbBlue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {  // strict: ties keep the lower index
      best = i;
      bestDistance = distance;
      if (distance == 0) break;  // an exact entry wins outright
    }
  }
  return best;
}

// ---------------------------------------------------------------------------------------------
// Fonts

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
  if (face.empty() || strcasecmp(face.c_str(), "MS Sans Serif") == 0) {
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

// ---------------------------------------------------------------------------------------------
// Target, colour table and state

namespace {

bool UsableTarget(const PixelTarget& target) {
  if (target.bits == nullptr || target.width <= 0 || target.height <= 0) return false;
  if (target.bitsPerPixel != 8 && target.bitsPerPixel != 24 && target.bitsPerPixel != 32)
    return false;
  const long long rowBytes = static_cast<long long>(target.width) * (target.bitsPerPixel / 8);
  const long long stride = target.stride < 0 ? -static_cast<long long>(target.stride)
                                             : static_cast<long long>(target.stride);
  if (stride < rowBytes) return false;
  long long span = 0;
  return !__builtin_mul_overflow(stride, static_cast<long long>(target.height), &span) &&
         span <= std::numeric_limits<std::ptrdiff_t>::max();
}

BYTE* RowOf(const PixelTarget& target, int y) {
  return target.bits + static_cast<std::ptrdiff_t>(y) * target.stride;
}

void PutPixel(BYTE* row, int x, int bitsPerPixel, DWORD pixel) {
  switch (bitsPerPixel) {
    case 8:
      row[x] = static_cast<BYTE>(pixel);
      break;
    case 24: {
      BYTE* p = row + static_cast<std::ptrdiff_t>(x) * 3;
      p[0] = static_cast<BYTE>(pixel);
      p[1] = static_cast<BYTE>(pixel >> 8);
      p[2] = static_cast<BYTE>(pixel >> 16);
      break;
    }
    default: {
      BYTE* p = row + static_cast<std::ptrdiff_t>(x) * 4;
      p[0] = static_cast<BYTE>(pixel);
      p[1] = static_cast<BYTE>(pixel >> 8);
      p[2] = static_cast<BYTE>(pixel >> 16);
      p[3] = 0;
      break;
    }
  }
}

DWORD GetPixelValue(const BYTE* row, int x, int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8:
      return row[x];
    case 24: {
      const BYTE* p = row + static_cast<std::ptrdiff_t>(x) * 3;
      return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
             (static_cast<DWORD>(p[2]) << 16);
    }
    default: {
      const BYTE* p = row + static_cast<std::ptrdiff_t>(x) * 4;
      return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
             (static_cast<DWORD>(p[2]) << 16);
    }
  }
}

}  // namespace

DeviceContext::DeviceContext(const PixelTarget& target, const RGBQUAD* colorTable,
                             int colorCount) {
  SelectTarget(target, colorTable, colorCount);
}

BOOL DeviceContext::SelectTarget(const PixelTarget& target, const RGBQUAD* colorTable,
                                 int colorCount) {
  colorTable_.fill(RGBQUAD{});
  colorCount_ = 0;
  if (!UsableTarget(target)) {
    target_ = PixelTarget{};
    return FALSE;
  }
  target_ = target;
  colorCount_ = std::clamp(colorCount, 0, 256);
  if (colorTable != nullptr) std::copy_n(colorTable, colorCount_, colorTable_.begin());
  return TRUE;
}

UINT DeviceContext::SetDIBColorTable(UINT start, UINT count, const RGBQUAD* entries) {
  if (entries == nullptr || start >= static_cast<UINT>(colorCount_)) return 0;
  const UINT copied = std::min(count, static_cast<UINT>(colorCount_) - start);
  std::copy_n(entries, copied, colorTable_.begin() + start);
  return copied;
}

UINT DeviceContext::GetDIBColorTable(UINT start, UINT count, RGBQUAD* entries) const {
  if (entries == nullptr || start >= static_cast<UINT>(colorCount_)) return 0;
  const UINT copied = std::min(count, static_cast<UINT>(colorCount_) - start);
  std::copy_n(colorTable_.begin() + start, copied, entries);
  return copied;
}

const Font* DeviceContext::SelectObject(const Font* font) {
  const Font* previous = selectedFont_;
  selectedFont_ = font;
  font_ = font != nullptr ? *font : DefaultFont();
  fontPixelSize_ = 0;
  return previous;
}

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

int DeviceContext::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return std::exchange(bkMode_, mode);
}

COLORREF DeviceContext::SetBkColor(COLORREF color) {
  return std::exchange(bkColor_, color & 0x00FFFFFF);
}

COLORREF DeviceContext::SetTextColor(COLORREF color) {
  return std::exchange(textColor_, color & 0x00FFFFFF);
}

int DeviceContext::SetStretchBltMode(int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return std::exchange(stretchMode_, mode);
}

DeviceContext::Clip DeviceContext::BufferClip() const {
  return Clip{0, 0, target_.width, target_.height};
}

DWORD DeviceContext::PixelValueFor(COLORREF color) const {
  if (target_.bitsPerPixel == 8)
    return static_cast<DWORD>(NearestColorIndex(colorTable_.data(), colorCount_, color));
  return PackedBgr(color);
}

namespace {

// The part of [left, right) x [top, bottom) that lies inside `clip`, in 64 bits so that no
// caller's coordinates can overflow on the way.
struct Area {
  long long left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
};

template <typename ClipT>
Area Intersect(long long left, long long top, long long right, long long bottom, const ClipT& clip) {
  return Area{std::max<long long>(left, clip.left), std::max<long long>(top, clip.top),
              std::min<long long>(right, clip.right), std::min<long long>(bottom, clip.bottom)};
}

}  // namespace

void DeviceContext::FillClipped(const Clip& area, DWORD pixel) {
  for (int y = area.top; y < area.bottom; ++y) {
    BYTE* row = RowOf(target_, y);
    if (target_.bitsPerPixel == 8) {
      std::memset(row + area.left, static_cast<int>(pixel & 0xFF),
                  static_cast<std::size_t>(area.right - area.left));
    } else {
      for (int x = area.left; x < area.right; ++x) PutPixel(row, x, target_.bitsPerPixel, pixel);
    }
  }
}

BOOL DeviceContext::FillSolidRect(const RECT& rect, COLORREF color) {
  if (!HasTarget()) return FALSE;
  const Area area = Intersect(rect.left, rect.top, rect.right, rect.bottom, BufferClip());
  if (!area.Empty()) {
    FillClipped(Clip{static_cast<int>(area.left), static_cast<int>(area.top),
                     static_cast<int>(area.right), static_cast<int>(area.bottom)},
                PixelValueFor(color));
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Text

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

// ---------------------------------------------------------------------------------------------
// Blits

namespace {

// Turns source pixel values into target pixel values. Indexed sources go through a table
// built once per blit; true-colour sources into an 8-bit target remember recent matches.
class PixelTranslator {
 public:
  PixelTranslator(const DeviceContext& source, const DeviceContext& target)
      : sourceDepth_(source.target().bitsPerPixel), targetDepth_(target.target().bitsPerPixel) {
    target.GetDIBColorTable(0, 256, targetTable_.data());
    targetCount_ = target.colorCount();
    if (sourceDepth_ != 8) return;
    std::array<RGBQUAD, 256> sourceTable{};  // indices past the table's size read as black
    const UINT sourceCount = source.GetDIBColorTable(0, 256, sourceTable.data());
    identity_ = targetDepth_ == 8 && sourceCount == static_cast<UINT>(targetCount_) &&
                std::memcmp(sourceTable.data(), targetTable_.data(), sizeof(RGBQUAD) * sourceCount) == 0;
    for (int i = 0; i < 256; ++i) {
      const COLORREF color = EntryColor(sourceTable[static_cast<std::size_t>(i)]);
      indexed_[static_cast<std::size_t>(i)] =
          targetDepth_ == 8
              ? (identity_ && i < targetCount_ ? static_cast<DWORD>(i) : Nearest(color))
              : PackedBgr(color);
    }
  }

  bool identity() const { return identity_; }

  DWORD Translate(DWORD sourcePixel) {
    if (sourceDepth_ == 8) return indexed_[sourcePixel & 0xFF];
    if (targetDepth_ != 8) return sourcePixel;
    const std::size_t slot = (sourcePixel ^ (sourcePixel >> 11) ^ (sourcePixel >> 19)) & (kCacheSize - 1);
    CacheEntry& entry = cache_[slot];
    if (!entry.used || entry.pixel != sourcePixel) {
      entry = CacheEntry{true, sourcePixel, Nearest(ColorOfPackedBgr(sourcePixel))};
    }
    return entry.index;
  }

 private:
  DWORD Nearest(COLORREF color) const {
    return static_cast<DWORD>(NearestColorIndex(targetTable_.data(), targetCount_, color));
  }

  static constexpr std::size_t kCacheSize = 4096;
  struct CacheEntry {
    bool used = false;
    DWORD pixel = 0;
    DWORD index = 0;
  };

  int sourceDepth_;
  int targetDepth_;
  std::array<RGBQUAD, 256> targetTable_{};
  int targetCount_ = 0;
  bool identity_ = false;
  std::array<DWORD, 256> indexed_{};
  std::vector<CacheEntry> cache_ = std::vector<CacheEntry>(kCacheSize);
};

// One row between true-colour buffers: blue, green and red as they are, the fourth byte of a
// 32-bit target 0, as PutPixel writes it. Columns below 0 lie outside the source.
void CopyTrueColorRow(const BYTE* in, int inBytes, BYTE* out, int outBytes, const std::vector<int>& columns) {
  for (const int column : columns) {
    if (column >= 0) {
      const BYTE* p = in + static_cast<std::ptrdiff_t>(column) * inBytes;
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
      if (outBytes == 4) out[3] = 0;
    }
    out += outBytes;
  }
}

// Nearest-neighbour source coordinate of target offset j in a scaled span: floor(j * s / d).
long long ScaledOffset(long long j, long long sourceSize, long long targetSize) {
  return j * sourceSize / targetSize;
}

}  // namespace

BOOL DeviceContext::BitBlt(int x, int y, int width, int height, const DeviceContext& source,
                           int sx, int sy, DWORD rop) {
  return StretchBlt(x, y, width, height, source, sx, sy, width, height, rop);
}

BOOL DeviceContext::StretchBlt(int x, int y, int width, int height, const DeviceContext& source,
                               int sx, int sy, int sourceWidth, int sourceHeight, DWORD rop) {
  if (rop != SRCCOPY || !HasTarget() || !source.HasTarget()) return FALSE;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return FALSE;

  const Area visible = Intersect(x, y, static_cast<long long>(x) + width,
                                 static_cast<long long>(y) + height, BufferClip());
  if (visible.Empty()) return TRUE;

  // Source columns of the visible target columns; -1 where the source lies outside its buffer.
  const PixelTarget& from = source.target();
  std::vector<int> sourceColumns(static_cast<std::size_t>(visible.right - visible.left));
  for (long long tx = visible.left; tx < visible.right; ++tx) {
    const long long column = sx + ScaledOffset(tx - x, sourceWidth, width);
    sourceColumns[static_cast<std::size_t>(tx - visible.left)] =
        column >= 0 && column < from.width ? static_cast<int>(column) : -1;
  }

  // A blit within one buffer reads from a snapshot, so overlapping rectangles copy correctly.
  std::vector<BYTE> snapshot;
  PixelTarget reading = from;
  const bool sameMemory = from.bits == target_.bits;
  if (sameMemory) {
    const std::size_t rowBytes = static_cast<std::size_t>(from.width) * static_cast<std::size_t>(from.bitsPerPixel / 8);
    snapshot.resize(rowBytes * static_cast<std::size_t>(from.height));
    for (int row = 0; row < from.height; ++row)
      std::memcpy(snapshot.data() + rowBytes * static_cast<std::size_t>(row), RowOf(from, row), rowBytes);
    reading.bits = snapshot.data();
    reading.stride = static_cast<std::ptrdiff_t>(rowBytes);
  }

  PixelTranslator translator(source, *this);
  const bool straightCopy = translator.identity() && from.bitsPerPixel == 8 && target_.bitsPerPixel == 8 &&
                            sourceWidth == width;
  const bool trueColor = from.bitsPerPixel != 8 && target_.bitsPerPixel != 8;
  for (long long ty = visible.top; ty < visible.bottom; ++ty) {
    const long long sourceRow = sy + ScaledOffset(ty - y, sourceHeight, height);
    if (sourceRow < 0 || sourceRow >= from.height) continue;
    const BYTE* in = RowOf(reading, static_cast<int>(sourceRow));
    BYTE* out = RowOf(target_, static_cast<int>(ty));
    if (straightCopy) {
      // Same-size indexed copy: the valid source columns form one run.
      std::size_t first = 0;
      while (first < sourceColumns.size() && sourceColumns[first] < 0) ++first;
      std::size_t last = first;
      while (last < sourceColumns.size() && sourceColumns[last] >= 0) ++last;
      if (last > first) {
        std::memcpy(out + visible.left + static_cast<long long>(first), in + sourceColumns[first], last - first);
      }
      continue;
    }
    if (trueColor) {
      CopyTrueColorRow(in, from.bitsPerPixel / 8, out + visible.left * (target_.bitsPerPixel / 8),
                       target_.bitsPerPixel / 8, sourceColumns);
      continue;
    }
    for (std::size_t i = 0; i < sourceColumns.size(); ++i) {
      const int column = sourceColumns[i];
      if (column < 0) continue;
      PutPixel(out, static_cast<int>(visible.left) + static_cast<int>(i), target_.bitsPerPixel,
               translator.Translate(GetPixelValue(in, column, from.bitsPerPixel)));
    }
  }
  return TRUE;
}

}  // namespace ossen
