#include "saver/saver_command.h"

#include <cctype>
#include <limits>

namespace ossen {

namespace {

std::string Lowered(const std::string& text) {
  std::string lowered = text;
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

bool DigitsIn(const std::string& text, std::size_t from, int base) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (base == 10 ? !std::isdigit(c) : !std::isxdigit(c)) return false;
  }
  return true;
}

SaverCommand Refused(std::string message) {
  SaverCommand command;
  command.run = SaverRun::kBadUsage;
  command.message = std::move(message);
  return command;
}

}  // namespace

std::uint64_t ParseWindowId(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const int base = hex ? 16 : 10;
  if (!DigitsIn(text, hex ? 2 : 0, base)) return 0;
  std::uint64_t value = 0;
  for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const unsigned digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base) return 0;  // too long
    value = value * base + digit;
  }
  return value;
}

SaverCommand ParseSaverCommand(const std::vector<std::string>& arguments, const char* environmentWindow) {
  SaverCommand command;
  const std::uint64_t named = environmentWindow ? ParseWindowId(environmentWindow) : 0;
  bool idleMayUseNamed = true;
  if (arguments.empty()) {
    command.windowId = named;
    return command;
  }
  const std::string first = Lowered(arguments[0]);
  const std::size_t expected = (first == "-window-id" || first == "--window-id" || first == "/p") ? 2 : 1;
  if (arguments.size() > expected) return Refused("unexpected argument \"" + arguments[expected] + "\"");

  if (first == "-s") {
    command.run = SaverRun::kPreview;
    idleMayUseNamed = false;
  } else if (first == "/s" || first == "-root" || first == "--root") {
    command.run = SaverRun::kIdle;
  } else if (first == "-window-id" || first == "--window-id" || first == "/p" || first.rfind("/p:", 0) == 0) {
    std::string id;
    if (first.rfind("/p:", 0) == 0) {
      id = arguments[0].substr(3);
    } else if (arguments.size() == 2) {
      id = arguments[1];
    } else {
      return Refused(arguments[0] + " needs a window id");
    }
    command.windowId = ParseWindowId(id);
    if (command.windowId == 0) return Refused("\"" + id + "\" is not a window id");
    idleMayUseNamed = false;
  } else if (first == "/c" || first.rfind("/c:", 0) == 0) {
    command.run = SaverRun::kConfigure;
    idleMayUseNamed = false;
  } else {
    return Refused("unknown argument \"" + arguments[0] + "\"");
  }
  if (idleMayUseNamed) command.windowId = named;
  return command;
}

}  // namespace ossen
