// BI_RLE8 and BI_RLE4 bitmaps from hostile bytes, with or without the file header. What
// decodes must be a whole uncompressed packed DIB; what is refused must say why.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/bmp_rle_codec.h"
#include "image/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ossen::ByteView dib = ossen::FindInfoHeader(ossen::ByteView(data, size));
  std::string reason;
  const ossen::GlobalBlock decoded = ossen::BmpRleDecode(dib, reason);
  if (!decoded) {
    if (reason.empty()) std::abort();
    return 0;
  }
  ossen::BitmapInfoHeader header{};
  if (!ossen::ReadInfoHeader(decoded.view(), header) || header.compression != ossen::BI_RGB) std::abort();
  if (ossen::PackedDibTotalSize(decoded.view()) != decoded.size()) std::abort();
  return 0;
}
