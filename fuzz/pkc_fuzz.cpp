// "PKC1"/"PKC2" packed DIBs from hostile bytes. What decodes must be a whole packed DIB that
// compresses and decodes back to itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/packed_dib.h"
#include "image/pkc_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ossen::GlobalBlock decoded = ossen::PkcDecompress(ossen::ByteView(data, size));
  if (!decoded) return 0;
  const ossen::DWORD total = ossen::PackedDibTotalSize(decoded.view());
  if (total == 0 || total > decoded.size()) std::abort();
  const ossen::ByteView image(decoded.data(), total);
  ossen::GlobalBlock packed = ossen::PkcCompress(image);
  if (!packed) std::abort();
  ossen::GlobalBlock again = ossen::PkcDecompress(packed.view());
  if (!again || again.size() != total || std::memcmp(again.data(), image.data(), total) != 0) std::abort();
  return 0;
}
