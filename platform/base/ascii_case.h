// ASCII case folding, as Windows compares file, key, value and section names. Bytes outside
// A-Z and a-z are left as they are, whatever the host locale says.
#pragma once

#include <string>
#include <string_view>

namespace ossen {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The text with A-Z turned into a-z: a key under which names that differ only in case meet.
inline std::string AsciiLowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// True when the two names are equal apart from ASCII case.
constexpr bool EqualNamesIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Whether `text` starts or ends with `part`, apart from ASCII case (".EXE" ends with ".exe").
constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view part) {
  return text.size() >= part.size() && EqualNamesIgnoringCase(text.substr(0, part.size()), part);
}
constexpr bool EndsWithIgnoringCase(std::string_view text, std::string_view part) {
  return text.size() >= part.size() && EqualNamesIgnoringCase(text.substr(text.size() - part.size()), part);
}

}  // namespace ossen
