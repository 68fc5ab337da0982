// Windows-style paths over the prefix.
//
// The program names files as Windows paths ("C:\WINDOWS\system.ini"); this is where they
// meet the host file system. Drive C: is the prefix's drive_c folder and drive Z: is the
// host root, so every host path has a Windows name. Both '\' and '/' separate components,
// drive letters and names compare without regard to ASCII case, and "." and ".." are
// resolved as text, never climbing above a drive's root.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/ascii_case.h"  // names compare as Windows compares them

#include "platform/base/win_types.h"

namespace ossen {

// Host path for a Windows path: absolute ("C:\x"), drive-relative ("\x", on the current
// directory's drive) or relative ("x\y", "C:x"). Each component that does not exist as
// written but exists in another ASCII case takes the existing spelling; one that exists
// in neither form is kept as written. "" for what has no host path (another drive
// letter, a UNC name, an empty path).
std::string HostPathFromWin(std::string_view winPath);

// Windows path for a host path: "C:\..." under drive_c, "Z:\..." for everything else.
// A relative host path is taken from the current directory.
std::string WinPathFromHost(std::string_view hostPath);

// Host path of the program a Windows path names: the file itself when it is executable,
// else, for a name ending in ".exe" or ".scr" (any case), the host executable of the same
// name without that extension. "" when no executable is found.
std::string FindProgramHostPath(std::string_view winPath);

// Copies `text` into a caller's buffer the way Win32 reports strings: the length copied
// (without the terminator) when it fits, else the size needed including the terminator,
// with nothing written.
DWORD CopyToWinBuffer(std::string_view text, char* buffer, DWORD size);

inline constexpr char kWindowsDirectory[] = "C:\\WINDOWS";
inline constexpr char kSystemDirectory[] = "C:\\WINDOWS\\SYSTEM";
inline constexpr char kTempDirectory[] = "C:\\WINDOWS\\TEMP\\";

// The process's current directory as a Windows path.
DWORD GetCurrentDirectory(DWORD size, char* buffer);
// Changes the process's current directory; nonzero on success.
BOOL SetCurrentDirectory(const char* winPath);
// "C:\WINDOWS".
UINT GetWindowsDirectory(char* buffer, UINT size);
// "C:\WINDOWS\SYSTEM".
UINT GetSystemDirectory(char* buffer, UINT size);
// "C:\WINDOWS\TEMP\", with its trailing backslash.
DWORD GetTempPath(DWORD size, char* buffer);
// The root of the drive that holds the Windows folder: its first three characters ("C:\").
std::string WindowsDriveRoot();

}  // namespace ossen
