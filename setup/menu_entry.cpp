#include "setup/menu_entry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/autostart.h"
#include "platform/win32/prefix.h"
#include "product/product_names.h"

namespace ossen::setup {
namespace {

constexpr char kPrefixLine[] = "X-Ossen-Prefix=";
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

std::string DataHome() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.local/share";
}

// Eight hex digits of the prefix's path (FNV-1a): one entry per prefix.
std::string PrefixTag(std::string_view prefix) {
  std::uint32_t hash = 2166136261u;
  for (char c : prefix) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08x", hash);
  return tag;
}

std::string IconName() { return "ossen-" + PrefixTag(PrefixDir()); }

bool WriteWithFolders(const std::string& path, const void* data, std::size_t size) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  return !error && WriteFileAtomically(path, data, size);
}

bool IsOwnEntry(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, kMaxEntryBytes, bytes) != ReadResult::kOk) return false;
  const std::string text(bytes.begin(), bytes.end());
  return text.find("\n" + std::string(kPrefixLine) + PrefixDir() + "\n") != std::string::npos;
}

}  // namespace

MenuEntryFiles MenuEntryFilesForPrefix() {
  const std::string data = DataHome();
  if (data.empty()) return {};
  return {data + "/applications/" + IconName() + ".desktop", data + "/icons/hicolor/48x48/apps/" + IconName() + ".png"};
}

bool WriteMenuEntry(const std::string& programHostPath, const std::vector<std::uint8_t>& iconPng) {
  const MenuEntryFiles files = MenuEntryFilesForPrefix();
  if (files.desktopFile.empty()) return false;
  // The prefix goes with the command, so the entry starts the program this installation made.
  const std::string exec = DesktopExecValue({"env", "OSSEN_PREFIX=" + PrefixDir(), programHostPath});
  if (exec.empty() || PrefixDir().find_first_of("\r\n") != std::string::npos) return false;
  const std::string text = std::string("[Desktop Entry]\n") +
                           "Type=Application\n"
                           "Name=" + product::kProductName + "\n"
                           "Comment=Turns the desktop over to a painting at the dates you choose\n"
                           "Exec=" + exec + "\n"
                           "Icon=" + IconName() + "\n"
                           "Categories=Utility;DesktopSettings;\n"
                           "Terminal=false\n" +
                           kPrefixLine + PrefixDir() + "\n";
  if (!iconPng.empty() && !WriteWithFolders(files.iconFile, iconPng.data(), iconPng.size())) return false;
  return WriteWithFolders(files.desktopFile, text.data(), text.size());
}

std::vector<std::string> RemoveMenuEntry() {
  std::vector<std::string> removed;
  const MenuEntryFiles files = MenuEntryFilesForPrefix();
  if (files.desktopFile.empty()) return removed;
  // The icon's name is this prefix's own; a desktop file of that name is ours only when it
  // says so.
  for (const std::string& path : {files.desktopFile, files.iconFile}) {
    if (path == files.desktopFile && !IsOwnEntry(path)) continue;
    if (::unlink(path.c_str()) == 0)
      removed.push_back(path);
    else if (errno != ENOENT)
      Trace("setup: cannot remove %s (errno %d)", path.c_str(), errno);
  }
  return removed;
}

}  // namespace ossen::setup
