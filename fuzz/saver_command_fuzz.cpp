// Drives the screen saver's command line and XSCREENSAVER_WINDOW with hostile text.
//
// The input is NUL-separated: the first field is the environment's window (absent when the
// input holds no NUL), the rest are the arguments. Whatever comes in, a refusal says why, a
// window is only ever one the text named exactly, and a window id survives being written
// out and read again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "saver/saver_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      fields.emplace_back();
    } else {
      fields.back() += static_cast<char>(data[i]);
    }
  }
  const bool hasEnvironment = fields.size() > 1;
  const std::string environment = fields.front();
  const std::vector<std::string> arguments(fields.begin() + (hasEnvironment ? 1 : 0), fields.end());

  const ossen::SaverCommand command =
      ossen::ParseSaverCommand(arguments, hasEnvironment ? environment.c_str() : nullptr);
  if (command.run == ossen::SaverRun::kBadUsage) {
    if (command.message.empty()) std::abort();
    return 0;
  }
  if (command.run == ossen::SaverRun::kPreview && command.windowId != 0) std::abort();
  if (command.windowId != 0) {
    // Written out in decimal and in hexadecimal, the id reads back the same.
    if (ossen::ParseWindowId(std::to_string(command.windowId)) != command.windowId) std::abort();
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(command.windowId));
    if (ossen::ParseWindowId(hex) != command.windowId) std::abort();
  }
  for (const std::string& field : fields) {
    const std::uint64_t id = ossen::ParseWindowId(field);
    if (id != 0 && field.empty()) std::abort();
  }
  return 0;
}
