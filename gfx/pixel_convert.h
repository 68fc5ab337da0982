// Whole-image pixel-format conversion of packed DIBs: what an image's ConvertFormat runs.
//
//  - flag 1 with the 8-bit indexed target: each pixel becomes the palette index the
//    palette's inverse table gives for its colour (one table read per pixel);
//  - flags 1 | 2: the same with Floyd-Steinberg error diffusion;
//  - otherwise: direct conversion between two format codes; an 8-bit target takes the
//    palette's first 256 entries and, per pixel, the octree's nearest entry, never one
//    flagged PC_RESERVED (flag 2 diffuses the error here too).
//
// The source is hostile input: its header and sizes are checked before a byte is read.
#pragma once

#include "gfx/palette.h"
#include "image/global_block.h"
#include "platform/base/win_types.h"

namespace ossen {

inline constexpr DWORD kConvertMapToPalette = 1;
inline constexpr DWORD kConvertDiffuseError = 2;

// Channel orders of a format code (bits 16-23): blue first, the bitmap's own, or red first.
inline constexpr DWORD kChannelOrderBgr = 0xE4;
inline constexpr DWORD kChannelOrderRgb = 0xC6;

// Whether ConvertPackedDib can write `formatCode`: the 8-bit indexed code, 5:5:5, 5:6:5,
// 8:8:8 and 8:8:8 in 32 bits, each in either channel order.
bool IsConvertibleFormat(DWORD formatCode);

// Builds in `out` a new packed DIB of the source's width and height in `targetFormat`.
// Returns 0, or 2 for a source that fails the size rules, is compressed, has 1, 2 or 4 bits
// per pixel, or a target that cannot be written, or an 8-bit target without a palette with
// entries (or with only reserved entries), or when memory runs out. `out` is left empty on
// failure.
int ConvertPackedDib(ByteView sourceDib, DWORD targetFormat, Palette* palette, DWORD flags, GlobalBlock& out);

// The same with the source's format code given by its holder (so that a red-first code,
// which no header can express, can be read). The code must match the header's bit count.
int ConvertPackedDib(ByteView sourceDib, DWORD sourceFormat, DWORD targetFormat, Palette* palette, DWORD flags,
                     GlobalBlock& out);

}  // namespace ossen
