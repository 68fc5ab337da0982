// A data source over a block freshly taken from the global heap.
#pragma once

#include "image/data_source.h"

namespace ossen {

// A fixed block (the only kind the program asks for) is addressable from construction on
// and Lock/Unlock only count. A movable block is emulated on the same fixed allocator: it
// is addressable only while locked (`data` null once the last Unlock went), which keeps
// callers honest about bracketing their accesses. `handle` is the block's address.
// A failed allocation leaves `kind` 0, `size` 0 and `data` null.
class GlobalBlockSource : public DataSource {
 public:
  GlobalBlockSource(DWORD size, bool fixed);
  ~GlobalBlockSource() override;

  void Lock() override;
  void Unlock() override;

  std::int32_t fixed = 0;

 private:
  std::uint8_t* Block() const { return reinterpret_cast<std::uint8_t*>(handle); }
};

}  // namespace ossen
