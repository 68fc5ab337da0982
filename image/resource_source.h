// A data source over a resource of a loaded module: the resource's bytes read in place.
#pragma once

#include "image/data_source.h"
#include "platform/win32/module.h"

namespace ossen {

// Finds, loads and locks the resource `name` of type `type` in `module` (null: the
// program's own). Found: `data` = its bytes, `size` = its size, `kind` 4, `handle` = the
// resource handle. Not found: `data` null, `size` 0, `kind` 0. Always read-only, with
// `lockCount` 0; Lock and Unlock do nothing. The bytes belong to the module and stay valid
// while it is loaded: never write through `data`.
class ResourceSource : public DataSource {
 public:
  ResourceSource(HINSTANCE module, const ResourceId& name, const ResourceId& type);
  ~ResourceSource() override;

 private:
  HGLOBAL loaded_ = nullptr;
};

}  // namespace ossen
