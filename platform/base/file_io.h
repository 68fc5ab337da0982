// Whole-file reads with a size cap, and writes that replace a file atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/uio.h>
#include <string>
#include <vector>

namespace ossen {

enum class ReadResult { kOk, kMissing, kTooLarge, kError };

// True when the host path names a regular file (links followed).
bool IsRegularFile(const std::string& hostPath);

// Reads the whole host file into `out`. A file larger than `maxBytes` is not read.
ReadResult ReadFileBytes(const std::string& hostPath, std::size_t maxBytes, std::vector<std::uint8_t>& out);

// Replaces the host file with exactly these bytes, or leaves it as it was: the bytes go to
// a new file in the same folder, are flushed to disk, and that file is renamed over the
// old one, so a failure or a killed process never leaves a short or empty file behind.
// A new file gets mode 0644 less the umask; an existing file keeps its mode.
// The new file is named "<file>.tmp.<pid>.XXXXXX" and stays locked (flock) by its writer
// until it has been renamed. Each write first removes the stale leftovers of the same file
// (see RemoveStaleLeftovers), so a writer killed between write and rename costs disk space
// only until the next write.
bool WriteFileAtomically(const std::string& hostPath, const void* data, std::size_t size);

// Writes every byte of the parts to `fd` in order (writev, across interruptions and short
// writes); the entries may be changed on the way. False at the first failure.
bool WriteAllParts(int fd, struct iovec* parts, int count);

// The same replacement with the bytes given in parts, for a file made piece by piece
// without holding all of it in memory: Write as often as needed, then Commit (flush to
// disk, rename). Until a Commit succeeds the old file stays as it was; a writer that ends
// without one, or whose writing failed, removes its temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& hostPath);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Appends the parts in order (writev); the entries may be changed on the way. False,
  // and every later call false, once anything failed.
  bool Write(struct iovec* parts, int count);
  bool Commit();

 private:
  std::string hostPath_;
  std::string tempPath_;
  int fd_ = -1;
};

// A leftover is stale when it is at least this old and nobody holds its lock. The lock alone
// is the proof that its writer is gone (the kernel drops it when a process dies, whatever
// the pid namespace); the age covers the moment between creating the file and locking it.
inline constexpr long kLeftoverMinAgeSeconds = 60;

// True when `entryName` is a temporary file that WriteFileAtomically made for `fileName`.
bool IsWriteLeftoverOf(const std::string& entryName, const std::string& fileName);

// Removes the stale temporary files of `hostPath` from its folder; returns how many.
int RemoveStaleLeftovers(const std::string& hostPath);

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
