#include "platform/win32/paths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/win32/prefix.h"

namespace ossen {

namespace {

using Components = std::vector<std::string>;

// A Windows path taken apart: its drive letter (upper case) and its components, with
// "." and ".." already resolved.
struct WinLocation {
  char drive = 0;
  Components components;
};

bool IsWinSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Adds the components of `path` to `into`: empty ones (repeated separators) and "." are
// dropped, ".." removes the last one but never climbs above the root.
template <typename IsSeparator>
void AppendComponents(std::string_view path, IsSeparator isSeparator, Components& into) {
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t end = i;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    std::string_view part = path.substr(i, end - i);
    if (part == "..") {
      if (!into.empty()) into.pop_back();
    } else if (!part.empty() && part != ".") {
      into.emplace_back(part);
    }
    i = end + 1;
  }
}

Components HostComponents(std::string_view hostPath) {
  Components parts;
  AppendComponents(hostPath, [](char c) { return c == '/'; }, parts);
  return parts;
}

bool StartsWith(const Components& whole, const Components& head) {
  return whole.size() >= head.size() && std::equal(head.begin(), head.end(), whole.begin());
}

std::string CurrentHostDirectory() {
  std::error_code error;
  std::filesystem::path cwd = std::filesystem::current_path(error);
  return error ? std::string() : cwd.string();
}

std::string JoinWin(char drive, const Components& parts, std::size_t from) {
  std::string out{drive, ':', '\\'};
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (i > from) out += '\\';
    out += parts[i];
  }
  return out;
}

// The current directory as a Windows location; drive 0 when it cannot be had.
WinLocation CurrentLocation() {
  std::string win = WinPathFromHost(CurrentHostDirectory());
  WinLocation here;
  if (win.size() < 3) return here;
  here.drive = win[0];
  AppendComponents(std::string_view(win).substr(3), IsWinSeparator, here.components);
  return here;
}

// Takes a Windows path apart relative to the current directory; drive 0 when the path
// names nothing on the host.
WinLocation ParseWinPath(std::string_view path) {
  WinLocation where;
  if (path.empty() || path.find('\0') != std::string_view::npos) return where;
  if (path.size() >= 2 && IsWinSeparator(path[0]) && IsWinSeparator(path[1])) return where;  // UNC

  std::string_view rest = path;
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    char drive = AsciiUpper(path[0]);
    if (drive != 'C' && drive != 'Z') return where;
    rest = path.substr(2);
    if (rest.empty() || !IsWinSeparator(rest[0])) {
      // "C:x": relative to the current directory when that is on the same drive.
      WinLocation here = CurrentLocation();
      if (here.drive == drive) where = here;
    }
    where.drive = drive;
  } else if (IsWinSeparator(path[0])) {
    where.drive = CurrentLocation().drive;
  } else {
    where = CurrentLocation();
  }
  if (where.drive == 0) return where;
  AppendComponents(rest, IsWinSeparator, where.components);
  return where;
}

bool Exists(const std::string& hostPath) {
  struct stat st {};
  return ::lstat(hostPath.c_str(), &st) == 0;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entry of `folder` that equals `name` apart from ASCII case; the first in byte order
// when there are several, so the choice does not depend on the directory's order.
std::string FindNameIgnoringCase(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "/" : folder.c_str()));
  if (!dir) return {};
  std::string best;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view candidate = entry->d_name;
    if (!EqualNamesIgnoringCase(candidate, name)) continue;
    if (best.empty() || candidate < best) best = candidate;
  }
  return best;
}

// Builds the host path below `root`, taking the existing spelling of each component.
std::string ResolveOnHost(std::string root, const Components& parts) {
  std::string path = std::move(root);
  bool folderExists = true;
  for (const std::string& part : parts) {
    std::string exact = path + "/" + part;
    if (folderExists && !Exists(exact)) {
      std::string found = FindNameIgnoringCase(path, part);
      if (!found.empty()) {
        path += "/" + found;
        continue;
      }
      folderExists = false;  // nothing below a missing component can exist
    }
    path = std::move(exact);
  }
  return path.empty() ? "/" : path;
}

bool IsExecutableFile(const std::string& hostPath) {
  struct stat st {};
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(hostPath.c_str(), X_OK) == 0;
}

}  // namespace

std::string HostPathFromWin(std::string_view winPath) {
  WinLocation where = ParseWinPath(winPath);
  if (where.drive == 0) return {};
  return ResolveOnHost(where.drive == 'C' ? DriveCDir() : std::string(), where.components);
}

std::string WinPathFromHost(std::string_view hostPath) {
  if (hostPath.empty() || hostPath.find('\0') != std::string_view::npos) return {};
  std::string absolute(hostPath);
  if (absolute[0] != '/') {
    std::string cwd = CurrentHostDirectory();
    if (cwd.empty()) return {};
    absolute = cwd + "/" + absolute;
  }
  Components parts = HostComponents(absolute);

  // drive_c may be reached through a symbolic link in the prefix's path; the real
  // current directory comes back resolved, so both spellings count.
  std::string driveC = DriveCDir();
  Components driveParts = HostComponents(driveC);
  if (StartsWith(parts, driveParts)) return JoinWin('C', parts, driveParts.size());
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(driveC, error);
  if (!error) {
    Components realParts = HostComponents(real.string());
    if (StartsWith(parts, realParts)) return JoinWin('C', parts, realParts.size());
  }
  return JoinWin('Z', parts, 0);
}

std::string FindProgramHostPath(std::string_view winPath) {
  std::string host = HostPathFromWin(winPath);
  if (host.empty()) return {};
  if (IsExecutableFile(host)) return host;
  if (EndsWithIgnoringCase(winPath, ".exe") || EndsWithIgnoringCase(winPath, ".scr")) {
    std::string bare = HostPathFromWin(winPath.substr(0, winPath.size() - 4));
    if (!bare.empty() && IsExecutableFile(bare)) return bare;
  }
  return {};
}

DWORD CopyToWinBuffer(std::string_view text, char* buffer, DWORD size) {
  std::size_t needed = text.size() + 1;
  if (buffer == nullptr || needed > size) return static_cast<DWORD>(needed);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return static_cast<DWORD>(text.size());
}

DWORD GetCurrentDirectory(DWORD size, char* buffer) {
  std::string win = WinPathFromHost(CurrentHostDirectory());
  if (win.empty()) return 0;
  return CopyToWinBuffer(win, buffer, size);
}

BOOL SetCurrentDirectory(const char* winPath) {
  if (winPath == nullptr) return 0;
  std::string host = HostPathFromWin(winPath);
  return !host.empty() && ::chdir(host.c_str()) == 0;
}

UINT GetWindowsDirectory(char* buffer, UINT size) {
  PrefixDir();  // the folder exists once someone asks for it
  return CopyToWinBuffer(kWindowsDirectory, buffer, size);
}

UINT GetSystemDirectory(char* buffer, UINT size) {
  PrefixDir();
  return CopyToWinBuffer(kSystemDirectory, buffer, size);
}

DWORD GetTempPath(DWORD size, char* buffer) {
  PrefixDir();
  return CopyToWinBuffer(kTempDirectory, buffer, size);
}

std::string WindowsDriveRoot() {
  char folder[MAX_PATH] = {};
  UINT length = GetWindowsDirectory(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return {};
  return std::string(folder, std::min<UINT>(length, 3));
}

}  // namespace ossen
