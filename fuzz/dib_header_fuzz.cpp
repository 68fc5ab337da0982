// Stored image headers from hostile bytes: the file header skip, the size rules and the
// pixel format code. Sizes that pass must agree with each other and with the bytes.
#include <cstdint>
#include <cstdlib>

#include "image/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ossen::ByteView dib = ossen::FindInfoHeader(ossen::ByteView(data, size));
  const ossen::DWORD headerSize = ossen::PackedDibHeaderSize(dib);
  const ossen::DWORD imageSize = ossen::PackedDibImageSize(dib);
  const ossen::DWORD total = ossen::PackedDibTotalSize(dib);
  const ossen::DWORD format = ossen::FormatCodeFromHeader(dib);
  if (total != 0 && (headerSize < 40 || total != headerSize + imageSize)) std::abort();
  if (total != 0 && format != 0 && ossen::FormatBitsPerPixel(format) == 0) std::abort();

  ossen::PackedDibLayout layout;
  if (ossen::ReadPackedDib(dib, layout)) {
    if (layout.headerSize + std::uint64_t{layout.imageSize} > dib.size()) std::abort();
    // Every byte the sizes promise is there to read.
    volatile std::uint8_t last = dib[layout.headerSize + layout.imageSize - 1];
    (void)last;
    if (format != 0 && ossen::RowStride(format, layout.header.width) != layout.stride) std::abort();
  }
  return 0;
}
