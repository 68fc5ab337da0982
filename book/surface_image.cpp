#include "book/surface_image.h"

#include <algorithm>
#include <cstring>

#include "gfx/surface.h"
#include "image/packed_dib.h"

namespace ossen {

QImage ImageFromSurface(Surface* surface) {
  if (surface == nullptr || surface->format == 0 || FormatBitsPerPixel(surface->format) != 8) return {};
  const int width = surface->Width();
  const int height = surface->Height();
  if (width <= 0 || height <= 0) return {};

  std::uint8_t* bits = nullptr;
  int stride = 0;
  if (surface->LockBits(bits, stride) != 0 || bits == nullptr || stride < width) return {};
  QImage image(width, height, QImage::Format_Indexed8);
  if (image.isNull()) {
    surface->UnlockBits();
    return {};
  }
  const bool bottomUp = surface->IsBottomUp();
  for (int y = 0; y < height; ++y) {
    const int storedRow = bottomUp ? height - 1 - y : y;
    std::memcpy(image.scanLine(y), bits + static_cast<std::ptrdiff_t>(storedRow) * stride,
                static_cast<std::size_t>(width));
  }
  surface->UnlockBits();

  QList<QRgb> table(256, qRgb(0, 0, 0));
  if (const Palette* palette = surface->GetPalette()) {
    const auto entries = palette->Entries();
    const std::size_t count = std::min<std::size_t>(entries.size(), 256);
    for (std::size_t i = 0; i < count; ++i) {
      table[static_cast<qsizetype>(i)] = qRgb(entries[i].red, entries[i].green, entries[i].blue);
    }
  }
  image.setColorTable(table);
  return image;
}

}  // namespace ossen
