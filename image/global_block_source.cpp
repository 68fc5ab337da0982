#include "image/global_block_source.h"

#include "image/global_block.h"

namespace ossen {

GlobalBlockSource::GlobalBlockSource(DWORD blockSize, bool isFixed) {
  auto* block = static_cast<std::uint8_t*>(GlobalBlockAlloc(blockSize));
  if (block == nullptr) return;
  kind = kGlobalBlock;
  size = blockSize;
  fixed = isFixed ? 1 : 0;
  handle = reinterpret_cast<std::uintptr_t>(block);
  data = block;  // a movable block starts locked once
  lockCount = 1;
  readOnly = 0;
}

GlobalBlockSource::~GlobalBlockSource() {
  if (handle != 0) {
    if (lockCount > 1) lockCount = 1;
    Unlock();
    GlobalBlockFree(Block());
  }
  handle = 0;
  data = nullptr;
  size = 0;
  lockCount = 0;
}

void GlobalBlockSource::Lock() {
  if (handle == 0) return;
  if (lockCount == 0 && !fixed) data = Block();
  ++lockCount;
}

void GlobalBlockSource::Unlock() {
  // An Unlock without a Lock would drive the count below zero, and the next Lock would
  // then leave the block unaddressable: it is ignored instead.
  if (handle == 0 || lockCount <= 0) return;
  if (lockCount == 1 && !fixed) data = nullptr;
  --lockCount;
}

}  // namespace ossen
