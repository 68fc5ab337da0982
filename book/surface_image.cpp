#include "book/surface_image.h"

#include <algorithm>
#include <cstring>

#include <QPainter>

#include "gfx/surface.h"
#include "image/packed_dib.h"

namespace ossen {

namespace {

QList<QRgb> ColourTableOf(const Surface* surface) {
  QList<QRgb> table(256, qRgb(0, 0, 0));
  if (const Palette* palette = surface->GetPalette()) {
    const auto entries = palette->Entries();
    const std::size_t count = std::min<std::size_t>(entries.size(), 256);
    for (std::size_t i = 0; i < count; ++i) {
      table[static_cast<qsizetype>(i)] = qRgb(entries[i].red, entries[i].green, entries[i].blue);
    }
  }
  return table;
}

bool Showable(Surface* surface) {
  return surface != nullptr && surface->format != 0 && FormatBitsPerPixel(surface->format) == 8 &&
         surface->Width() > 0 && surface->Height() > 0;
}

}  // namespace

QImage ImageFromSurface(Surface* surface) {
  if (!Showable(surface)) return {};
  const int width = surface->Width();
  const int height = surface->Height();
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
  image.setColorTable(ColourTableOf(surface));
  return image;
}

bool DrawSurface(QPainter& painter, const QPoint& at, Surface* surface, const QRect& part) {
  if (!Showable(surface)) return false;
  if (surface->IsBottomUp()) {
    const QImage copy = ImageFromSurface(surface);
    if (copy.isNull()) return false;
    painter.drawImage(at, copy, part);
    return true;
  }
  std::uint8_t* bits = nullptr;
  int stride = 0;
  if (surface->LockBits(bits, stride) != 0 || bits == nullptr || stride < surface->Width()) return false;
  {
    // Lives only for the one draw, while the pixels are locked.
    QImage view(bits, surface->Width(), surface->Height(), stride, QImage::Format_Indexed8);
    view.setColorTable(ColourTableOf(surface));
    painter.drawImage(at, view, part);
  }
  surface->UnlockBits();
  return true;
}

}  // namespace ossen
