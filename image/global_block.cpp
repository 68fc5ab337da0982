#include "image/global_block.h"

#include <cstdlib>
#include <utility>

namespace ossen {

void* GlobalBlockAlloc(std::size_t size, bool zeroed) {
  // A zero-byte request still gets a real block, as a fixed global block does.
  std::size_t bytes = size ? size : 1;
  return zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
}

void GlobalBlockFree(void* block) { std::free(block); }

GlobalBlock GlobalBlock::Allocate(std::size_t size, bool zeroed) {
  auto* data = static_cast<std::uint8_t*>(GlobalBlockAlloc(size, zeroed));
  return data ? GlobalBlock(data, size) : GlobalBlock();
}

GlobalBlock::GlobalBlock(GlobalBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

GlobalBlock& GlobalBlock::operator=(GlobalBlock&& other) noexcept {
  if (this != &other) {
    Reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

GlobalBlock::~GlobalBlock() { Reset(); }

std::uint8_t* GlobalBlock::Release() {
  size_ = 0;
  return std::exchange(data_, nullptr);
}

void GlobalBlock::Reset() {
  GlobalBlockFree(std::exchange(data_, nullptr));
  size_ = 0;
}

}  // namespace ossen
