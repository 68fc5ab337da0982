// File mappings shared between processes under a name, as CreateFileMapping and
// OpenFileMapping give them.
//
// Names live in a table folder inside the prefix (`<prefix>/run`, mode 0700, owned by the
// user), so they are per user and per prefix: another user's process can neither see nor
// open them. For each name the table holds
//   <name>.lock  the creators' mutex: the creating process holds an exclusive flock on it
//                for the mapping's whole lifetime;
//   <name>.map   the entry (backing file's host path, length, protection), flock-ed
//                exclusively by its creator before it is renamed into place.
// The kernel drops both locks when the creator ends, however it ends (also SIGKILL), so an
// opener that can take a shared lock on the entry has found a stale name and reports it
// absent. The next creator of the name removes the stale entry and its leftover
// temporary backing file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace ossen {

// The name is held by a live process; the result is that process's mapping.
inline constexpr LONG ERROR_ALREADY_EXISTS = 183;
// The mapping name cannot be used (empty where one is needed, or too long).
inline constexpr LONG ERROR_INVALID_NAME = 123;
// The file is empty: there is nothing to map.
inline constexpr LONG ERROR_FILE_INVALID = 1006;

// What a name's entry records about its mapping.
struct MappingEntry {
  std::string backingPath;  // host path of the mapped file
  std::uint32_t size = 0;   // bytes mapped, from offset 0
  bool readOnly = false;    // created with read-only page protection
  bool temporary = false;   // the backing file is removed when the creator closes it
};

// Entries are written by the user's own processes, but are read as hostile text: anything
// malformed gives nullopt.
std::string FormatMappingEntry(const MappingEntry& entry);
std::optional<MappingEntry> ParseMappingEntry(std::string_view text);

// One mapped view of a whole mapping; unmapped when it goes.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }
  void Reset();

 private:
  friend class NamedMapping;
  MappedView(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// A mapping object: the whole of one file, named or unnamed. Invalid after a failed
// Create/Open and after Close or a move.
class NamedMapping {
 public:
  // Maps the whole open file `fd` (its length now; it must not be empty), which is the
  // host file `hostPath`. With a non-empty `name` the mapping is published under it; when
  // a live process already holds that name, the result is that process's mapping instead
  // and `*error` is ERROR_ALREADY_EXISTS (as Win32 reports it), else ERROR_SUCCESS.
  // Exactly one of any number of concurrent creators of a name creates it. `temporary`
  // marks a backing file that its owner removes on close, so that a stale entry's file is
  // removed with it. The mapping keeps its own reference to the file.
  static NamedMapping Create(int fd, const std::string& hostPath, std::string_view name, bool readOnly,
                             bool temporary, LONG* error);

  // Opens the mapping that a live process holds under `name`; `write` asks for write
  // access. ERROR_FILE_NOT_FOUND when no live process holds the name.
  static NamedMapping Open(std::string_view name, bool write, LONG* error);

  NamedMapping() = default;
  NamedMapping(NamedMapping&& other) noexcept;
  NamedMapping& operator=(NamedMapping&& other) noexcept;
  NamedMapping(const NamedMapping&) = delete;
  NamedMapping& operator=(const NamedMapping&) = delete;
  ~NamedMapping();

  // A view of the whole mapping (MAP_SHARED): read-only unless `write`; empty on failure
  // (also when `write` is asked of a read-only mapping). Views outlive their mapping.
  MappedView MapView(bool write) const;

  bool valid() const { return fd_ >= 0; }
  std::uint32_t size() const { return size_; }
  bool readOnly() const { return readOnly_; }
  // For a created name: withdraws the name and releases the locks. Open views stay.
  void Close();

 private:
  int fd_ = -1;
  std::uint32_t size_ = 0;
  bool readOnly_ = true;
  // Only on the creator of a name:
  int lockFd_ = -1;
  int entryFd_ = -1;
  std::string lockPath_;
  std::string entryPath_;
};

// Host path of this prefix's name table (created, mode 0700, when missing); "" when the
// folder is not a private folder of this user and must not be trusted.
std::string MappingTableDir();

}  // namespace ossen
