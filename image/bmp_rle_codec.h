// The run-length compressions of ordinary bitmap files, BI_RLE8 and BI_RLE4, as paint
// programs and ImageMagick write them for palette pictures.
//
// The pixel data is a stream of byte pairs, rows bottom-up:
//   n, c     (n > 0) a run of n pixels; RLE8: all c; RLE4: the nibbles of c in turn, high first
//   0, 0     end of line: the rest of the row is left at index 0, the next row begins
//   0, 1     end of bitmap: every pixel not yet written stays at index 0
//   0, 2     delta: the next two bytes move right and up by that many pixels
//   0, n     (n >= 3) n literal pixels follow (RLE8: n bytes; RLE4: n nibbles, high first),
//            padded to an even number of bytes
//
// The stream is hostile: every run, literal and delta is checked against the bitmap's
// bounds and the bytes that are there, and a refused stream comes with one line that says
// what is wrong and where.
#pragma once

#include <string>

#include "image/four_cc.h"
#include "image/global_block.h"
#include "platform/base/win_types.h"

namespace ossen {

inline constexpr bool IsBmpRleCompression(DWORD compression) {
  return compression == BI_RLE8 || compression == BI_RLE4;
}

// Decodes an 8-bit BI_RLE8 or 4-bit BI_RLE4 packed DIB (`dib` from its information header
// to the end of the bytes at hand) into a packed DIB with compression 0 and image size 0,
// header and colour table kept. The stream is the header's image-size bytes after the
// colour table, or every byte after it when that field is 0. Null when refused, and then
// `reason` says why.
GlobalBlock BmpRleDecode(ByteView dib, std::string& reason);

}  // namespace ossen
