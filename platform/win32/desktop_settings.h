// The desktop settings the program reads and writes: screen size, system version, the
// wallpaper and the screen saver's active flag.
//
// SystemParametersInfo keeps the Windows 95 records (win.ini [Desktop] Wallpaper, and
// HKEY_CURRENT_USER\Control Panel\Desktop "Wallpaper" and "ScreenSaveActive") when told to
// update the profile. Showing the wallpaper on the desktop the person is looking at is the
// desktop layer's (desktop/desktop_backend.h), which the apply engine asks after the records.
#pragma once

#include "platform/base/win_types.h"

namespace ossen {

inline constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1;
// The primary screen's width or height in device pixels (at a scale factor Qt's logical size
// times its device pixel ratio): the override when set, else Qt's primary screen when the
// program runs Qt, else the X display's default screen, else 1024 x 768.
int GetSystemMetrics(int index);

inline constexpr UINT SPI_SETSCREENSAVEACTIVE = 17, SPI_SETDESKWALLPAPER = 20;
inline constexpr UINT SPIF_UPDATEINIFILE = 1, SPIF_SENDWININICHANGE = 2;
// SPI_SETDESKWALLPAPER: pvParam is the wallpaper's Windows path ("" or null = none).
// SPI_SETSCREENSAVEACTIVE: uiParam is TRUE or FALSE. FALSE for other actions, or when a
// record that SPIF_UPDATEINIFILE asked for could not be written.
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
static_assert(sizeof(OSVERSIONINFO) == 148);
// The Windows 95 family: 4.0, build 950, platform id 1. FALSE only for a null pointer (the
// size field is filled in, not checked).
BOOL GetVersionEx(OSVERSIONINFO* info);

// Test hook: screen size used when no display is there or a test sets it; 0,0 = ask the screen.
void SetScreenSizeOverride(int width, int height);

}  // namespace ossen
