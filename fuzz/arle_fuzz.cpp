// "ARLE" packed DIBs from hostile bytes. What decodes must encode to a stream that decodes
// to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/arle_codec.h"
#include "image/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ossen::GlobalBlock decoded = ossen::ArleDecode(ossen::ByteView(data, size));
  if (!decoded) return 0;
  if (ossen::PackedDibTotalSize(decoded.view()) != decoded.size()) std::abort();
  ossen::GlobalBlock encoded = ossen::ArleEncode(decoded.view());
  if (!encoded) std::abort();
  ossen::GlobalBlock again = ossen::ArleDecode(encoded.view());
  if (!again || again.size() != decoded.size() || std::memcmp(again.data(), decoded.data(), decoded.size()) != 0) {
    std::abort();
  }
  return 0;
}
