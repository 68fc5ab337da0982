#include "platform/win32/prefix.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/trace.h"

namespace ossen {

namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string ResolvePrefix() {
  if (const char* p = std::getenv("OSSEN_PREFIX"); p && *p) return WithoutTrailingSlash(p);
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return WithoutTrailingSlash(x) + "/ossen";
  const char* home = std::getenv("HOME");
  return WithoutTrailingSlash(home && *home ? home : "/tmp") + "/.local/share/ossen";
}

// mkdir -p: makes every missing folder of the path.
bool MakeFolders(const std::string& path, mode_t mode) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    std::string part = path.substr(0, i);
    if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CreateHiveIfMissing(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return;  // already there (or not creatable: the registry reports that itself)
  static const char kEmptyHive[] = "REGEDIT4\r\n\r\n";
  ssize_t written = ::write(fd, kEmptyHive, sizeof kEmptyHive - 1);
  (void)written;
  ::close(fd);
}

void EnsureLayout(const std::string& prefix) {
  static std::mutex mutex;
  static std::set<std::string> done;
  std::lock_guard<std::mutex> lock(mutex);
  if (done.count(prefix)) return;
  bool ok = MakeFolders(prefix, 0700);
  for (const char* sub : {"/drive_c/WINDOWS/SYSTEM", "/drive_c/WINDOWS/TEMP"})
    ok = MakeFolders(prefix + sub, 0755) && ok;
  if (!ok) {
    Trace("cannot create the prefix layout in %s (errno %d)", prefix.c_str(), errno);
    return;  // try again at the next use
  }
  CreateHiveIfMissing(prefix + "/system.reg");
  CreateHiveIfMissing(prefix + "/user.reg");
  done.insert(prefix);
}

}  // namespace

std::string PrefixDir() {
  std::string prefix = ResolvePrefix();
  EnsureLayout(prefix);
  return prefix;
}

std::string DriveCDir() { return PrefixDir() + "/drive_c"; }

}  // namespace ossen
