// "TRLE" packed DIBs from hostile bytes. An 8-bit image that decodes must encode to a
// stream that decodes to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/packed_dib.h"
#include "image/trle_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ossen::GlobalBlock decoded = ossen::TrleDecode(ossen::ByteView(data, size));
  if (!decoded) return 0;
  if (ossen::PackedDibTotalSize(decoded.view()) != decoded.size()) std::abort();
  ossen::BitmapInfoHeader header;
  ossen::ReadInfoHeader(decoded.view(), header);
  if (header.bitCount != 8) return 0;
  ossen::GlobalBlock encoded = ossen::TrleEncode(decoded.view());
  if (!encoded) std::abort();
  ossen::GlobalBlock again = ossen::TrleDecode(encoded.view());
  if (!again || again.size() != decoded.size() || std::memcmp(again.data(), decoded.data(), decoded.size()) != 0) {
    std::abort();
  }
  return 0;
}
