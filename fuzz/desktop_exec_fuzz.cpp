// Drives a Windows command line through the argument splitter and the desktop-entry Exec
// writer.
//
// The Exec value is read back the way a desktop reads it (value escapes, then quoting, then
// field codes) by a reader written here from those rules; it must give back exactly the
// arguments that went in, and never a field code other than "%%".

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/autostart.h"
#include "platform/win32/process.h"

namespace {

std::optional<std::string> UnescapeValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      out += value[i];
      continue;
    }
    if (++i == value.size()) return std::nullopt;
    switch (value[i]) {
      case '\\': out += '\\'; break;
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

std::optional<std::string> ExpandFieldCodes(std::string_view word) {
  std::string out;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '%') {
      out += word[i];
      continue;
    }
    if (i + 1 == word.size() || word[i + 1] != '%') return std::nullopt;
    out += '%';
    ++i;
  }
  return out;
}

std::optional<std::vector<std::string>> ReadExec(std::string_view exec) {
  static constexpr std::string_view kReserved = "\t\n\"'\\><~|&;$*?#()`";
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < exec.size()) {
    std::string word;
    if (exec[i] == '"') {
      for (++i;; ++i) {
        if (i == exec.size()) return std::nullopt;  // unterminated quote
        if (exec[i] == '"') break;
        if (exec[i] == '\\') {
          if (++i == exec.size()) return std::nullopt;
          if (std::string_view("\"`$\\").find(exec[i]) == std::string_view::npos) return std::nullopt;
        }
        word += exec[i];
      }
      ++i;
      if (i < exec.size() && exec[i] != ' ') return std::nullopt;
    } else {
      for (; i < exec.size() && exec[i] != ' '; ++i) {
        if (kReserved.find(exec[i]) != std::string_view::npos) return std::nullopt;  // must be quoted
        word += exec[i];
      }
    }
    std::optional<std::string> expanded = ExpandFieldCodes(word);
    if (!expanded) return std::nullopt;
    words.push_back(*expanded);
    if (i < exec.size()) {
      ++i;  // the one space between words
      if (i == exec.size() || exec[i] == ' ') return std::nullopt;
    }
  }
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words = ossen::SplitWindowsArguments(line);
  std::string value = ossen::DesktopExecValue(words);
  if (value.empty()) return 0;  // not carriable, or nothing to run
  if (value.find('\n') != std::string::npos || value.find('\r') != std::string::npos) std::abort();
  std::optional<std::string> exec = UnescapeValue(value);
  if (!exec) std::abort();
  std::optional<std::vector<std::string>> read = ReadExec(*exec);
  if (!read || *read != words) std::abort();
  return 0;
}
