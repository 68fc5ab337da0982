// Packed DIBs: the 40-byte bitmap information header, its colour table or masks, then the
// pixel rows (bottom-up, each padded to 4 bytes), in one block. The size rules here are the
// ones every codec shares.
//
// Every reader takes the bytes that hold the image and refuses (0, false) a header whose
// fields are absurd: a size field other than 40, width or height outside 1..65535, a colour
// count beyond what the bit count can index, or pixel data beyond kMaxImageBytes. All size
// arithmetic is done in 64 bits and checked against those caps, so no result wraps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/global_block.h"
#include "platform/base/win_types.h"

namespace ossen {

struct BitmapInfoHeader {
  DWORD size;  // 40
  LONG width;
  LONG height;  // positive: rows stored bottom-up
  WORD planes;
  WORD bitCount;
  DWORD compression;
  DWORD imageSize;
  LONG xPelsPerMeter;
  LONG yPelsPerMeter;
  DWORD colorsUsed;
  DWORD colorsImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, bitCount) == 14 && offsetof(BitmapInfoHeader, compression) == 16 &&
              offsetof(BitmapInfoHeader, imageSize) == 20 && offsetof(BitmapInfoHeader, colorsUsed) == 32);

inline constexpr std::size_t kInfoHeaderBytes = sizeof(BitmapInfoHeader);
inline constexpr std::size_t kFileHeaderBytes = 14;  // "BM" and 12 bytes nobody reads
inline constexpr std::size_t kMaskedHeaderBytes = kInfoHeaderBytes + 12;  // plus red, green, blue masks
inline constexpr LONG kMaxDimension = 65535;
inline constexpr std::size_t kMaxImageBytes = std::size_t{256} << 20;

// Pixel format codes: bits 24-29 bits per pixel, bit 30 indexed, bits 16-23 channel order,
// bits 0-11 the red, green and blue widths.
inline constexpr DWORD kFormatIndexed1 = 0x41000000;
inline constexpr DWORD kFormatIndexed2 = 0x42000000;
inline constexpr DWORD kFormatIndexed4 = 0x44000000;
inline constexpr DWORD kFormatIndexed8 = 0x48000000;
inline constexpr DWORD kFormatRgb555 = 0x10E40555;
inline constexpr DWORD kFormatRgb565 = 0x10E40565;
inline constexpr DWORD kFormatRgb888 = 0x18E40888;
inline constexpr DWORD kFormatXrgb8888 = 0x20E40888;

inline constexpr DWORD FormatBitsPerPixel(DWORD formatCode) { return (formatCode >> 24) & 0x3F; }

// Copies the information header out of `dib` (which must hold at least 40 bytes).
bool ReadInfoHeader(ByteView dib, BitmapInfoHeader& header);

// A stored image with or without its 14-byte file header: the bytes from the information
// header on, or an empty view when they are too short to hold one.
ByteView FindInfoHeader(ByteView stored);

// The header with its colour table or masks, by bit count; 0 when refused.
DWORD PackedDibHeaderSize(ByteView dib);
// Pixel bytes: stride x height for compression 0 and 3, the image-size field otherwise.
DWORD PackedDibImageSize(ByteView dib);
// Header size + image size; 0 when refused. It may exceed dib.size(): see PackedDibFits.
DWORD PackedDibTotalSize(ByteView dib);

// A bitmap file: the 14-byte file header ("BM", the file's size, two zero reserved words,
// the offset of the pixel data) followed by the packed DIB `dib` as given; empty when the
// DIB's header is refused.
std::vector<std::uint8_t> BitmapFileFromPackedDib(ByteView dib);

// The bytes of one row: bits per pixel x width rounded up to bytes, then to 4; 0 when the
// width is negative or the stride would not fit 32 bits.
DWORD RowStride(DWORD formatCode, LONG width);

// The pixel format code the header describes, 0 for an unsupported bit count or header.
DWORD FormatCodeFromHeader(ByteView dib);

// Writes the header (and zeroed colour table or masks) for a format code into `out`;
// returns the bytes written, 0 for an unknown code or when `out` is too small.
DWORD BuildHeader(LONG width, LONG height, DWORD formatCode, std::span<std::uint8_t> out);
// The bytes BuildHeader writes for a format code, 0 for an unknown code.
DWORD BuiltHeaderSize(DWORD formatCode);

// Everything a codec needs to know about a packed DIB that passed every size rule.
struct PackedDibLayout {
  BitmapInfoHeader header;
  DWORD headerSize;
  DWORD imageSize;
  DWORD stride;  // of the decoded rows
};

// Fills `layout` and returns true when the header passes the size rules and `dib` holds
// all header-size + image-size bytes.
bool ReadPackedDib(ByteView dib, PackedDibLayout& layout);

// Writes the compression and image-size fields of the header at `dib` (a codec's output).
void SetCompressionFields(std::uint8_t* dib, DWORD compression, DWORD imageSize);

}  // namespace ossen
