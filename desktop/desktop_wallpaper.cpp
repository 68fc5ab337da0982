#include "desktop/desktop_wallpaper.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "desktop/desktop_bridge.h"
#include "desktop/desktop_kind.h"
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
  const DesktopKind kind = DetectDesktop();
  if (wallpaper.empty()) {
    // No wallpaper would leave the person's desktop blank: give back their own instead.
    RestoreOwnWallpaper(kind);
    return recorded;
  }
  const std::string hostPath = HostPathFromWin(wallpaper);
  if (hostPath.empty()) {
    Trace("desktop: wallpaper \"%s\" has no host path", wallpaper.c_str());
    return recorded;
  }
  ShowWallpaperOnDesktop(kind, hostPath);
  return recorded;
}

void RestoreDesktopWallpaper() {
  if (DesktopBridgeEnabled()) RestoreOwnWallpaper(DetectDesktop());
}

}  // namespace ossen
