#include "image/data_source.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/win32/paths.h"

namespace ossen {

namespace {

// Writes as much of the block as the file takes; a short write that makes no progress
// (a full disk, an I/O error) ends it.
DWORD WriteBlock(int fd, const std::uint8_t* bytes, DWORD count) {
  DWORD written = 0;
  while (written < count) {
    ssize_t put = ::write(fd, bytes + written, count - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    written += static_cast<DWORD>(put);
  }
  return written;
}

}  // namespace

DWORD DataSource::WriteToFile(const char* winPath) {
  DWORD written = 0;
  Lock();
  if (data != nullptr && size > 0 && winPath != nullptr) {
    const std::string hostPath = HostPathFromWin(winPath);
    int fd = hostPath.empty() ? -1 : ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) {
      written = WriteBlock(fd, data, size);
      // A failed close can mean the bytes never reached the file: nothing counts as written.
      if (::close(fd) != 0 && errno != EINTR) written = 0;
    }
  }
  Unlock();
  return written;
}

}  // namespace ossen
