// "PRLE" packed DIBs from hostile bytes: the inner block and the ARLE data it holds.
#include <cstdint>
#include <cstdlib>

#include "image/arle_codec.h"
#include "image/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ossen::ByteView input(data, size);
  ossen::GlobalBlock arle = ossen::PrleToArle(input);
  ossen::GlobalBlock decoded = ossen::PrleDecode(input);
  if (decoded && !arle) std::abort();
  if (decoded && ossen::PackedDibTotalSize(decoded.view()) != decoded.size()) std::abort();
  return 0;
}
