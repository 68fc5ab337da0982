#include "platform/win32/registry_hive.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/base/ascii_case.h"
#include "platform/base/trace.h"

namespace ossen {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";
// A damaged file would otherwise trace every one of its lines on every read.
constexpr int kMaxTracedLines = 20;
// Hex data is wrapped like the registry editor does, before this column.
constexpr std::size_t kHexLineWidth = 77;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (IsSpace(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  return s;
}

bool IsBlank(std::string_view line) { return TrimRight(line).empty(); }
bool IsHeaderLine(std::string_view line) { return !line.empty() && line.front() == '['; }
bool IsIndented(std::string_view line) { return !line.empty() && IsSpace(line.front()); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<DWORD> ParseHexNumber(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  DWORD value = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = (value << 4) | static_cast<DWORD>(d);
  }
  return value;
}

// Walks the lines of a text one at a time. Lines end at LF; a CR right before the LF
// belongs to the line end.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) { Advance(); }

  bool AtEnd() const { return atEnd_; }
  std::string_view Peek() const { return line_; }
  std::size_t Number() const { return number_; }  // of the line Peek shows, from 1
  std::string_view Take() {
    std::string_view line = line_;
    Advance();
    return line;
  }

 private:
  void Advance() {
    ++number_;
    atEnd_ = position_ >= text_.size();
    if (atEnd_) {
      line_ = {};
      return;
    }
    std::size_t end = text_.find('\n', position_);
    bool hasEnd = end != std::string_view::npos;
    line_ = text_.substr(position_, (hasEnd ? end : text_.size()) - position_);
    if (hasEnd && !line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
    position_ = hasEnd ? end + 1 : text_.size();
  }

  std::string_view text_;
  std::size_t position_ = 0;
  std::string_view line_;
  std::size_t number_ = 0;
  bool atEnd_ = false;
};

bool IsDefaultValueName(std::string_view name) { return name.empty(); }

// Reads a quoted text at the start of `rest` ("\\" and "\"" are the only escapes),
// leaving `rest` after its closing quote.
std::optional<std::string> ReadQuoted(std::string_view& rest) {
  if (rest.empty() || rest.front() != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '"') {
      rest.remove_prefix(i + 1);
      return text;
    }
    if (c == '\\') {
      if (i + 1 >= rest.size() || (rest[i + 1] != '\\' && rest[i + 1] != '"')) return std::nullopt;
      c = rest[++i];
    }
    text.push_back(c);
  }
  return std::nullopt;  // no closing quote
}

// `"name"` or `@` (the default value) at the start of `rest`, leaving `rest` after it.
std::optional<std::string> ReadValueName(std::string_view& rest) {
  if (!rest.empty() && rest.front() == '@') {
    rest.remove_prefix(1);
    return std::string();
  }
  return ReadQuoted(rest);
}

// `"text"` and nothing after it: the bytes and a terminator.
std::optional<std::vector<BYTE>> ReadQuotedText(std::string_view rest) {
  std::optional<std::string> text = ReadQuoted(rest);
  if (!text || !TrimRight(rest).empty()) return std::nullopt;
  std::vector<BYTE> data(text->begin(), text->end());
  data.push_back(0);
  return data;
}

// Replaces the value of the same name in place (keeping the stored name) or adds it.
void PutValue(std::vector<HiveEntry>& entries, HiveValue value) {
  for (HiveEntry& entry : entries) {
    if (auto* old = std::get_if<HiveValue>(&entry); old && EqualNamesIgnoringCase(old->name, value.name)) {
      old->type = value.type;
      old->data = std::move(value.data);
      return;
    }
  }
  entries.push_back(std::move(value));
}

// Comma-separated bytes of one or two hex digits; an empty list is no bytes.
std::optional<std::vector<BYTE>> ReadHexBytes(std::string_view list) {
  std::vector<BYTE> data;
  list = TrimLeft(TrimRight(list));
  if (list.empty()) return data;
  while (true) {
    std::size_t comma = list.find(',');
    std::string_view token = TrimLeft(TrimRight(list.substr(0, comma)));
    std::optional<DWORD> byte = ParseHexNumber(token, 2);
    if (!byte) return std::nullopt;
    data.push_back(static_cast<BYTE>(*byte));
    if (comma == std::string_view::npos) return data;
    list.remove_prefix(comma + 1);
  }
}

// The data after "name=": the value it describes, or nothing if it cannot be read.
std::optional<HiveValue> ReadValueData(std::string name, std::string_view data) {
  HiveValue value;
  value.name = std::move(name);
  if (!data.empty() && data.front() == '"') {
    std::optional<std::vector<BYTE>> text = ReadQuotedText(data);
    if (!text) return std::nullopt;
    value.type = kRegTypeString;
    value.data = std::move(*text);
    return value;
  }
  data = TrimRight(data);
  if (StartsWithIgnoringCase(data, "dword:")) {
    std::optional<DWORD> number = ParseHexNumber(data.substr(6), 8);
    if (!number) return std::nullopt;
    value.type = kRegTypeDword;
    for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<BYTE>(*number >> shift));
    return value;
  }
  if (StartsWithIgnoringCase(data, "hex:")) {
    value.type = kRegTypeBinary;
    data.remove_prefix(4);
  } else if (StartsWithIgnoringCase(data, "hex(")) {
    std::size_t close = data.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    std::optional<DWORD> type = ParseHexNumber(data.substr(4, close - 4), 8);
    if (!type) return std::nullopt;
    value.type = *type;
    data.remove_prefix(close + 2);
  } else {
    return std::nullopt;
  }
  std::optional<std::vector<BYTE>> bytes = ReadHexBytes(data);
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
}

// A REG_SZ fits the quoted form when it is one terminated text without line breaks.
bool FitsQuotedText(const std::vector<BYTE>& data) {
  if (data.empty() || data.back() != 0) return false;
  return std::none_of(data.begin(), data.end() - 1, [](BYTE b) { return b == 0 || b == '\r' || b == '\n'; });
}

void AppendValue(std::string& out, const HiveValue& value) {
  std::size_t lineStart = out.size();
  if (IsDefaultValueName(value.name)) {
    out += '@';
  } else {
    out += '"';
    AppendEscaped(out, value.name);
    out += '"';
  }
  out += '=';
  char number[32];
  if (value.type == kRegTypeString && FitsQuotedText(value.data)) {
    out += '"';
    AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    out += '"';
  } else if (value.type == kRegTypeDword && value.data.size() == 4) {
    DWORD n = value.data[0] | (DWORD{value.data[1]} << 8) | (DWORD{value.data[2]} << 16) | (DWORD{value.data[3]} << 24);
    std::snprintf(number, sizeof number, "dword:%08x", static_cast<unsigned>(n));
    out += number;
  } else {
    if (value.type == kRegTypeBinary) {
      out += "hex:";
    } else {
      std::snprintf(number, sizeof number, "hex(%x):", static_cast<unsigned>(value.type));
      out += number;
    }
    for (std::size_t i = 0; i < value.data.size(); ++i) {
      bool last = i + 1 == value.data.size();
      if (i > 0 && out.size() - lineStart + (last ? 2 : 3) > kHexLineWidth) {
        out += "\\\r\n  ";
        lineStart = out.size() - 2;
      }
      std::snprintf(number, sizeof number, last ? "%02x" : "%02x,", value.data[i]);
      out += number;
    }
  }
  out += kLineEnd;
}

// Turns the lines of one hive text into its leading lines and keys.
class HiveParser {
 public:
  HiveParser(std::string_view text, std::string_view rootName, std::string_view sourceName,
             std::vector<KeptLines>& leading, std::vector<HiveKey>& keys)
      : lines_(text), rootName_(rootName), sourceName_(sourceName), leading_(leading), keys_(keys) {}

  // False when the text holds more keys and lines than a hive may.
  bool Run() {
    while (!lines_.AtEnd() && IsBlank(lines_.Peek())) lines_.Take();
    if (!lines_.AtEnd() && TrimRight(lines_.Peek()) == kHeader)
      lines_.Take();
    else
      Report(lines_.Number(), "has no REGEDIT4 header; reading on");

    while (!lines_.AtEnd() && items_ <= kMaxHiveItems) {
      std::string_view line = lines_.Peek();
      if (IsBlank(line)) {
        lines_.Take();
      } else if (IsHeaderLine(line)) {
        StartKey(line);
        lines_.Take();
      } else if (Current() == nullptr) {
        if (line.front() != ';') Report(lines_.Number(), "stands outside any key; kept as it is");
        leading_.push_back({std::string(lines_.Take())});
        ++items_;
      } else if (!Current()->visible) {
        Current()->entries.push_back(KeptLines{std::string(lines_.Take())});
        ++items_;
      } else {
        ReadEntry();
      }
    }
    if (traced_ > kMaxTracedLines)
      Trace("registry: %.*s: %d more damaged lines not listed", Printable(sourceName_), sourceName_.data(),
            traced_ - kMaxTracedLines);
    if (items_ <= kMaxHiveItems) return true;
    Trace("registry: %.*s holds more than %zu keys and lines; not read", Printable(sourceName_),
          sourceName_.data(), kMaxHiveItems);
    return false;
  }

 private:
  static int Printable(std::string_view s) { return static_cast<int>(std::min<std::size_t>(s.size(), 64)); }

  void Report(std::size_t lineNumber, const char* what) {
    if (++traced_ > kMaxTracedLines) return;
    Trace("registry: %.*s line %zu %s", Printable(sourceName_), sourceName_.data(), lineNumber, what);
  }

  void StartKey(std::string_view line) {
    std::string_view header = TrimRight(line);
    std::optional<std::string> path;
    if (header.size() >= 2 && header.back() == ']') {
      std::string_view inner = header.substr(1, header.size() - 2);
      std::size_t slash = inner.find('\\');
      if (!EqualNamesIgnoringCase(inner.substr(0, slash), rootName_)) {
        Report(lines_.Number(), "names a key under another root; kept, not visible");
        HideKey(line);
        return;
      }
      std::string_view below = slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
      if (slash == std::string_view::npos || (!below.empty() && RegistryHive::IsStorableKeyPath(below)))
        path = std::string(below);
    }
    if (!path) {
      Report(lines_.Number(), "is a key header that cannot be read; its key is kept, not visible");
      HideKey(line);
      return;
    }
    // A key listed twice is one key: its later values join (and override) the earlier ones.
    auto [known, added] = keyIndex_.try_emplace(AsciiLowered(*path), keys_.size());
    current_ = known->second;
    if (added) {
      keys_.push_back(HiveKey{std::move(*path), true, {}});
      ++items_;
    }
  }

  void HideKey(std::string_view line) {
    keys_.push_back(HiveKey{std::string(line), false, {}});
    ++items_;
    current_ = keys_.size() - 1;
  }

  // One value, which for hex data may continue on following indented lines.
  void ReadEntry() {
    ++items_;
    std::size_t firstNumber = lines_.Number();
    std::vector<std::string_view> taken = {lines_.Take()};
    std::string_view rest = taken.front();
    std::optional<std::string> name = ReadValueName(rest);
    std::optional<HiveValue> value;
    if (name) {
      rest = TrimLeft(rest);
      if (!rest.empty() && rest.front() == '=') {
        rest = TrimLeft(rest.substr(1));
        if (StartsWithIgnoringCase(rest, "hex"))
          value = ReadHexEntry(std::move(*name), rest, taken);
        else
          value = ReadValueData(std::move(*name), rest);
      }
    }
    if (value) {
      AddValue(std::move(*value));
      return;
    }
    if (taken.front().front() != ';') Report(firstNumber, "cannot be read; kept as it is");  // ';' starts a comment
    std::string text;
    for (std::string_view line : taken) {
      if (!text.empty()) text += kLineEnd;
      text += line;
    }
    if (brokenContinuation_) {
      text += kLineEnd;  // stands for the blank line (or end) that broke it
      if (!lines_.AtEnd() && IsBlank(lines_.Peek())) lines_.Take();
      brokenContinuation_ = false;
    }
    Current()->entries.push_back(KeptLines{std::move(text)});
  }

  // Joins the continuation lines of hex data, then reads it. A continuation cut short by
  // a blank line, a key header, a line that is not indented or the end of the text leaves
  // the value unreadable, and the kept text then ends in an empty line that stands for the
  // break: written back, that empty line breaks it again, so nothing that follows (not even
  // the blank line that ends its key) is ever taken into it.
  std::optional<HiveValue> ReadHexEntry(std::string name, std::string_view data,
                                        std::vector<std::string_view>& taken) {
    std::string joined;
    std::string_view piece = TrimRight(data);
    while (!piece.empty() && piece.back() == '\\') {
      joined += piece.substr(0, piece.size() - 1);
      if (lines_.AtEnd() || IsBlank(lines_.Peek()) || IsHeaderLine(lines_.Peek()) || !IsIndented(lines_.Peek())) {
        brokenContinuation_ = true;
        return std::nullopt;
      }
      taken.push_back(lines_.Take());
      piece = TrimLeft(TrimRight(taken.back()));
    }
    joined += piece;
    return ReadValueData(std::move(name), joined);
  }

  // A later value of the same name replaces the earlier one in place. The indexes keep
  // reading a large hive linear.
  void AddValue(HiveValue value) {
    std::vector<HiveEntry>& entries = Current()->entries;
    auto [known, added] = valueIndex_[current_].try_emplace(AsciiLowered(value.name), entries.size());
    if (added) {
      entries.push_back(std::move(value));
    } else {
      auto& old = std::get<HiveValue>(entries[known->second]);
      old.type = value.type;
      old.data = std::move(value.data);
    }
  }

  // Index into keys_: the vector grows while we read.
  HiveKey* Current() { return current_ == kNoKey ? nullptr : &keys_[current_]; }

  LineCursor lines_;
  std::string_view rootName_;
  std::string_view sourceName_;
  std::vector<KeptLines>& leading_;
  std::vector<HiveKey>& keys_;
  std::unordered_map<std::string, std::size_t> keyIndex_;                // lower-case path -> key
  // Per visible key with values: lower-case name -> entry.
  std::unordered_map<std::size_t, std::unordered_map<std::string, std::size_t>> valueIndex_;
  static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  std::size_t current_ = kNoKey;
  bool brokenContinuation_ = false;
  int traced_ = 0;
  std::size_t items_ = 0;  // keys, values and kept lines so far
};

}  // namespace

RegistryHive::RegistryHive(std::string rootName) : rootName_(std::move(rootName)) {}

bool RegistryHive::Parse(std::string_view text, std::string_view sourceName) {
  leadingLines_.clear();
  keys_.clear();
  if (HiveParser(text, rootName_, sourceName, leadingLines_, keys_).Run()) return true;
  leadingLines_.clear();
  keys_.clear();
  return false;
}

std::string RegistryHive::Serialize() const {
  std::string out;
  out += kHeader;
  out += kLineEnd;
  out += kLineEnd;
  for (const KeptLines& kept : leadingLines_) {
    out += kept.text;
    out += kLineEnd;
  }
  if (!leadingLines_.empty()) out += kLineEnd;
  for (const HiveKey& key : keys_) {
    if (key.visible) {
      out += '[';
      out += rootName_;
      if (!key.path.empty()) out += '\\';
      out += key.path;
      out += ']';
    } else {
      out += key.path;
    }
    out += kLineEnd;
    for (const HiveEntry& entry : key.entries) {
      if (const auto* value = std::get_if<HiveValue>(&entry)) {
        AppendValue(out, *value);
      } else {
        out += std::get<KeptLines>(entry).text;
        out += kLineEnd;
      }
    }
    out += kLineEnd;
  }
  return out;
}

std::size_t RegistryHive::ItemCount() const {
  std::size_t count = leadingLines_.size() + keys_.size();
  for (const HiveKey& key : keys_) count += key.entries.size();
  return count;
}

bool RegistryHive::IsStorableKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (path.find_first_of("\r\n") != std::string_view::npos) return false;
  if (path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

bool RegistryHive::IsStorableValueName(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos;
}

const HiveKey* RegistryHive::FindKey(std::string_view path) const {
  for (const HiveKey& key : keys_)
    if (key.visible && EqualNamesIgnoringCase(key.path, path)) return &key;
  return nullptr;
}

HiveKey* RegistryHive::FindKey(std::string_view path) {
  return const_cast<HiveKey*>(std::as_const(*this).FindKey(path));
}

bool RegistryHive::KeyExists(std::string_view path) const {
  if (path.empty() || FindKey(path)) return true;
  for (const HiveKey& key : keys_) {
    if (key.visible && key.path.size() > path.size() && key.path[path.size()] == '\\' &&
        EqualNamesIgnoringCase(std::string_view(key.path).substr(0, path.size()), path))
      return true;
  }
  return false;
}

HiveKey& RegistryHive::AddKey(std::string_view path) {
  keys_.push_back(HiveKey{std::string(path), true, {}});
  return keys_.back();
}

bool RegistryHive::CreateKey(std::string_view path) {
  if (!IsStorableKeyPath(path)) return false;
  if (path.empty()) return true;  // the root is always there
  for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    std::string_view part = path.substr(0, end);
    if (!FindKey(part)) AddKey(part);
    if (end == std::string_view::npos) return true;
  }
}

const HiveValue* RegistryHive::FindValue(std::string_view keyPath, std::string_view name) const {
  const HiveKey* key = FindKey(keyPath);
  if (!key) return nullptr;
  for (const HiveEntry& entry : key->entries)
    if (const auto* value = std::get_if<HiveValue>(&entry); value && EqualNamesIgnoringCase(value->name, name)) return value;
  return nullptr;
}

bool RegistryHive::SetValue(std::string_view keyPath, std::string_view name, DWORD type, std::vector<BYTE> data) {
  if (!IsStorableKeyPath(keyPath) || !IsStorableValueName(name)) return false;
  CreateKey(keyPath);
  HiveKey* key = FindKey(keyPath);
  if (!key) key = &AddKey(keyPath);  // the root key gets a section once it holds a value
  PutValue(key->entries, HiveValue{std::string(name), type, std::move(data)});
  return true;
}

bool RegistryHive::DeleteValue(std::string_view keyPath, std::string_view name) {
  HiveKey* key = FindKey(keyPath);
  if (!key) return false;
  auto it = std::find_if(key->entries.begin(), key->entries.end(), [&](const HiveEntry& entry) {
    const auto* value = std::get_if<HiveValue>(&entry);
    return value && EqualNamesIgnoringCase(value->name, name);
  });
  if (it == key->entries.end()) return false;
  key->entries.erase(it);
  return true;
}

bool RegistryHive::DeleteEmptyKey(std::string_view path) {
  const HiveKey* key = FindKey(path);
  if (path.empty() || key == nullptr || !key->entries.empty()) return false;
  for (const HiveKey& other : keys_) {
    if (other.visible && other.path.size() > path.size() && other.path[path.size()] == '\\' &&
        EqualNamesIgnoringCase(std::string_view(other.path).substr(0, path.size()), path))
      return false;
  }
  keys_.erase(keys_.begin() + (key - keys_.data()));
  return true;
}

}  // namespace ossen
