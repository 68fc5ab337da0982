#include "app/removal_run.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "desktop/give_back.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/process.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {

void RunRemoval(HWND runningWindow, DWORD exitTimeoutMs) {
  if (runningWindow != 0) SendCommand(runningWindow, product::kCommandExit, exitTimeoutMs);

  // The desktop gets the person's own wallpaper back, not the last painting, and loses
  // ossen's screen saver, as the uninstaller gives them back.
  GiveBackDesktop();

  const std::string root = WindowsDriveRoot();
  const std::string image = HostPathFromWin(root + product::kStartupImageFile);
  const std::string backup = HostPathFromWin(root + product::kStartupBackupFile);
  std::error_code ignored;
  // The backup goes only once it is copied: a failed copy must not lose the original image.
  if (!image.empty() && !backup.empty() &&
      std::filesystem::copy_file(backup, image, std::filesystem::copy_options::overwrite_existing, ignored)) {
    std::filesystem::remove(backup, ignored);
  }

  char uninstaller[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue, uninstaller, sizeof uninstaller);
  if (uninstaller[0] != '\0') {
    const UINT result = WinExec(uninstaller, SW_SHOW);
    Trace("removal: started \"%s\": %u", uninstaller, result);
  }
}

}  // namespace ossen
