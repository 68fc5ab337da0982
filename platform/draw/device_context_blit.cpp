// SRCCOPY blits between device contexts: nearest-neighbour stretching with the graphics
// library's stepping, and colour translation through RGB between differing colour tables.
#include "platform/draw/device_context.h"

#include <cstring>
#include <vector>

#include "platform/draw/color_matching.h"
#include "platform/draw/device_context_pixels.h"
#include "platform/draw/nearest_stepper.h"

namespace ossen {

using dc::Area;
using dc::GetPixelValue;
using dc::Intersect;
using dc::PutPixel;
using dc::RowOf;

BOOL DeviceContext::BitBlt(int x, int y, int width, int height, const DeviceContext& source,
                           int sx, int sy, DWORD rop) {
  return StretchBlt(x, y, width, height, source, sx, sy, width, height, rop);
}

namespace {

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

}  // namespace

BOOL DeviceContext::StretchBlt(int x, int y, int width, int height, const DeviceContext& source,
                               int sx, int sy, int sourceWidth, int sourceHeight, DWORD rop) {
  if (rop != SRCCOPY || !HasTarget() || !source.HasTarget()) return FALSE;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return FALSE;

  const Area visible = Intersect(x, y, static_cast<long long>(x) + width,
                                 static_cast<long long>(y) + height, BufferClip());
  if (visible.Empty()) return TRUE;

  // Source columns of the visible target columns; -1 where the source lies outside its buffer.
  // Target column x + j takes source column sx + floor(j * sourceWidth / width), as the
  // graphics library's scaled blits do.
  const PixelTarget& from = source.target();
  std::vector<int> sourceColumns(static_cast<std::size_t>(visible.right - visible.left));
  NearestStepper columns(sx, sourceWidth, width);
  columns.Skip(visible.left - x);
  for (std::size_t i = 0; i < sourceColumns.size(); ++i, columns.Advance()) {
    const long long column = columns.Column();
    sourceColumns[i] = column >= 0 && column < from.width ? static_cast<int>(column) : -1;
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
  NearestStepper rows(sy, sourceHeight, height);
  rows.Skip(visible.top - y);
  for (long long ty = visible.top; ty < visible.bottom; ++ty, rows.Advance()) {
    const long long sourceRow = rows.Column();
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
