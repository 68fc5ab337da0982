// The removal run: ends a running copy, puts the saved start-up image back and starts the
// product's uninstaller.
#pragma once
#include "platform/win32/window_commands.h"
#include "product/product_names.h"

namespace ossen {


// Sends Exit to `runningWindow` (0 sends nothing) and waits for its whole shut-down, gives
// the desktop the person's own wallpaper and screen-saver settings back (GiveBackDesktop), copies
// "logo.bak" over "logo.sys" in the root of the Windows drive and deletes the backup, then
// starts the "uninstallpath" command line when there is one. No result is looked at.
void RunRemoval(HWND runningWindow, DWORD exitTimeoutMs);

}  // namespace ossen
