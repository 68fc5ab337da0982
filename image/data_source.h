// A data source: a counted, lockable view of one contiguous block of bytes, whatever holds
// it (a memory block somebody already has, a fixed global-heap block, a mapped file or named
// shared mapping, a resource of a loaded module).
//
// Consumers see only the fields below and Lock/Unlock; the kind decides what locking means.
// Every access to `data` is bracketed by Lock and Unlock. A constructor that fails leaves
// `kind` 0 and `data` null: callers test `data`, nothing is thrown or reported.
#pragma once

#include <cstdint>

#include "platform/base/win_types.h"

namespace ossen {

// The `handle` value of a file source that has no file.
inline constexpr std::uintptr_t kInvalidHandleValue = ~std::uintptr_t{0};

class DataSource {
 public:
  enum Kind : std::int32_t {
    kUnusable = 0,  // the constructor failed before the source became usable
    kPointer = 1,
    kGlobalBlock = 2,
    kFile = 3,
    kResource = 4,
  };

  DataSource() = default;
  virtual ~DataSource() = default;
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  // Makes `data` valid; counted by the kinds that count. The base does nothing.
  virtual void Lock() {}
  // Undoes one Lock. The base does nothing.
  virtual void Unlock() {}

  // Writes the whole block to the file at `winPath` (created or replaced); returns the
  // number of bytes written, 0 when nothing was written.
  DWORD WriteToFile(const char* winPath);

  std::int32_t kind = kUnusable;
  std::uint32_t size = 0;
  std::uint8_t* data = nullptr;
  std::int32_t lockCount = 0;
  std::int32_t readOnly = 0;
  // Kind 1: the owns-the-block flag; 2: the global-heap handle; 3: the file descriptor, or
  // kInvalidHandleValue; 4: the resource handle found by name.
  std::uintptr_t handle = 0;
};

}  // namespace ossen
