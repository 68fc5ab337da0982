#include "book/program_strings.h"

#include "platform/module.h"

namespace ossen {

std::string ProgramString(UINT id) {
  char buffer[260] = "";
  const int length = LoadString(nullptr, id, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace ossen
