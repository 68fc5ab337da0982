// A data source over a block that the caller already has.
#pragma once

#include "image/data_source.h"

namespace ossen {

// `data` is the block from construction on; Lock and Unlock do nothing. An owning source
// frees the block with GlobalBlockFree, the allocator every codec block comes from.
class PointerSource : public DataSource {
 public:
  PointerSource(void* block, DWORD size, bool owns, bool readOnly);
  ~PointerSource() override;

 private:
  void* block_;  // what is freed, whatever a consumer does to `data`
};

}  // namespace ossen
