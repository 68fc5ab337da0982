// The stand-in for the global heap: fixed blocks whose address never moves.
//
// Every block a codec returns comes from GlobalBlockAlloc and goes back through
// GlobalBlockFree, so whoever ends up owning it (a GlobalBlock, or later an owning data
// source that takes the raw pointer with Release) frees it with the matching call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ossen {

using ByteView = std::span<const std::uint8_t>;

// Returns a fixed block of `size` bytes (a valid, distinct pointer also for 0), or null
// when the heap cannot supply it. `zeroed` clears the bytes first.
void* GlobalBlockAlloc(std::size_t size, bool zeroed = false);
// Releases a block from GlobalBlockAlloc; null is allowed.
void GlobalBlockFree(void* block);

// Sole owner of one fixed block and its length. Empty (null) after a failed allocation,
// after a move and after Release.
class GlobalBlock {
 public:
  GlobalBlock() = default;
  static GlobalBlock Allocate(std::size_t size, bool zeroed = false);

  GlobalBlock(GlobalBlock&& other) noexcept;
  GlobalBlock& operator=(GlobalBlock&& other) noexcept;
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  ~GlobalBlock();

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  ByteView view() const { return ByteView(data_, data_ ? size_ : 0); }
  explicit operator bool() const { return data_ != nullptr; }

  // Gives up ownership; the caller frees the pointer with GlobalBlockFree.
  std::uint8_t* Release();
  void Reset();

 private:
  GlobalBlock(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace ossen
