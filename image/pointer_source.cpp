#include "image/pointer_source.h"

#include "image/global_block.h"

namespace ossen {

PointerSource::PointerSource(void* block, DWORD blockSize, bool owns, bool isReadOnly) : block_(block) {
  kind = kPointer;
  data = static_cast<std::uint8_t*>(block);
  size = blockSize;
  lockCount = 1;
  readOnly = isReadOnly ? 1 : 0;
  handle = owns ? 1 : 0;
}

PointerSource::~PointerSource() {
  if (handle != 0) GlobalBlockFree(block_);
  block_ = nullptr;
  data = nullptr;
  size = 0;
  handle = 0;
}

}  // namespace ossen
