// Colour matching for the device context: the nearest entry of a colour table, GDI colours
// packed as 24- and 32-bit pixels, and the per-blit translation of source pixels into
// target pixels (through RGB when the two colour tables differ).
#pragma once

#include <array>
#include <cstring>
#include <vector>

#include "platform/draw/device_context.h"

namespace ossen {

constexpr COLORREF EntryColor(const RGBQUAD& entry) { return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue); }

// 24- and 32-bit pixels hold blue, green, red in that byte order.
constexpr DWORD PackedBgr(COLORREF color) {
  return static_cast<DWORD>(GetBValue(color)) | (static_cast<DWORD>(GetGValue(color)) << 8) |
         (static_cast<DWORD>(GetRValue(color)) << 16);
}

constexpr COLORREF ColorOfPackedBgr(DWORD pixel) {
  return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
}

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

}  // namespace ossen
