#include "platform/process.h"

namespace ossen {

UINT WinExec(const char*, UINT) { return 0; }

}  // namespace ossen
