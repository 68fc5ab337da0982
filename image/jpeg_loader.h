// JPEG pictures as 24-bit packed DIBs.
//
// The theme pictures arrive as JPEG files. LoadJpegAsDib decodes one with libjpeg and
// returns a packed DIB in one fixed global block: the 40-byte header built for format code
// 0x18E40888, then the rows bottom-up, blue-green-red, each padded with zero bytes to a
// multiple of 4. Nothing is shown to the user from here: the decoder's warnings go to a
// hook that the application installs, or to the trace when there is none.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/global_block.h"
#include "platform/base/win_types.h"

namespace ossen {

// Pictures wider than the header's 16-bit width or larger than this are refused before
// anything is allocated for them.
inline constexpr DWORD kJpegMaxWidth = 65535;
inline constexpr std::uint64_t kJpegMaxPixels = std::uint64_t{64} << 20;

// Receives the text of the decoder's first warning of each decompression (corrupt data
// that it can still decode); decoding goes on after it returns.
using JpegWarningHook = void (*)(const char* message);
// Installs the hook; null sends warnings to the trace again. Returns the old hook.
JpegWarningHook SetJpegWarningHook(JpegWarningHook hook);

// A buffer from the general heap (malloc), freed with free.
struct HeapFree {
  void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
using HeapBytes = std::unique_ptr<std::uint8_t[], HeapFree>;

// The packed DIB of the JPEG file at `winPath` (a Windows path), or null when the file
// cannot be opened, is no JPEG the decoder can read, has other than 1 or 3 colour
// components, is too large, or memory runs out. The caller may Release the block and free
// it with GlobalBlockFree.
GlobalBlock LoadJpegAsDib(const char* winPath);

// The picture at `winPath` as height rows of exactly 3 x width bytes, top row first,
// red-green-blue (a grey picture has each sample three times); null on the same failures
// as LoadJpegAsDib. `width` and `height` are 0 unless it succeeds.
HeapBytes DecodeJpegFile(const char* winPath, DWORD& width, DWORD& height);

// The picture at `winPath` as height rows of width 32-bit pixels 0xXXRRGGBB in the machine's
// byte order (the top byte is filler), top row first, decoded straight into them: the layout
// pixman calls x8r8g8b8. Null on the same failures as DecodeJpegFile, and for a picture of
// more than `maxPixels` pixels (refused before anything is allocated for it).
HeapBytes DecodeJpegFileAsXrgb(const char* winPath, std::uint64_t maxPixels, DWORD& width, DWORD& height);

// The bytes of one 24-bit row padded to a multiple of 4: (24 x width + 31) / 32 x 4.
// 0 when that does not fit 32 bits.
DWORD JpegRowStride(DWORD width);

// A new buffer holding the rows of `rows` (height rows of 3 x width bytes) each extended
// with zero bytes to `stride`; null when memory runs out or the size does not fit.
HeapBytes PadRows(const std::uint8_t* rows, DWORD width, DWORD height, DWORD& stride);

// Exchanges the first and third byte of every pixel of `height` rows of `stride` bytes.
void SwapRedBlue(std::uint8_t* rows, DWORD width, DWORD height, DWORD stride);

// Reverses the order of `height` rows of `stride` bytes in place.
void FlipRows(std::uint8_t* rows, DWORD stride, DWORD height);

}  // namespace ossen
