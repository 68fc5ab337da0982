// Ending a running copy of the program before its files are replaced or removed.
#pragma once

#include "platform/base/win_types.h"

namespace ossen::setup {

// Sends Exit to the copy that holds the program's marker and waits, at most `timeoutMs`,
// until it has shut down (schedule saved) and let go of the marker. True when a copy was
// running and has ended; false when none ran or it did not end in time.
bool EndRunningCopy(DWORD timeoutMs);

}  // namespace ossen::setup
