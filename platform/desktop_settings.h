// Placeholder until the desktop bridge lands: the desktop's system information and
// settings as the program asks for them (screen size, system version, wallpaper and
// screen-saver switches). The Windows records are kept minimally; no host desktop is told.
#pragma once

#include "platform/win_types.h"

namespace ossen {

inline constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1;
int GetSystemMetrics(int index);

inline constexpr UINT SPI_SETSCREENSAVEACTIVE = 17, SPI_SETDESKWALLPAPER = 20;
inline constexpr UINT SPIF_UPDATEINIFILE = 1, SPIF_SENDWININICHANGE = 2;
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni);

inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
struct OSVERSIONINFO {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
BOOL GetVersionEx(OSVERSIONINFO* info);

// Test hook: screen size used when no display is there or a test sets it; 0,0 = ask the screen.
void SetScreenSizeOverride(int width, int height);

}  // namespace ossen
