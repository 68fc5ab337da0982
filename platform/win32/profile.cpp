#include "platform/win32/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <unistd.h>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"

namespace ossen {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// What a reader sees of a stored value: no surrounding blanks, and one pair of matching
// quotes around it removed.
std::string ValueAsRead(std::string_view stored) {
  std::string_view value = Trim(stored);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::vector<std::string> UniqueIgnoringCase(std::vector<std::string> names) {
  std::set<std::string> seen;
  std::vector<std::string> out;
  for (std::string& name : names)
    if (seen.insert(AsciiLowered(name)).second) out.push_back(std::move(name));
  return out;
}

}  // namespace

ProfileText::Line ProfileText::MakeLine(std::string text, std::string ending) {
  Line line{std::move(text), std::move(ending), LineKind::kOther, {}};
  std::string_view content = Trim(line.text);
  if (content.empty() || content.front() == ';') return line;
  if (content.front() == '[') {
    std::size_t close = content.find(']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::kSection;
      line.name = Trim(content.substr(1, close - 1));
    }
    return line;
  }
  std::size_t equals = line.text.find('=');
  if (equals == std::string::npos) return line;
  std::string_view key = Trim(std::string_view(line.text).substr(0, equals));
  if (key.empty()) return line;
  line.kind = LineKind::kKey;
  line.name = key;
  return line;
}

ProfileText ProfileText::Parse(std::string_view bytes) {
  ProfileText profile;
  bool styleKnown = false;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t newline = bytes.find('\n', start);
    if (newline == std::string_view::npos) {
      // A last line cut between CR and LF still ends in CR; completing it must not turn
      // the CR into part of its text or of a new CRLF.
      std::string_view last = bytes.substr(start);
      bool endsInCr = last.back() == '\r';
      if (endsInCr) last.remove_suffix(1);
      profile.lines_.push_back(MakeLine(std::string(last), endsInCr ? "\r" : ""));
      break;
    }
    std::size_t end = newline;
    std::string ending = "\n";
    if (end > start && bytes[end - 1] == '\r') {
      --end;
      ending = "\r\n";
    }
    if (!styleKnown) {
      profile.newline_ = ending;  // the file's first line ending sets its style
      styleKnown = true;
    }
    profile.lines_.push_back(MakeLine(std::string(bytes.substr(start, end - start)), std::move(ending)));
    start = newline + 1;
  }
  return profile;
}

std::string ProfileText::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.ending;
  }
  return out;
}

template <typename Visit>
void ProfileText::ForEachKeyLine(std::string_view section, Visit visit) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSection)
      inSection = EqualNamesIgnoringCase(line.name, section);
    else if (inSection && line.kind == LineKind::kKey && visit(i))
      return;
  }
}

std::optional<std::string> ProfileText::Get(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  std::optional<std::string> value;
  ForEachKeyLine(section, [&](std::size_t i) {
    if (!EqualNamesIgnoringCase(lines_[i].name, key)) return false;
    const std::string& text = lines_[i].text;
    value = ValueAsRead(std::string_view(text).substr(text.find('=') + 1));
    return true;
  });
  return value;
}

std::vector<std::string> ProfileText::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_)
    if (line.kind == LineKind::kSection) names.push_back(line.name);
  return UniqueIgnoringCase(std::move(names));
}

std::vector<std::string> ProfileText::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  ForEachKeyLine(Trim(section), [&](std::size_t i) {
    names.push_back(lines_[i].name);
    return false;
  });
  return UniqueIgnoringCase(std::move(names));
}

void ProfileText::EndLastLine() {
  if (lines_.empty()) return;
  std::string& ending = lines_.back().ending;
  if (ending.empty())
    ending = newline_;
  else if (ending == "\r")
    ending = "\r\n";
}

bool ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos || key.front() == '[' ||
      key.front() == ';')
    return false;
  if (HasLineBreak(value)) return false;

  // An existing key keeps its spelling and the spacing around its '='.
  bool replaced = false;
  ForEachKeyLine(section, [&](std::size_t i) {
    if (!EqualNamesIgnoringCase(lines_[i].name, key)) return false;
    std::string& text = lines_[i].text;
    std::size_t valueStart = text.find('=') + 1;
    while (valueStart < text.size() && IsBlank(text[valueStart])) ++valueStart;
    text = text.substr(0, valueStart) + std::string(value);
    replaced = true;
    return true;
  });
  if (replaced) return true;

  // A new key goes after the last key of the section's first appearance.
  std::optional<std::size_t> insertAfter;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSection) {
      if (insertAfter) break;
      if (EqualNamesIgnoringCase(line.name, section)) insertAfter = i;
    } else if (insertAfter && line.kind == LineKind::kKey) {
      insertAfter = i;
    }
  }
  std::string keyLine = std::string(key) + "=" + std::string(value);
  if (insertAfter) {
    if (*insertAfter + 1 == lines_.size()) EndLastLine();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAfter + 1), MakeLine(keyLine, newline_));
    return true;
  }

  // A new section goes at the end, set off from what is before it by a blank line.
  EndLastLine();
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(MakeLine("", newline_));
  lines_.push_back(MakeLine("[" + std::string(section) + "]", newline_));
  lines_.push_back(MakeLine(keyLine, newline_));
  return true;
}

bool ProfileText::DeleteKey(std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  std::vector<std::size_t> doomed;
  ForEachKeyLine(section, [&](std::size_t i) {
    if (EqualNamesIgnoringCase(lines_[i].name, key)) doomed.push_back(i);
    return false;
  });
  for (auto i = doomed.rbegin(); i != doomed.rend(); ++i) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*i));
  return !doomed.empty();
}

bool ProfileText::DeleteSection(std::string_view section) {
  section = Trim(section);
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  bool inSection = false;
  for (Line& line : lines_) {
    if (line.kind == LineKind::kSection) inSection = EqualNamesIgnoringCase(line.name, section);
    if (!inSection) kept.push_back(std::move(line));
  }
  bool removed = kept.size() != lines_.size();
  lines_ = std::move(kept);
  return removed;
}

namespace {

// Host path of a profile file: a bare name lives in the Windows folder.
std::string ProfileHostPath(const char* winFile) {
  std::string_view name = winFile ? winFile : "win.ini";
  if (name.empty()) return {};
  if (name.find_first_of("\\/") == std::string_view::npos)
    return HostPathFromWin(std::string(kWindowsDirectory) + "\\" + std::string(name));
  return HostPathFromWin(name);
}

// The file's text; nothing when it cannot be read (a missing file reads as empty).
std::optional<std::string> ReadProfileFile(const std::string& hostPath, bool& exists) {
  std::vector<std::uint8_t> bytes;
  exists = false;
  switch (ReadFileBytes(hostPath, kMaxProfileBytes, bytes)) {
    case ReadResult::kOk:
      exists = true;
      return std::string(bytes.begin(), bytes.end());
    case ReadResult::kMissing:
      return std::string();
    case ReadResult::kTooLarge:
      Trace("profile %s is larger than %zu bytes, left alone", hostPath.c_str(), kMaxProfileBytes);
      return std::nullopt;
    case ReadResult::kError:
      break;
  }
  Trace("cannot read profile %s (errno %d)", hostPath.c_str(), errno);
  return std::nullopt;
}

DWORD CopyTruncated(std::string_view text, char* buffer, DWORD size) {
  std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

// Copies names as "a\0b\0\0"; a list that does not fit is cut and ends in two terminators.
DWORD CopyNameList(const std::vector<std::string>& names, char* buffer, DWORD size) {
  std::string list;
  for (const std::string& name : names) {
    list += name;
    list += '\0';
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && size >= 2) buffer[1] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

}  // namespace

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value, const char* winFile) {
  if (section == nullptr) return 0;
  std::string host = ProfileHostPath(winFile);
  if (host.empty()) return 0;
  ExclusiveFileLock lock(host + ".lock");
  if (!lock.held()) {
    Trace("cannot lock profile %s (errno %d)", host.c_str(), errno);
    return 0;
  }
  bool exists = false;
  std::optional<std::string> before = ReadProfileFile(host, exists);
  if (!before) return 0;

  ProfileText profile = ProfileText::Parse(*before);
  if (key == nullptr)
    profile.DeleteSection(section);
  else if (value == nullptr)
    profile.DeleteKey(section, key);
  else if (!profile.Set(section, key, value))
    return 0;

  std::string after = profile.Serialize();
  if (after == *before && (exists || after.empty())) return 1;  // nothing to change
  return WriteFileAtomically(host, after.data(), after.size()) ? 1 : 0;
}

DWORD GetPrivateProfileString(const char* section, const char* key, const char* deflt, char* buffer, DWORD size,
                              const char* winFile) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';

  ProfileText profile;
  std::string host = ProfileHostPath(winFile);
  bool exists = false;
  if (!host.empty()) {
    std::optional<std::string> text = ReadProfileFile(host, exists);
    if (text) profile = ProfileText::Parse(*text);
  }

  if (section == nullptr) return CopyNameList(profile.SectionNames(), buffer, size);
  if (key == nullptr) return CopyNameList(profile.KeyNames(section), buffer, size);
  if (std::optional<std::string> value = profile.Get(section, key)) return CopyTruncated(*value, buffer, size);
  std::string_view fallback = deflt ? deflt : "";
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.remove_suffix(1);
  return CopyTruncated(fallback, buffer, size);
}

}  // namespace ossen
