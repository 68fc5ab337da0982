#include "platform/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/trace.h"
#include "platform/unique_fd.h"

namespace ossen {

namespace {

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0644 & ~mask);
}

}  // namespace

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

bool WriteFileAtomically(const std::string& hostPath, const void* data, std::size_t size) {
  std::string tempPath = hostPath + ".XXXXXX";
  UniqueFd fd(::mkstemp(tempPath.data()));
  if (fd.get() < 0) {
    Trace("cannot create a temporary file beside %s (errno %d)", hostPath.c_str(), errno);
    return false;
  }
  struct stat old {};
  mode_t mode = ::stat(hostPath.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), data, size) &&
            ::fsync(fd.get()) == 0;
  ok = (::close(fd.Release()) == 0) && ok;
  if (ok && ::rename(tempPath.c_str(), hostPath.c_str()) == 0) return true;
  Trace("cannot write %s (errno %d)", hostPath.c_str(), errno);
  ::unlink(tempPath.c_str());
  return false;
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
