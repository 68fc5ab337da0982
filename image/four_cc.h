// Four-character codes as a bitmap header's compression field holds them: the four ASCII
// bytes in order, read as one little-endian word (no case folding).
#pragma once

#include <string>

#include "platform/base/win_types.h"

namespace ossen {

constexpr DWORD MakeFourCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | static_cast<DWORD>(static_cast<BYTE>(b)) << 8 |
         static_cast<DWORD>(static_cast<BYTE>(c)) << 16 | static_cast<DWORD>(static_cast<BYTE>(d)) << 24;
}

// The code for the first four characters of `text`; a shorter text is padded with blanks.
// Null gives 0.
DWORD FourCCFromString(const char* text);

// The code's four characters when all are printable ASCII, else its value in hexadecimal
// ("0x00000003"), so a foreign or damaged field never yields unprintable text.
std::string FourCCText(DWORD code);

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_RLE8 = 1;  // bitmap files only; see image/bmp_rle_codec.h
inline constexpr DWORD BI_RLE4 = 2;
inline constexpr DWORD BI_BITFIELDS = 3;
inline constexpr DWORD kCompressionPkc1 = MakeFourCC('P', 'K', 'C', '1');
inline constexpr DWORD kCompressionPkc2 = MakeFourCC('P', 'K', 'C', '2');
inline constexpr DWORD kCompressionArle = MakeFourCC('A', 'R', 'L', 'E');
inline constexpr DWORD kCompressionPrle = MakeFourCC('P', 'R', 'L', 'E');
inline constexpr DWORD kCompressionTrle = MakeFourCC('T', 'R', 'L', 'E');
// Only ever a request: "compress with zlib", stored as "PKC1" or "PKC2".
inline constexpr DWORD kCompressionPkcc = MakeFourCC('P', 'K', 'C', 'C');

}  // namespace ossen
