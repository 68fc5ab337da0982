// A data source over a file mapped into memory, or over a named shared mapping.
//
// One class serves three uses:
//   - an existing file read in place (create size 0, a path, read-only, no name);
//   - a new temporary file shared under a name (create size > 0, a path, temporary, a
//     name): the single-instance marker of the resident copy;
//   - an existing named mapping without a file (no path, a name): `data` is non-null only
//     while a live process holds that name.
// The view is mapped by the first Lock and unmapped by the Unlock that balances it; the
// constructor takes one Lock. A file that cannot be created or opened leaves `kind` 0.
#pragma once

#include <memory>
#include <string>

#include "image/data_source.h"
#include "platform/win32/named_mapping.h"

namespace ossen {

class FileSource : public DataSource {
 public:
  // `winPath` and `mappingName` may be null. A `temporary` file is deleted when the source
  // is destroyed (also when its construction fails after creating it).
  FileSource(DWORD createSize, const char* winPath, bool temporary, const char* mappingName, bool readOnly,
             bool sequential);
  ~FileSource() override;

  void Lock() override;
  void Unlock() override;

  // The mapping object while locked; null when none.
  std::unique_ptr<NamedMapping> mapping;
  // Empty when the mapping has no name.
  std::string mappingName;
  // Set by the first Lock of a source with a file and a name: a live process already held
  // the name, and the view is that process's mapping, not this file. A start that finds
  // it set is not the first.
  bool mappingExisted = false;

 private:
  bool HasFile() const { return handle != kInvalidHandleValue; }
  void CloseFile();

  MappedView view_;
  std::string hostPath_;
  bool deleteOnClose_ = false;
  bool sequential_ = true;
};

}  // namespace ossen
