#include "platform/win32/autostart.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "platform/win32/process.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"
#include "platform/win32/registry_hive.h"

namespace ossen {

namespace {

constexpr char kEntryPrefix[] = "ossen-run-";
constexpr char kEntrySuffix[] = ".desktop";
constexpr char kPrefixKey[] = "X-Ossen-Prefix=";
constexpr std::size_t kMaxEntryBytes = 64 * 1024;
constexpr std::size_t kMaxNameTagChars = 48;
constexpr DWORD kRegTypeExpandString = 2;  // REG_EXPAND_SZ

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string AutostartDir() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
    return WithoutTrailingSlash(config) + "/autostart";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return WithoutTrailingSlash(home) + "/.config/autostart";
}

// The prefix a start at logon finds without being told: the one OSSEN_PREFIX overrides.
std::string DefaultPrefix() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return WithoutTrailingSlash(data) + "/ossen";
  const char* home = std::getenv("HOME");
  return WithoutTrailingSlash(home && *home ? home : "/tmp") + "/.local/share/ossen";
}

bool MakeFolders(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    if (::mkdir(path.substr(0, i).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xe ? 3 : (lead >> 3) == 0x1e ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? lead : lead & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xc0) != 0x80) return false;
      code = (code << 6) | (next & 0x3f);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return false;
    i += length;
  }
  return true;
}

// Registry texts are single-byte; a desktop file is UTF-8. Text that is not UTF-8 already
// is taken as Latin-1.
std::string AsUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string utf8;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xc0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3f));
    }
  }
  return utf8;
}

// The string escapes of desktop-entry values.
std::string EscapeValue(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\n': escaped += "\\n"; break;
      case '\t': escaped += "\\t"; break;
      case '\r': escaped += "\\r"; break;
      default: escaped += c;
    }
  }
  if (!escaped.empty() && escaped.front() == ' ') escaped.replace(0, 1, "\\s");
  return escaped;
}

// One Exec argument: quoted when it holds a reserved character (or is empty), with '"', '`',
// '$' and '\' escaped inside the quotes; '%' is doubled everywhere, so it is never a field code.
std::string QuoteExecArgument(std::string_view argument) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  std::string quoted = quote ? "\"" : "";
  for (char c : argument) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  if (quote) quoted += '"';
  return quoted;
}

// An argument a desktop file can carry: UTF-8, and no control characters but the tab.
bool IsCarriable(std::string_view argument) {
  for (char c : argument) {
    auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7f) return false;
  }
  return IsValidUtf8(argument);
}

std::uint32_t Fnv1a(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// "ossen-run-<readable part of the name>-<hash of prefix and name>.desktop": entries of
// different prefixes, and names that read the same once cleaned, never share a file.
std::string EntryFileName(const std::string& prefix, std::string_view valueName) {
  std::string lower = AsciiLowered(valueName);  // value names compare without case
  std::string tag;
  for (char c : lower) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    tag += plain ? c : '_';
    if (tag.size() >= kMaxNameTagChars) break;
  }
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08x", Fnv1a(prefix + '\0' + lower));
  return std::string(kEntryPrefix) + tag + "-" + hash + kEntrySuffix;
}

// The Run key's values as name -> text; texts stop at their first NUL.
std::vector<std::pair<std::string, std::string>> RunValues(const std::string& prefix) {
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(prefix + "/system.reg", kMaxHiveBytes, bytes) != ReadResult::kOk) return values;
  RegistryHive hive("HKEY_LOCAL_MACHINE");
  if (!hive.Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), "system.reg"))
    return values;
  for (const HiveKey& key : hive.keys()) {
    if (!key.visible || !EqualNamesIgnoringCase(key.path, kRunKeyPath)) continue;
    for (const HiveEntry& entry : key.entries) {
      const HiveValue* value = std::get_if<HiveValue>(&entry);
      if (value == nullptr || (value->type != REG_SZ && value->type != kRegTypeExpandString)) continue;
      std::string text(value->data.begin(), value->data.end());
      text.resize(std::min(text.size(), text.find('\0')));
      values.emplace_back(value->name, std::move(text));
    }
  }
  return values;
}

// The desktop entry that starts the value's command line, or "" when it names no program.
std::string EntryText(const std::string& prefix, const std::string& valueName, const std::string& commandLine) {
  ResolvedCommand command;
  if (ResolveCommandLine(commandLine, &command) != ERROR_SUCCESS) {
    Trace("autostart: Run value \"%s\" names no program; no entry", valueName.c_str());
    return {};
  }
  std::vector<std::string> words;
  if (prefix != DefaultPrefix()) {
    words.push_back("env");
    words.push_back("OSSEN_PREFIX=" + prefix);
  }
  words.push_back(command.program);
  words.insert(words.end(), command.arguments.begin(), command.arguments.end());
  std::string exec = DesktopExecValue(words);
  if (exec.empty()) {
    Trace("autostart: Run value \"%s\" has an argument a desktop entry cannot carry; no entry", valueName.c_str());
    return {};
  }
  std::string name = EscapeValue(AsUtf8(valueName.empty() ? std::string("(Default)") : valueName));
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + name + "\n"
         "Exec=" + exec + "\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n" +
         kPrefixKey + EscapeValue(prefix) + "\n"
         "X-Ossen-Run-Value=" + EscapeValue(AsUtf8(valueName)) + "\n";
}

// Whether the entry file is one this prefix wrote: it carries the prefix's marker line.
bool IsOwnEntry(const std::string& path, const std::string& markerLine) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, kMaxEntryBytes, bytes) != ReadResult::kOk) return false;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line == markerLine) return true;
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return false;
}

bool HasText(const std::string& path, const std::string& text) {
  std::vector<std::uint8_t> bytes;
  return ReadFileBytes(path, kMaxEntryBytes, bytes) == ReadResult::kOk &&
         std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()) == text;
}

std::vector<std::string> ExistingEntryNames(const std::string& dir) {
  std::vector<std::string> names;
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return names;
  while (dirent* entry = ::readdir(listing)) {
    std::string_view name = entry->d_name;
    if (name.starts_with(kEntryPrefix) && name.ends_with(kEntrySuffix)) names.emplace_back(name);
  }
  ::closedir(listing);
  return names;
}

}  // namespace

std::string DesktopExecValue(const std::vector<std::string>& words) {
  std::string exec;
  for (const std::string& word : words) {
    if (!IsCarriable(word)) return {};
    if (!exec.empty()) exec += ' ';
    exec += QuoteExecArgument(word);
  }
  return EscapeValue(exec);
}

void SyncAutostartEntries() {
  const std::string dir = AutostartDir();
  if (dir.empty()) return;
  const std::string prefix = PrefixDir();
  if (!IsValidUtf8(prefix)) {
    Trace("autostart: the prefix path is not UTF-8; no entries");
    return;
  }
  ExclusiveFileLock lock(prefix + "/.autostart.lock");
  if (!lock.held()) return;
  const std::string marker = kPrefixKey + EscapeValue(prefix);

  std::map<std::string, std::string> wanted;  // file name -> text
  for (const auto& [name, commandLine] : RunValues(prefix)) {
    if (commandLine.empty()) continue;
    if (std::string text = EntryText(prefix, name, commandLine); !text.empty())
      wanted[EntryFileName(prefix, name)] = std::move(text);
  }

  for (const std::string& name : ExistingEntryNames(dir)) {
    std::string path = dir + "/" + name;
    if (!wanted.count(name) && IsOwnEntry(path, marker) && ::unlink(path.c_str()) != 0)
      Trace("autostart: cannot remove %s (errno %d)", path.c_str(), errno);
  }
  if (!wanted.empty() && !MakeFolders(dir)) {
    Trace("autostart: cannot create %s (errno %d)", dir.c_str(), errno);
    return;
  }
  for (const auto& [name, text] : wanted) {
    std::string path = dir + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
      if (HasText(path, text)) continue;
      if (!S_ISREG(st.st_mode) || !IsOwnEntry(path, marker)) {
        Trace("autostart: %s is not ours; left alone", path.c_str());
        continue;
      }
    }
    if (!WriteFileAtomically(path, text.data(), text.size()))
      Trace("autostart: cannot write %s", path.c_str());
  }
}

}  // namespace ossen
