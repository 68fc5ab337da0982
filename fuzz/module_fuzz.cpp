// Resource files from hostile bytes: a file is refused, or it is registered and every
// lookup stays inside it. The resources found are read whole, so a handed-out size that
// runs past the file shows up under the sanitizers.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/win32/module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ossen;
  HMODULE module = LoadModuleFromImage(std::vector<std::uint8_t>(data, data + size));
  if (!module) return 0;
  const std::pair<ResourceId, ResourceId> lookups[] = {
      {"A12P", "BIN"}, {"EMPTY", "BIN"}, {128, RT_ICON}, {57344, RT_STRING},
      {"BIN", "#6"},   {"A", "B"},       {"SHADOW", "BIN"}};
  for (const auto& [name, type] : lookups) {
    HRSRC found = FindResource(module, name, type);
    if (!found) continue;
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    const DWORD length = SizeofResource(module, found);
    if (!bytes || length > size) std::abort();
    unsigned sum = 0;
    for (DWORD i = 0; i < length; ++i) sum += bytes[i];
    if (sum == 0xFFFFFFFFu) std::abort();  // keeps the reads
  }
  char text[16];
  if (LoadString(module, 57344, text, sizeof text) > 15) std::abort();
  if (!FreeLibrary(module)) std::abort();
  return 0;
}
