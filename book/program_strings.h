// String resources of the program's own module that the window shell uses.
#pragma once
#include <string>

#include "platform/base/win_types.h"

namespace ossen {

// The string from the program's own module; "" when it is missing.
std::string ProgramString(UINT id);

}  // namespace ossen
