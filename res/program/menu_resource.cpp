#include "res/program/menu_resource.h"

#include <string_view>
#include <utility>

namespace ossen {
namespace {

constexpr int kMaxCommand = 65535;

bool IsPrintable(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte != 0x7F;
}

// "<command> <text>" or "0 -"; false for anything else.
bool ParseLine(std::string_view line, MenuItem& item) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || space == 0 || space > 5) return false;
  const std::string_view digits = line.substr(0, space);
  const std::string_view text = line.substr(space + 1);
  if (digits.size() > 1 && digits[0] == '0') return false;
  int command = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    command = command * 10 + (c - '0');
  }
  if (command > kMaxCommand) return false;
  if (command == 0) {
    if (text != "-") return false;
    item = MenuItem{};
    return true;
  }
  if (text.empty() || text.size() > kMaxMenuTextLength) return false;
  for (char c : text) {
    if (!IsPrintable(c)) return false;
  }
  item.command = command;
  item.text.assign(text);
  return true;
}

}  // namespace

std::vector<MenuItem> ParseMenuResource(const void* bytes, std::size_t size) {
  std::vector<MenuItem> items;
  if (bytes == nullptr || size == 0 || size > kMaxMenuBytes) return items;
  std::string_view rest(static_cast<const char*>(bytes), size);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    MenuItem item;
    if (items.size() == kMaxMenuItems || !ParseLine(line, item)) return {};
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace ossen
