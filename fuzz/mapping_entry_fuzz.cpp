// Name-table entries from hostile bytes: parsing stays inside the text, and whatever it
// accepts formats back to exactly the same text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/win32/named_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<ossen::MappingEntry> entry = ossen::ParseMappingEntry(text);
  if (!entry) return 0;
  if (entry->size == 0 || entry->backingPath.empty() || entry->backingPath.front() != '/') std::abort();
  if (ossen::FormatMappingEntry(*entry) != text) std::abort();
  return 0;
}
