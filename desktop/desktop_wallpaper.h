// The wallpaper as a person sees it: the Windows records of the prefix and, through the
// desktop bridge, the desktop the person is looking at. Setting no wallpaper gives the
// desktop back the person's own picture instead of leaving it blank.
//
// OSSEN_DESKTOP_BRIDGE=off in the environment keeps the bridge away from the running
// desktop (tests, benchmarks): only the records are written.
#pragma once

#include "platform/base/win_types.h"

namespace ossen {

// SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, winPath, winIni) for the records, then the
// running desktop shows `winPath` ("" or null: the person's own wallpaper comes back).
// The result is the records': FALSE when one SPIF_UPDATEINIFILE asked for was not written.
BOOL SetDesktopWallpaper(const char* winPath, UINT winIni);

// The removal run: gives the running desktop the person's own wallpaper back, as "Windows
// Default" does, when one was kept. Honours OSSEN_DESKTOP_BRIDGE=off.
void RestoreDesktopWallpaper();

// False when OSSEN_DESKTOP_BRIDGE=off.
bool DesktopBridgeEnabled();

}  // namespace ossen
