// Starting programs by a Windows command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace ossen {

inline constexpr UINT SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5;
// The program was found but the system cannot start it (not a program it can run).
inline constexpr LONG ERROR_BAD_FORMAT = 11;

// Starts a Windows command line: the program (first token: quoted "..." or up to the first
// space, trying longer prefixes at spaces as Windows does for an unquoted path with spaces) is
// found with FindProgramHostPath (a .exe/.scr that does not exist finds the host executable
// without the extension; a host script works too); the rest is split into arguments
// Windows-style and passed on. The new process is detached (not our child to reap; no
// zombie). Returns 33 on success, ERROR_FILE_NOT_FOUND (2) when the program is not found,
// ERROR_PATH_NOT_FOUND (3) when no folder it could be in exists, ERROR_BAD_FORMAT (11) when
// the host cannot run it, 0 for a null, empty or overlong line.
UINT WinExec(const char* commandLine, UINT show);

// A Windows command line taken apart as WinExec takes it.
struct ResolvedCommand {
  std::string program;                 // host path of the executable
  std::vector<std::string> arguments;  // what follows the program, split Windows-style
};

// ERROR_SUCCESS with `*out` filled; ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND as WinExec
// reports them; ERROR_INVALID_PARAMETER for a line without a program or longer than the
// 32767 characters Windows takes. A bare program name
// (no folder) is looked for in the current folder, the system folder, the Windows folder
// and then the host's PATH.
LONG ResolveCommandLine(std::string_view commandLine, ResolvedCommand* out);

// Splits arguments as Windows programs do: blanks separate them, double quotes group, and
// 2n backslashes before a quote give n backslashes (the quote groups), 2n+1 give n and a
// literal quote; other backslashes are plain; "" inside quotes is a literal quote.
std::vector<std::string> SplitWindowsArguments(std::string_view text);

}  // namespace ossen
