// The byte forms the program's module stores: 8-bit packed DIBs (plain, or "PKC1" with the
// page images' file header), monochrome .CUR and 32-bit .ICO files.
#pragma once

#include <QtGui/QImage>

#include <cstdint>
#include <vector>

#include "res/program/art/quantize.h"

namespace ossen::art {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit picture: row-major indices, top row first, and its colour table.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;
  ColourTable table;
};

// The picture as a packed DIB: 40-byte header, 256-entry colour table, rows bottom-up.
Bytes PackedDib8(const IndexedPicture& picture);

// The page-image form: the 14-byte "BM" header with the values every page image carries,
// then the packed DIB compressed as "PKC1". Empty when compression failed.
Bytes StoredPageImage(const IndexedPicture& picture);

// A .CUR file with one 32 x 32 monochrome image. In `hand` (32 x 32 ARGB32) transparent
// pixels are the screen, dark pixels black and light pixels white.
Bytes MonochromeCursorFile(const QImage& hand, int hotX, int hotY);

// An .ICO file with one 32-bit image (alpha, and the AND mask derived from it) per entry.
Bytes IconFile(const std::vector<QImage>& images);

}  // namespace ossen::art
