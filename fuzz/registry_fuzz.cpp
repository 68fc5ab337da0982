// Reads arbitrary bytes as a hive, writes it, reads that again: the second reading must
// give the same keys, values and kept lines, and writing it must give the same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/win32/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  ossen::RegistryHive first("HKEY_CURRENT_USER");
  if (!first.Parse(input, "fuzz input")) return 0;
  std::string text = first.Serialize();

  ossen::RegistryHive second("HKEY_CURRENT_USER");
  if (!second.Parse(text, "fuzz output")) std::abort();
  if (second.keys() != first.keys() || second.leadingLines() != first.leadingLines()) std::abort();
  if (second.Serialize() != text) std::abort();

  // Lookups and edits on what was read stay inside the hive's own data.
  for (const ossen::HiveKey& key : first.keys()) {
    if (!key.visible) continue;
    if (!second.KeyExists(key.path)) std::abort();
    for (const ossen::HiveEntry& entry : key.entries) {
      const auto* value = std::get_if<ossen::HiveValue>(&entry);
      if (value == nullptr) continue;
      const ossen::HiveValue* found = second.FindValue(key.path, value->name);
      if (found == nullptr || found->data != value->data || found->type != value->type) std::abort();
    }
  }
  return 0;
}
