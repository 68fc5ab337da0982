// Drives the launcher's reading of X7352.INI with arbitrary file contents.
//
// Checks that a folder found is never empty, never ends in a separator, and holds no line
// break, so the program path made from it names one file.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "launcher/install_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> folder = discmenu::FindInstallDir(text);
  if (!folder) return 0;
  if (folder->empty() || folder->find_first_of("\r\n") != std::string::npos) std::abort();
  if (folder->size() > 1 && (folder->back() == '\\' || folder->back() == '/')) std::abort();
  if (folder->size() > size) std::abort();
  return 0;
}
