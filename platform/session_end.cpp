#include "platform/session_end.h"

namespace ossen {

void InstallSessionEndHandler(std::function<void()>) {}

}  // namespace ossen
