// MEMO blocks from hostile bytes: the size queries and the inflate must stay inside the
// input, and a block that inflates gives exactly its unpacked size.
#include <cstdint>
#include <cstdlib>

#include "image/memo_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ossen::ByteView block(data, size);
  const ossen::DWORD unpacked = ossen::MemoUnpackedSize(block);
  ossen::MemoPackedSize(block);
  ossen::GlobalBlock out = ossen::MemoDecompress(block);
  if (out && out.size() != unpacked) std::abort();
  return 0;
}
