#include "platform/draw/device_context.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/draw/color_matching.h"
#include "platform/draw/device_context_pixels.h"

// The device context's target, colour table, state and fills. Text is in
// device_context_text.cpp, blits in device_context_blit.cpp, colour matching in
// color_matching.cpp.

namespace ossen {

using dc::Area;
using dc::Intersect;
using dc::PutPixel;
using dc::RowOf;

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

}  // namespace ossen
