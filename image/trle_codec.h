// "TRLE": each row cut down to the span between its first and last non-zero pixel, so that
// pixel value 0 is the transparent background.
//
// After the colour table (8 bits) or the 40-byte header (16, 24, 32 bits): a preamble of
// four 32-bit words (red, green and blue masks, the compression the image had: 0 or 3),
// a table of 8 bytes per row, top row first (32-bit offset of the kept pixels counted from
// the preamble, 16-bit count of leading zero pixels, 16-bit count of kept pixels), then the
// kept pixels of all rows.
#pragma once

#include <cstdint>

#include "image/global_block.h"
#include "platform/base/win_types.h"

namespace ossen {

struct TrlePreamble {
  DWORD redMask;
  DWORD greenMask;
  DWORD blueMask;
  DWORD compression;  // of the image before encoding: 0 or 3
};
static_assert(sizeof(TrlePreamble) == 16);

struct TrleRowEntry {
  DWORD offset;  // from the start of the preamble
  WORD leading;
  WORD kept;
};
static_assert(sizeof(TrleRowEntry) == 8);

// 8 bits, compression 0 -> "TRLE" (masks written as 0).
GlobalBlock TrleEncode(ByteView dib);
// "TRLE" at 8, 16, 24 or 32 bits -> the compression kept in the preamble, image size 0.
// Zero pixels and row padding are written as zero bytes.
GlobalBlock TrleDecode(ByteView dib);

}  // namespace ossen
