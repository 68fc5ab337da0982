#include "platform/win32/temp_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/trace.h"
#include "platform/win32/paths.h"

namespace ossen {

namespace {

constexpr UINT kLastUnique = 0xFFFF;

std::string TempFileName(std::string_view folder, const char* prefix, UINT unique) {
  std::string name(folder);
  if (!name.empty() && name.back() != '\\' && name.back() != '/') name += '\\';
  name.append(prefix, strnlen(prefix, 3));
  char digits[8];
  std::snprintf(digits, sizeof digits, "%X", unique & kLastUnique);
  name += digits;
  name += ".TMP";
  return name;
}

bool FitsPathBuffer(const std::string& name) { return name.size() < static_cast<std::size_t>(MAX_PATH); }

// Where the walk through the numbers starts: differs between processes and over time, so
// callers rarely meet the same numbers.
UINT StartingUnique() {
  auto mixed = static_cast<unsigned long>(std::time(nullptr)) * 2654435761UL ^
               static_cast<unsigned long>(::getpid()) * 40503UL;
  return static_cast<UINT>(mixed % kLastUnique) + 1;
}

enum class CreateResult { kCreated, kTaken, kFailed };

CreateResult CreateExclusively(const std::string& winName) {
  std::string host = HostPathFromWin(winName);
  if (host.empty()) return CreateResult::kFailed;
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? CreateResult::kTaken : CreateResult::kFailed;
  ::fchmod(fd, 0600);  // exactly 0600, whatever the umask left
  ::close(fd);
  return CreateResult::kCreated;
}

// Remembers the current directory as an open folder, so it comes back exactly, however
// long its path is; restores it when it goes.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() : fd_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~CurrentDirectoryKeeper() {
    if (fd_ < 0) return;
    if (::fchdir(fd_) != 0) Trace("cannot return to the current directory (errno %d)", errno);
    ::close(fd_);
  }
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

 private:
  int fd_;
};

}  // namespace

UINT GetTempFileName(const char* winFolder, const char* prefix, UINT unique, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  if (winFolder == nullptr) return 0;
  if (prefix == nullptr) prefix = "";

  if (unique != 0) {
    std::string name = TempFileName(winFolder, prefix, unique);
    if (!FitsPathBuffer(name)) return 0;
    std::memcpy(out, name.c_str(), name.size() + 1);
    return unique;
  }

  UINT start = StartingUnique();
  for (UINT step = 0; step < kLastUnique; ++step) {
    UINT number = (start - 1 + step) % kLastUnique + 1;
    std::string name = TempFileName(winFolder, prefix, number);
    if (!FitsPathBuffer(name)) return 0;
    switch (CreateExclusively(name)) {
      case CreateResult::kCreated:
        std::memcpy(out, name.c_str(), name.size() + 1);
        return number;
      case CreateResult::kTaken:
        continue;
      case CreateResult::kFailed:
        Trace("cannot create a temporary file in %s (errno %d)", winFolder, errno);
        return 0;
    }
  }
  Trace("no free temporary file name left in %s", winFolder);
  return 0;
}

UINT MakeTempFileName(const char* prefix, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  char folder[MAX_PATH] = {};
  {
    CurrentDirectoryKeeper keeper;
    DWORD length = GetTempPath(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !SetCurrentDirectory(folder))
      std::snprintf(folder, sizeof folder, "%s", "c:\\");
  }
  return GetTempFileName(folder, prefix ? prefix : "TMP", 0, out);
}

}  // namespace ossen
