// The program's menus as a small text resource ("/#4/#n" in a module).
//
// One item per line, lines ending in "\n" or "\r\n" (the last line may lack it):
//   <command> <text>
// <command> is the decimal command id, 1..65535, without sign or leading zeros; the text
// after the single space is what the menu shows (printable single-byte characters, at most
// kMaxMenuTextLength, '&' marking the mnemonic as usual). The line "0 -" is a separator.
// The tray menu (resource 129) reads:
//   32771 Properties
//   0 -
//   32773 Exit
// The whole resource is refused (an empty list) when any line breaks these rules, when it
// holds no item or more than kMaxMenuItems, or when it is larger than kMaxMenuBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ossen {

inline constexpr std::size_t kMaxMenuBytes = 8192;
inline constexpr std::size_t kMaxMenuItems = 64;
inline constexpr std::size_t kMaxMenuTextLength = 255;

struct MenuItem {
  int command = 0;   // 0 for a separator
  std::string text;  // empty for a separator

  bool IsSeparator() const { return command == 0; }
};

// The items in order, or an empty list when the bytes are not a valid menu. `bytes` may be
// null only when `size` is 0.
std::vector<MenuItem> ParseMenuResource(const void* bytes, std::size_t size);

}  // namespace ossen
