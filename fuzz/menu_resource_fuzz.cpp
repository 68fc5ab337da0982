// Drives the menu resource parser with arbitrary bytes.
//
// Checks that every menu it accepts keeps to its stated rules, and that writing the items
// back in the documented form and parsing that again gives the same items.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/program/menu_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<ossen::MenuItem> items = ossen::ParseMenuResource(size == 0 ? nullptr : data, size);
  if (items.empty()) return 0;
  if (items.size() > ossen::kMaxMenuItems || size > ossen::kMaxMenuBytes) std::abort();

  std::string written;
  for (const ossen::MenuItem& item : items) {
    if (item.command < 0 || item.command > 65535) std::abort();
    if (item.IsSeparator() != item.text.empty()) std::abort();
    if (item.text.size() > ossen::kMaxMenuTextLength) std::abort();
    for (char c : item.text) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    }
    written += std::to_string(item.command) + " " + (item.IsSeparator() ? std::string("-") : item.text) + "\n";
  }
  const std::vector<ossen::MenuItem> again = ossen::ParseMenuResource(written.data(), written.size());
  if (again.size() != items.size()) std::abort();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (again[i].command != items[i].command || again[i].text != items[i].text) std::abort();
  }
  return 0;
}
