// Mapping rows of 24- and 32-bit pixels onto a palette through its inverse table: the
// apply engine's bulk path, so it is worth vector code.
//
// Every form writes the same bytes as the plain loop: out[x] is the inverse table's byte at
// (red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3) of pixel x. No form reads a byte
// outside the row's pixels (the row's last pixel may be the image's last byte), and each
// reads the 32768-byte table only at indices below 32768.
#pragma once

#include <cstddef>

#include "platform/base/win_types.h"

namespace ossen {

// The pixels of one row: `bytesPerPixel` is 3 or 4; blue first unless `redFirst`.
struct MapRowSource {
  const BYTE* pixels = nullptr;
  std::size_t width = 0;
  std::size_t bytesPerPixel = 3;
  bool redFirst = false;
};

// Every vector form reads the table with scalar loads: an AVX2 gather measured no faster
// here and is slow on processors whose gathers are microcoded.
enum class MapRowForm { kPlain, kSse2, kSsse3, kAvx2 };

// The reference loop, one pixel at a time.
void MapRowPlain(const MapRowSource& row, const BYTE* inverse, BYTE* out);

// The fastest form this processor runs (chosen once, on the first call).
void MapRow(const MapRowSource& row, const BYTE* inverse, BYTE* out);

// A chosen form, for tests and measurements; false (nothing written) when this processor
// or build cannot run it.
bool MapRowWith(MapRowForm form, const MapRowSource& row, const BYTE* inverse, BYTE* out);

// The form MapRow uses here.
MapRowForm FastestMapRowForm();

}  // namespace ossen
