#include "desktop/desktop_wallpaper.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "desktop/desktop_backend.h"
#include "platform/base/trace.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/paths.h"

namespace ossen {

bool DesktopBridgeEnabled() {
  const char* bridge = std::getenv("OSSEN_DESKTOP_BRIDGE");
  return bridge == nullptr || std::string_view(bridge) != "off";
}

BOOL SetDesktopWallpaper(const char* winPath, UINT winIni) {
  const BOOL recorded = SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(winPath), winIni);
  if (!DesktopBridgeEnabled()) return recorded;

  const std::string wallpaper = winPath ? winPath : "";
  const std::unique_ptr<DesktopBackend> desktop = MakeDesktopBackend(DetectDesktop());
  if (wallpaper.empty()) {
    // No wallpaper would leave the person's desktop blank: give back their own instead.
    desktop->RestoreOwnWallpaper();
    return recorded;
  }
  const std::string hostPath = HostPathFromWin(wallpaper);
  if (hostPath.empty()) {
    Trace("desktop: wallpaper \"%s\" has no host path", wallpaper.c_str());
    return recorded;
  }
  desktop->ShowWallpaper(hostPath);
  return recorded;
}

void RestoreDesktopWallpaper() {
  MakeDesktopBackendForSession()->RestoreOwnWallpaper();
}

}  // namespace ossen
