// Starting programs by a Windows command line.
#pragma once

#include "platform/win_types.h"

namespace ossen {

inline constexpr UINT SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5;

// Starts a Windows command line: the program (first token: quoted "..." or up to the first
// space, trying longer prefixes at spaces as Windows does for an unquoted path with spaces) is
// found with FindProgramHostPath (a .exe/.scr that does not exist finds the host executable
// without the extension; a host script works too); the rest is split into arguments
// Windows-style and passed on. The new process is detached (not our child to reap; no
// zombie). Returns 33 on success, ERROR_FILE_NOT_FOUND (2) when the program is not found,
// ERROR_PATH_NOT_FOUND (3) when its folder does not exist, 0 for a null or empty line.
UINT WinExec(const char* commandLine, UINT show);

}  // namespace ossen
