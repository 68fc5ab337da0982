// Profile (INI) files: "[section]" lines followed by "key=value" lines.
//
// Section and key names compare without regard to ASCII case. A change touches only the
// lines it must: comments, blank lines, lines we do not understand, other sections and the
// spelling and spacing of untouched lines stay as they were, and so do the file's line
// endings (CRLF or LF; new files get CRLF).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace ossen {

// The text of one profile file, line by line, with lookups and edits.
//
// Lines whose first non-blank character is '[' and that hold a ']' start a section, named
// by the text between (without surrounding blanks). Lines with a '=' are keys of the
// section above them (lines before the first section belong to none). Lines starting
// with ';' are comments. Sections that appear more than once read as one; the first
// occurrence of a key wins.
class ProfileText {
 public:
  static ProfileText Parse(std::string_view bytes);
  std::string Serialize() const;

  // The key's value without surrounding blanks and one pair of surrounding quotes; empty
  // when the key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Section names, each once, in the order and spelling of their first appearance.
  std::vector<std::string> SectionNames() const;
  // The section's key names, each once, in order.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Sets the key, adding the key or the whole section when missing. False, changing
  // nothing, for names or values that the file could not hold as one line and read back
  // the same: line breaks anywhere, a ']' in a section name, a '=' in a key or a key that
  // would read as a section or a comment, empty names.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes every line of the key in the section. True when something was removed.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes the section: its header and every line up to the next section. True when
  // something was removed.
  bool DeleteSection(std::string_view section);

 private:
  enum class LineKind { kOther, kSection, kKey };
  struct Line {
    std::string text;    // without its line ending
    std::string ending;  // "\r\n", "\n"; "" or "\r" for a last line without a line feed
    LineKind kind = LineKind::kOther;
    std::string name;  // section or key name, trimmed
  };

  static Line MakeLine(std::string text, std::string ending);
  // Calls `visit(index)` for every key line of the named section, in order.
  template <typename Visit>
  void ForEachKeyLine(std::string_view section, Visit visit) const;
  void EndLastLine();

  std::vector<Line> lines_;
  std::string newline_ = "\r\n";
};

// Largest profile file that is read; a larger one is left alone (reads give the default,
// writes fail), and traced.
inline constexpr std::size_t kMaxProfileBytes = 1 << 20;

// Writes `value` as `key` in `section` of the profile file `winFile` (a bare name is in
// the Windows folder; null means "win.ini"). A null `key` removes the section, a null
// `value` removes the key. The file and the section are created when missing. The change
// is made under an exclusive lock beside the file on a fresh reading of it, and the file
// is replaced atomically. Nonzero on success.
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value, const char* winFile);

// Copies the value of `key` in `section` into `buffer` (at most size - 1 characters and a
// terminator) and returns the number copied; `deflt` (without trailing blanks) when the
// key is missing. A null `key` lists the section's keys, a null `section` lists the
// sections, as "a\0b\0\0"; a list that does not fit is cut and ends in two terminators,
// and size - 2 is returned.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* deflt, char* buffer, DWORD size,
                              const char* winFile);

}  // namespace ossen
