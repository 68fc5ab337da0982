#include "platform/base/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <climits>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"

namespace ossen {

namespace {

constexpr const char* kLeftoverMark = ".tmp.";

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0644 & ~mask);
}

}  // namespace

bool IsRegularFile(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

ReadResult ReadFileBytes(const std::string& hostPath, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
  out.clear();
  UniqueFd fd(::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kError;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::kError;
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return ReadResult::kTooLarge;

  // The size may change while we read: read until end of file, never past the cap.
  out.resize(static_cast<std::size_t>(st.st_size));
  std::size_t have = 0;
  for (;;) {
    if (have == out.size()) {
      if (out.size() >= maxBytes) {
        char probe;
        ssize_t more = ::read(fd.get(), &probe, 1);
        if (more > 0) return out.clear(), ReadResult::kTooLarge;
        break;
      }
      out.resize(std::min(maxBytes, out.size() + 4096));
    }
    ssize_t n = ::read(fd.get(), out.data() + have, out.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      out.clear();
      return ReadResult::kError;
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  out.resize(have);
  return ReadResult::kOk;
}

AtomicFileWriter::AtomicFileWriter(const std::string& hostPath) : hostPath_(hostPath) {
  RemoveStaleLeftovers(hostPath);
  tempPath_ = hostPath + kLeftoverMark + std::to_string(::getpid()) + ".XXXXXX";
  fd_ = ::mkstemp(tempPath_.data());
  if (fd_ < 0) {
    Trace("cannot create a temporary file beside %s (errno %d)", hostPath.c_str(), errno);
    return;
  }
  // The lock says "a live writer owns this file" until the rename is done; the kernel drops
  // it when this process ends, also when it is killed.
  ::flock(fd_, LOCK_EX | LOCK_NB);
  struct stat old {};
  const mode_t mode = ::stat(hostPath.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  if (::fchmod(fd_, mode) != 0) {
    Trace("cannot write %s (errno %d)", hostPath_.c_str(), errno);
    ::close(fd_);
    ::unlink(tempPath_.c_str());
    fd_ = -1;
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(tempPath_.c_str());
}

bool WriteAllParts(int fd, struct iovec* parts, int count) {
  for (;;) {
    while (count > 0 && parts->iov_len == 0) ++parts, --count;
    if (count == 0) return true;
    const int batch = std::min(count, IOV_MAX);
    const ssize_t put = ::writev(fd, parts, batch);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    // Past the parts written whole, then into the one written in part.
    auto left = static_cast<std::size_t>(put);
    while (count > 0 && left >= parts->iov_len) {
      left -= parts->iov_len;
      ++parts;
      --count;
    }
    if (count > 0) {
      parts->iov_base = static_cast<char*>(parts->iov_base) + left;
      parts->iov_len -= left;
    }
  }
}

bool AtomicFileWriter::Write(struct iovec* parts, int count) {
  if (fd_ < 0) return false;
  if (WriteAllParts(fd_, parts, count)) return true;
  Trace("cannot write %s (errno %d)", hostPath_.c_str(), errno);
  ::close(fd_);
  ::unlink(tempPath_.c_str());
  fd_ = -1;
  return false;
}

bool AtomicFileWriter::Commit() {
  if (fd_ < 0) return false;
  const bool ok = ::fsync(fd_) == 0 && ::rename(tempPath_.c_str(), hostPath_.c_str()) == 0;
  if (!ok) Trace("cannot write %s (errno %d)", hostPath_.c_str(), errno);
  ::close(fd_);
  if (!ok) ::unlink(tempPath_.c_str());
  fd_ = -1;
  return ok;
}

bool WriteFileAtomically(const std::string& hostPath, const void* data, std::size_t size) {
  AtomicFileWriter writer(hostPath);
  struct iovec part{const_cast<void*>(data), size};
  return writer.Write(&part, size > 0 ? 1 : 0) && writer.Commit();
}

bool IsWriteLeftoverOf(const std::string& entryName, const std::string& fileName) {
  // "<file>.tmp.<pid>.XXXXXX", exactly as WriteFileAtomically makes it.
  const std::string head = fileName + kLeftoverMark;
  if (entryName.size() < head.size() + 8 || entryName.compare(0, head.size(), head) != 0) return false;
  std::size_t at = head.size();
  std::size_t digits = 0;
  while (at < entryName.size() && entryName[at] >= '0' && entryName[at] <= '9') ++at, ++digits;
  if (digits == 0 || at >= entryName.size() || entryName[at] != '.') return false;
  const std::size_t tail = entryName.size() - at - 1;
  if (tail != 6) return false;
  return std::all_of(entryName.begin() + static_cast<std::ptrdiff_t>(at) + 1, entryName.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

int RemoveStaleLeftovers(const std::string& hostPath) {
  const std::size_t slash = hostPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "./" : hostPath.substr(0, slash + 1);
  const std::string fileName = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return 0;
  const time_t now = ::time(nullptr);
  int removed = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!IsWriteLeftoverOf(entry->d_name, fileName)) continue;
    const std::string path = folder + entry->d_name;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // Young files are left alone: their writer may not have taken its lock yet.
    if (now - st.st_mtime < kLeftoverMinAgeSeconds) continue;
    // A lock we can take means no live process is still writing this file.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || named.st_ino != st.st_ino || named.st_dev != st.st_dev)
      continue;
    if (::unlink(path.c_str()) == 0) {
      Trace("removed %s, left behind by a writer that did not finish", path.c_str());
      ++removed;
    }
  }
  return removed;
}

ExclusiveFileLock::ExclusiveFileLock(const std::string& lockPath) {
  UniqueFd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  int rc = -1;
  if (fd.get() >= 0) {
    do rc = ::flock(fd.get(), LOCK_EX);
    while (rc != 0 && errno == EINTR);
  }
  if (rc != 0) {
    Trace("cannot lock %s (errno %d)", lockPath.c_str(), errno);
    return;
  }
  fd_ = fd.Release();
}

ExclusiveFileLock::~ExclusiveFileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace ossen
