// A GDI-like device context that draws into pixel memory we own.
//
// The graphics library's surfaces keep their pixels as plain rows; this class gives them the
// handful of Win32 drawing calls the program uses on them: fonts, text output, an opaque
// rectangle fill and colour-matched blits between two contexts. Results follow the Win32
// calls they stand for (BOOL, int, COLORREF). Nothing here ever touches memory outside the
// target rows it was given.
//
// Text is rasterised by the host's font engine without anti-aliasing, so an 8-bit target only
// ever receives the colour-table index of the text colour (and of the background colour).
//
// The class is defined in four files by idea: device_context.cpp (target, colour table,
// state, fills), device_context_text.cpp (fonts and text), device_context_blit.cpp (blits)
// and color_matching.cpp (nearest colours and pixel translation).
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/base/win_types.h"

namespace ossen {

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Stretch modes; every mode is drawn as COLORONCOLOR (rows and columns are deleted or
// repeated, never blended).
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

inline constexpr DWORD SRCCOPY = 0x00CC0020;

// ExtTextOut options.
inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;

// DrawText format flags.
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;

// Font weights, pitch and family bits used by the program.
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;
inline constexpr DWORD DEFAULT_PITCH = 0x00;
inline constexpr DWORD FIXED_PITCH = 0x01;
inline constexpr DWORD VARIABLE_PITCH = 0x02;
inline constexpr DWORD FF_DONTCARE = 0x00;
inline constexpr DWORD FF_ROMAN = 0x10;
inline constexpr DWORD FF_SWISS = 0x20;
inline constexpr DWORD FF_MODERN = 0x30;

// The index of the table entry nearest to `rgb`: an exact entry when there is one, else the
// smallest squared RGB distance; ties go to the lowest index. An empty table gives 0.
int NearestColorIndex(const RGBQUAD* table, int count, COLORREF rgb);

// A logical font: what CreateFont records. It is resolved to a host face when text is drawn.
// "MS Sans Serif" or no face name give the host's sans-serif face (DejaVu Sans); another
// name is looked up as it is, the family (FF_SWISS, FF_ROMAN, FF_MODERN) naming the fallback.
class Font {
 public:
  // height < 0: character height in pixels (the em size); height > 0: cell height
  // (ascent + descent) in pixels; 0: the default height (12-pixel cell).
  Font(int height, int weight, bool italic, DWORD pitchAndFamily, std::string faceName);

  int height() const { return height_; }
  int weight() const { return weight_; }
  bool italic() const { return italic_; }
  DWORD pitchAndFamily() const { return pitchAndFamily_; }
  const std::string& faceName() const { return faceName_; }

 private:
  int height_;
  int weight_;
  bool italic_;
  DWORD pitchAndFamily_;
  std::string faceName_;
};

// The Win32 call's shape; width, escapement, orientation, underline, strike-out, character
// set and the precision and quality hints have no effect (text is never anti-aliased).
Font CreateFont(int height, int width, int escapement, int orientation, int weight,
                DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                const char* faceName);

// The pixel memory a context draws into: row y starts at bits + y * stride (rows top-down
// for a positive stride). 8 bits per pixel index the context's colour table; 24 and 32 bits
// hold blue, green, red (and an unused byte).
struct PixelTarget {
  BYTE* bits = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 8;
};

class DeviceContext {
 public:
  // A context without a target (or with an unusable one: null bits, a size that is not
  // positive, rows shorter than the width, another depth) draws nothing and reports FALSE.
  DeviceContext() = default;
  explicit DeviceContext(const PixelTarget& target, const RGBQUAD* colorTable = nullptr,
                         int colorCount = 0);

  // Points the context at other pixel memory and gives it a new colour table of
  // `colorCount` entries (at most 256). FALSE when the target is unusable.
  BOOL SelectTarget(const PixelTarget& target, const RGBQUAD* colorTable, int colorCount);
  bool HasTarget() const { return target_.bits != nullptr; }
  const PixelTarget& target() const { return target_; }

  // Colour table of an 8-bit target. Writes and reads stay inside the table's size; the
  // result is the number of entries copied.
  UINT SetDIBColorTable(UINT start, UINT count, const RGBQUAD* entries);
  UINT GetDIBColorTable(UINT start, UINT count, RGBQUAD* entries) const;
  int colorCount() const { return colorCount_; }

  // Selects a font and returns the previously selected one (null for the default font,
  // a bold 16-pixel sans-serif cell like the system font). The context keeps its own copy
  // of the font's description, so destroying a still-selected font is harmless.
  const Font* SelectObject(const Font* font);

  int SetBkMode(int mode);  // previous mode; 0 for an unknown mode (then unchanged)
  int GetBkMode() const { return bkMode_; }
  COLORREF SetBkColor(COLORREF color);  // previous colour
  COLORREF GetBkColor() const { return bkColor_; }
  COLORREF SetTextColor(COLORREF color);  // previous colour
  COLORREF GetTextColor() const { return textColor_; }
  int SetStretchBltMode(int mode);  // previous mode; 0 for an unknown mode
  int GetStretchBltMode() const { return stretchMode_; }

  // Text placed by the top-left corner of its cell; in OPAQUE mode the cell is filled with
  // the background colour first. `length` < 0 takes the text up to its terminating zero.
  BOOL TextOut(int x, int y, const char* text, int length);

  // ETO_OPAQUE fills `rect` with the background colour (whatever the background mode);
  // ETO_CLIPPED keeps the text inside `rect`. Per-character advances are not supported.
  BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                  const int* dx);

  // Lines break at "\r\n", "\r" and "\n"; DT_WORDBREAK also wraps between words (a word wider
  // than the rectangle keeps a line of its own). DT_VCENTER and DT_BOTTOM act only with
  // DT_SINGLELINE, so wrapped text starts at the top. Drawing is clipped to `rect` unless
  // DT_NOCLIP; '&' marks a mnemonic (removed, "&&" gives '&') unless DT_NOPREFIX.
  // DT_CALCRECT draws nothing and sets rect's right and bottom to the text's extent.
  // Returns the height of the text, 0 on failure.
  int DrawText(const char* text, int length, RECT* rect, UINT format);

  // SRCCOPY from `source`, clipped to both buffers; pixels whose source would lie outside
  // the source buffer are left as they are. Between 8-bit contexts with different tables each
  // source index is mapped through its RGB to the nearest index of this table. StretchBlt
  // deletes or repeats rows and columns: target pixel j takes source floor(j * sw / dw).
  // Sizes must be positive.
  BOOL BitBlt(int x, int y, int width, int height, const DeviceContext& source, int sx,
              int sy, DWORD rop);
  BOOL StretchBlt(int x, int y, int width, int height, const DeviceContext& source, int sx,
                  int sy, int sourceWidth, int sourceHeight, DWORD rop);

  // Fills the part of `rect` inside the buffer with `color` (nearest index on 8 bits).
  BOOL FillSolidRect(const RECT& rect, COLORREF color);

 private:
  struct Clip {
    int left, top, right, bottom;
  };
  Clip BufferClip() const;
  DWORD PixelValueFor(COLORREF color) const;
  void FillClipped(const Clip& area, DWORD pixel);
  BOOL DrawTextRun(int x, int y, const std::string& text, const Clip& clip);
  int FontPixelSize();

  PixelTarget target_;
  std::array<RGBQUAD, 256> colorTable_{};
  int colorCount_ = 0;
  const Font* selectedFont_ = nullptr;
  Font font_ = DefaultFont();
  int fontPixelSize_ = 0;  // host pixel size that font_ resolves to; 0 until first needed
  int bkMode_ = OPAQUE;
  COLORREF bkColor_ = RGB(255, 255, 255);
  COLORREF textColor_ = RGB(0, 0, 0);
  int stretchMode_ = BLACKONWHITE;

  static Font DefaultFont();
};

}  // namespace ossen
