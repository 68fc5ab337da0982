// Pixel access and clipping shared by the device context's fills, text and blits. Internal
// to the device context's files.
#pragma once

#include <algorithm>
#include <cstddef>

#include "platform/draw/device_context.h"

namespace ossen::dc {

inline BYTE* RowOf(const PixelTarget& target, int y) {
  return target.bits + static_cast<std::ptrdiff_t>(y) * target.stride;
}

inline void PutPixel(BYTE* row, int x, int bitsPerPixel, DWORD pixel) {
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

inline DWORD GetPixelValue(const BYTE* row, int x, int bitsPerPixel) {
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

// The part of [left, right) x [top, bottom) that lies inside `clip`, in 64 bits so that no
// caller's coordinates can overflow on the way.
struct Area {
  long long left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
};

template <typename ClipT>
inline Area Intersect(long long left, long long top, long long right, long long bottom, const ClipT& clip) {
  return Area{std::max<long long>(left, clip.left), std::max<long long>(top, clip.top),
              std::min<long long>(right, clip.right), std::min<long long>(bottom, clip.bottom)};
}

}  // namespace ossen::dc
