// Whole-file reads with a size cap, and writes that replace a file atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ossen {

enum class ReadResult { kOk, kMissing, kTooLarge, kError };

// Reads the whole host file into `out`. A file larger than `maxBytes` is not read.
ReadResult ReadFileBytes(const std::string& hostPath, std::size_t maxBytes, std::vector<std::uint8_t>& out);

// Replaces the host file with exactly these bytes, or leaves it as it was: the bytes go to
// a new file in the same folder, are flushed to disk, and that file is renamed over the
// old one, so a failure or a killed process never leaves a short or empty file behind.
// A new file gets mode 0644 less the umask; an existing file keeps its mode.
bool WriteFileAtomically(const std::string& hostPath, const void* data, std::size_t size);

// Holds an exclusive flock on the lock file at `lockPath` (created if missing) for its
// lifetime, so that a read-change-replace of the file it guards is safe between processes.
// A lock that cannot be taken is traced; held() then says so.
class ExclusiveFileLock {
 public:
  explicit ExclusiveFileLock(const std::string& lockPath);
  ~ExclusiveFileLock();
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace ossen
