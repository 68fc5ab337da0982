#include "book/program_strings.h"

#include "platform/win32/module.h"

namespace ossen {

std::string ProgramString(UINT id) {
  // Large enough for the help texts, the longest strings of the module.
  char buffer[4096] = "";
  const int length = LoadString(nullptr, id, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace ossen
