#include "image/resource_source.h"

namespace ossen {

ResourceSource::ResourceSource(HINSTANCE module, const ResourceId& name, const ResourceId& type) {
  readOnly = 1;
  HRSRC found = FindResource(module, name, type);
  if (!found) return;
  loaded_ = LoadResource(module, found);
  const void* bytes = LockResource(loaded_);
  if (!bytes) {
    loaded_ = nullptr;
    return;
  }
  // The bytes are the module's, read-only: `readOnly` tells every consumer not to write.
  data = static_cast<std::uint8_t*>(const_cast<void*>(bytes));
  size = SizeofResource(module, found);
  handle = reinterpret_cast<std::uintptr_t>(found);
  kind = kResource;
}

ResourceSource::~ResourceSource() {
  if (loaded_) FreeResource(loaded_);
  loaded_ = nullptr;
  data = nullptr;
  size = 0;
  handle = 0;
  kind = kUnusable;
}

}  // namespace ossen
