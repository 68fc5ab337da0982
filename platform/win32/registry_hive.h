// One registry hive held in memory, read from and written as REGEDIT4 text.
//
// The text is what the Windows 95 registry editor exports: a "REGEDIT4" line, a blank
// line, then per key a "[ROOT\path]" line, its values one per line and a blank line.
// Values are "name"="text", "name"=dword:0000000a, "name"=hex:.. or "name"=hex(N):..
// (with "\" line continuations); the default value is written @=..
//
// Reading never fails. A line that cannot be read is traced and kept where it stood, so
// that writing the hive back reproduces it and an edit made by a person is never lost.
// Keys under another root, or whose header cannot be read, are kept the same way but are
// not visible to lookups. Key paths and value names compare without regard to ASCII case
// and keep the case in which they were first written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/base/win_types.h"

namespace ossen {

// Largest hive text read or written; a larger file is refused rather than truncated.
inline constexpr std::size_t kMaxHiveBytes = 16u << 20;
// Most keys, values and kept lines a hive holds: bounds the memory a damaged file can take.
inline constexpr std::size_t kMaxHiveItems = 1u << 18;

// Registry value types the hive writes in their own notation; any other type is kept as hex(N).
inline constexpr DWORD kRegTypeString = 1;  // REG_SZ
inline constexpr DWORD kRegTypeBinary = 3;  // REG_BINARY
inline constexpr DWORD kRegTypeDword = 4;   // REG_DWORD

struct HiveValue {
  std::string name;  // empty: the key's default value
  DWORD type = 0;
  std::vector<BYTE> data;

  bool operator==(const HiveValue&) const = default;
};

// Text that could not be read, one or more physical lines joined by CRLF, written back as it was.
struct KeptLines {
  std::string text;

  bool operator==(const KeptLines&) const = default;
};

using HiveEntry = std::variant<HiveValue, KeptLines>;

// One "[...]" section, in file order.
struct HiveKey {
  // Visible keys: the path below the hive's root ("" for the root itself).
  // Hidden keys: the whole header line exactly as read.
  std::string path;
  bool visible = true;
  std::vector<HiveEntry> entries;  // hidden keys hold only kept lines

  bool operator==(const HiveKey&) const = default;
};

class RegistryHive {
 public:
  // `rootName` is the full root name the hive's headers begin with, e.g. "HKEY_CURRENT_USER".
  explicit RegistryHive(std::string rootName);

  // Replaces the content with the REGEDIT4 text in `text`; `sourceName` names it in traces.
  // Damage is no failure; only a text with more than kMaxHiveItems keys, values and kept
  // lines is refused (false, the hive is left empty).
  bool Parse(std::string_view text, std::string_view sourceName);
  // The REGEDIT4 text of the whole hive, with CRLF line ends.
  std::string Serialize() const;

  const std::string& rootName() const { return rootName_; }
  // Unreadable lines that stood before the first key.
  const std::vector<KeptLines>& leadingLines() const { return leadingLines_; }
  const std::vector<HiveKey>& keys() const { return keys_; }
  // Keys, values and kept lines: what kMaxHiveItems bounds.
  std::size_t ItemCount() const;

  // A key exists when it has a section of its own or a subkey does.
  bool KeyExists(std::string_view path) const;
  // Gives the key and each of its parents a section of their own where missing. False for a
  // path that cannot be stored (see IsStorableKeyPath); nothing is changed then.
  bool CreateKey(std::string_view path);

  const HiveValue* FindValue(std::string_view keyPath, std::string_view name) const;
  // Creates the key if needed, replaces a value of the same name in place (keeping the
  // name's stored case) or adds it at the end of the key. False for an unstorable key path
  // or value name; nothing is changed then.
  bool SetValue(std::string_view keyPath, std::string_view name, DWORD type, std::vector<BYTE> data);
  // False when there was no such value.
  bool DeleteValue(std::string_view keyPath, std::string_view name);
  // Removes the key's section when it holds nothing: no values, no kept lines, no subkeys.
  // False, changing nothing, for a key that is missing or not empty (and for the root).
  bool DeleteEmptyKey(std::string_view path);

  // Paths are names separated by single backslashes, none empty, without CR or LF;
  // "" is the root key itself.
  static bool IsStorableKeyPath(std::string_view path);
  // Any name without CR or LF ("" is the default value).
  static bool IsStorableValueName(std::string_view name);

 private:
  HiveKey* FindKey(std::string_view path);
  const HiveKey* FindKey(std::string_view path) const;
  HiveKey& AddKey(std::string_view path);

  std::string rootName_;
  std::vector<KeptLines> leadingLines_;
  std::vector<HiveKey> keys_;
};

}  // namespace ossen
