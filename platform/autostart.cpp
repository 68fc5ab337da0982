#include "platform/autostart.h"

namespace ossen {

void SyncAutostartEntries() {}

}  // namespace ossen
