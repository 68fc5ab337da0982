// Rectangle fills, lines and the 16-bit tint on raw pixel memory.
#include <algorithm>
#include <cstring>

#include "gfx/blit_engine.h"
#include "gfx/blit_kernels.h"
#include "gfx/blit_kernels_loops.h"
#include "gfx/blit_tables.h"

namespace ossen {

using namespace blit;

namespace {

// Cuts (x, y, w, h) to the buffer and the optional clip; false when nothing remains.
bool CutToBuffer(const PixelBuffer& buffer, const PixelRect* clip, std::int64_t x, std::int64_t y,
                 std::int64_t w, std::int64_t h, PixelRect& out) {
  std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
  std::int64_t right = std::min<std::int64_t>(x + w, buffer.width);
  std::int64_t bottom = std::min<std::int64_t>(y + h, buffer.height);
  if (clip != nullptr) {
    left = std::max<std::int64_t>(left, clip->x);
    top = std::max<std::int64_t>(top, clip->y);
    right = std::min<std::int64_t>(right, std::int64_t{clip->x} + clip->w);
    bottom = std::min<std::int64_t>(bottom, std::int64_t{clip->y} + clip->h);
  }
  if (w <= 0 || h <= 0 || right <= left || bottom <= top) return false;
  out = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
         static_cast<int>(bottom - top)};
  return true;
}

// 1, 2 and 4 bits: the leftmost pixel in the most significant bits; partial end bytes
// are merged under masks so their other pixels keep their values.
void FillPackedRow(std::uint8_t* row, int x, int w, int bitsPerPixel, std::uint32_t value) {
  const std::uint32_t pixel = value & ((1u << bitsPerPixel) - 1);
  const auto pattern = static_cast<std::uint8_t>(bitsPerPixel == 1 ? pixel * 0xFF
                                                 : bitsPerPixel == 2 ? pixel * 0x55
                                                                     : pixel * 0x11);
  const std::int64_t startBit = std::int64_t{x} * bitsPerPixel;
  const std::int64_t endBit = (std::int64_t{x} + w) * bitsPerPixel;  // exclusive
  const std::int64_t firstByte = startBit / 8, lastByte = (endBit - 1) / 8;
  auto merge = [&](std::int64_t index, unsigned mask) {
    row[index] = static_cast<std::uint8_t>((row[index] & ~mask) | (pattern & mask));
  };
  const unsigned headMask = 0xFFu >> (startBit % 8);
  const unsigned tailMask = (0xFF00u >> ((endBit - 1) % 8 + 1)) & 0xFFu;
  if (firstByte == lastByte) return merge(firstByte, headMask & tailMask);
  merge(firstByte, headMask);
  std::memset(row + firstByte + 1, pattern, static_cast<std::size_t>(lastByte - firstByte - 1));
  merge(lastByte, tailMask);
}

// 8 bits: bytes up to the first 32-bit boundary, 32-bit words, the remaining bytes.
void FillRow8(std::uint8_t* p, int w, std::uint32_t value) {
  const auto byte = static_cast<std::uint8_t>(value);
  for (; w > 0 && (reinterpret_cast<std::uintptr_t>(p) & 3) != 0; --w) *p++ = byte;
  const std::uint32_t word = byte * 0x01010101u;
  for (; w >= 4; w -= 4, p += 4) std::memcpy(p, &word, 4);
  for (; w > 0; --w) *p++ = byte;
}

// 16 bits: one pixel to reach a 32-bit boundary, groups of four pixels as two words,
// then the remaining 0 to 3 pixels.
void FillRow16(std::uint8_t* p, int w, std::uint32_t value) {
  const auto pixel = static_cast<std::uint16_t>(value);
  if (w > 0 && (reinterpret_cast<std::uintptr_t>(p) & 3) == 2) {
    std::memcpy(p, &pixel, 2);
    p += 2;
    --w;
  }
  const std::uint32_t word = pixel * 0x00010001u;
  for (; w >= 4; w -= 4, p += 8) {
    std::memcpy(p, &word, 4);
    std::memcpy(p + 4, &word, 4);
  }
  for (; w > 0; --w, p += 2) std::memcpy(p, &pixel, 2);
}

void FillRow24(std::uint8_t* p, int w, std::uint32_t value) {
  for (; w > 0; --w, p += 3) PixelIo<3>::Store(p, value);
}

void FillRow32(std::uint8_t* p, int w, std::uint32_t value) {
  for (; w > 0; --w, p += 4) std::memcpy(p, &value, 4);
}

}  // namespace

int FillPixels(const PixelBuffer& target, int x, int y, int w, int h, std::uint32_t value, const PixelRect* clip) {
  if (target.format == 0) return 3;
  if (!IsUsablePixelBuffer(target)) return 2;
  PixelRect r;
  if (!CutToBuffer(target, clip, x, y, w, h, r)) return 0;
  const int bitsPerPixel = FormatBitsPerPixel(target.format);
  const int bytes = FormatBytesPerPixel(target.format);
  for (int j = r.y; j < r.y + r.h; ++j) {
    std::uint8_t* row = RowAt(target.bits, target.stride, j);
    std::uint8_t* first = row + static_cast<std::ptrdiff_t>(r.x) * bytes;
    switch (bitsPerPixel) {
      case 1: case 2: case 4: FillPackedRow(row, r.x, r.w, bitsPerPixel, value); break;
      case 8: FillRow8(first, r.w, value); break;
      case 16: FillRow16(first, r.w, value); break;
      case 24: FillRow24(first, r.w, value); break;
      case 32: FillRow32(first, r.w, value); break;
      default: break;
    }
  }
  return 0;
}

namespace {

__extension__ typedef __int128 Wide;  // products of two 33-bit coordinate differences

struct Bounds {
  std::int64_t minX, minY, maxX, maxY;  // inclusive
};

int OutCode(const Bounds& b, std::int64_t x, std::int64_t y) {
  int code = 0;
  if (x < b.minX) code |= 1;
  else if (x > b.maxX) code |= 2;
  if (y < b.minY) code |= 4;
  else if (y > b.maxY) code |= 8;
  return code;
}

// Cohen-Sutherland: moves the outside end point to an edge until both are inside
// (true) or both share an outside side (false).
bool ClipSegment(const Bounds& b, std::int64_t& x0, std::int64_t& y0, std::int64_t& x1, std::int64_t& y1) {
  for (int round = 0; round < 16; ++round) {
    const int code0 = OutCode(b, x0, y0), code1 = OutCode(b, x1, y1);
    if ((code0 | code1) == 0) return true;
    if ((code0 & code1) != 0) return false;
    const int out = code0 != 0 ? code0 : code1;
    std::int64_t x, y;
    auto xAt = [&](std::int64_t yy) { return x0 + static_cast<std::int64_t>(Wide{yy - y0} * (x1 - x0) / (y1 - y0)); };
    auto yAt = [&](std::int64_t xx) { return y0 + static_cast<std::int64_t>(Wide{xx - x0} * (y1 - y0) / (x1 - x0)); };
    if (out & 8) {
      y = b.maxY;
      x = xAt(y);
    } else if (out == 4) {
      y = b.minY;
      x = xAt(y);
    } else if (out & 1) {
      x = b.minX;
      y = yAt(x);
    } else {
      x = b.maxX;
      y = yAt(x);
    }
    if (out == code0) {
      x0 = x;
      y0 = y;
    } else {
      x1 = x;
      y1 = y;
    }
  }
  return false;
}

}  // namespace

int DrawLine(const PixelBuffer& target, int x0, int y0, int x1, int y1, std::uint32_t value, const PixelRect* clip) {
  if (target.format == 0) return 3;
  if (!IsUsablePixelBuffer(target)) return 2;
  const int bytes = FormatBytesPerPixel(target.format);
  if (bytes == 0 || target.width == 0 || target.height == 0) return 0;
  Bounds b{0, 0, target.width - 1, target.height - 1};
  if (clip != nullptr) {
    b.minX = std::max<std::int64_t>(b.minX, clip->x);
    b.minY = std::max<std::int64_t>(b.minY, clip->y);
    b.maxX = std::min<std::int64_t>(b.maxX, std::int64_t{clip->x} + clip->w - 1);
    b.maxY = std::min<std::int64_t>(b.maxY, std::int64_t{clip->y} + clip->h - 1);
    if (b.maxX < b.minX || b.maxY < b.minY) return 0;
  }
  std::int64_t ax = x0, ay = y0, bx = x1, by = y1;
  if (!ClipSegment(b, ax, ay, bx, by)) return 0;

  const std::int64_t dx = bx - ax, dy = by - ay;
  const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const std::int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int stepX = dx < 0 ? -1 : 1, stepY = dy < 0 ? -1 : 1;
  std::int64_t x = ax, y = ay, error = 0;
  for (std::int64_t n = 0; n < major; ++n) {
    if (x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY) {
      std::uint8_t* p = RowAt(target.bits, target.stride, static_cast<int>(y)) + x * bytes;
      switch (bytes) {
        case 1: PixelIo<1>::Store(p, value); break;
        case 2: PixelIo<2>::Store(p, value); break;
        case 3: PixelIo<3>::Store(p, value); break;
        case 4: PixelIo<4>::Store(p, value); break;
        default: break;
      }
    }
    if (xMajor) x += stepX;
    else y += stepY;
    error += minor;
    if (error > major) {
      if (xMajor) y += stepY;
      else x += stepX;
      error -= major;
    }
  }
  return 0;
}

int TintPixels(const PixelBuffer& target, int x, int y, int w, int h, int mode, std::uint32_t colour, int weight,
               bool mmx, const PixelRect* clip) {
  if (target.format == 0) return 3;
  if (!IsUsablePixelBuffer(target)) return 2;
  if (mode != 1 || FormatBitsPerPixel(target.format) != 16) return 0;
  PixelRect r;
  if (!CutToBuffer(target, clip, x, y, w, h, r)) return 0;
  weight = ClampLevel(weight);
  const bool is565 = FormatIs565(target.format);
  const int a = SourceWeight16(weight), b = TargetWeight16(weight);
  for (int j = r.y; j < r.y + r.h; ++j) {
    std::uint8_t* row = RowAt(target.bits, target.stride, j) + static_cast<std::ptrdiff_t>(r.x) * 2;
    if (mmx) {
      (is565 ? TintRow565Sse2 : TintRow555Sse2)(row, r.w, colour, weight);
      continue;
    }
    for (int i = 0; i < r.w; ++i) {
      const std::uint32_t p = PixelIo<2>::Load(row + i * 2);
      PixelIo<2>::Store(row + i * 2, is565 ? Blend565(p, colour, a, b) : Blend555(p, colour, a, b));
    }
  }
  return 0;
}

}  // namespace ossen
