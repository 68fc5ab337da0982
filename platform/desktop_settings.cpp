#include "platform/desktop_settings.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/desktop_bridge.h"
#include "platform/desktop_kind.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry_helpers.h"
#include "platform/root_background.h"
#include "platform/trace.h"

namespace ossen {

namespace {

constexpr char kDesktopKeyPath[] = "Control Panel\\Desktop";
constexpr int kDefaultScreenWidth = 1024, kDefaultScreenHeight = 768;

int g_overrideWidth = 0, g_overrideHeight = 0;

struct ScreenSize {
  int width = 0;
  int height = 0;
};

ScreenSize AskScreen() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QSize size = screen->geometry().size();
      if (size.width() > 0 && size.height() > 0) return {size.width(), size.height()};
    }
  }
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && display[0] != '\0') {
    ScreenSize size;
    if (X11ScreenSize(&size.width, &size.height)) return size;
  }
  return {kDefaultScreenWidth, kDefaultScreenHeight};
}

BOOL SetDeskWallpaper(const char* winPath, UINT winIni) {
  const std::string wallpaper = winPath ? winPath : "";
  BOOL recorded = 1;
  if (winIni & SPIF_UPDATEINIFILE) {
    recorded = WritePrivateProfileString("Desktop", "Wallpaper", wallpaper.c_str(), "win.ini");
    recorded = RegWriteString(HKEY_CURRENT_USER, kDesktopKeyPath, "Wallpaper", wallpaper.c_str()) && recorded;
  }
  if (!DesktopBridgeEnabled()) return recorded;

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

}  // namespace

bool DesktopBridgeEnabled() {
  const char* bridge = std::getenv("OSSEN_DESKTOP_BRIDGE");
  return bridge == nullptr || std::string_view(bridge) != "off";
}

int GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  ScreenSize size{g_overrideWidth, g_overrideHeight};
  if (size.width <= 0 || size.height <= 0) size = AskScreen();
  return index == SM_CXSCREEN ? size.width : size.height;
}

void SetScreenSizeOverride(int width, int height) {
  g_overrideWidth = width;
  g_overrideHeight = height;
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni) {
  switch (action) {
    case SPI_SETDESKWALLPAPER:
      return SetDeskWallpaper(static_cast<const char*>(pvParam), winIni);
    case SPI_SETSCREENSAVEACTIVE:
      if (!(winIni & SPIF_UPDATEINIFILE)) return 1;
      return RegWriteString(HKEY_CURRENT_USER, kDesktopKeyPath, "ScreenSaveActive", uiParam ? "1" : "0");
    default:
      Trace("SystemParametersInfo: action %u is not kept", action);
      return 0;
  }
}

BOOL GetVersionEx(OSVERSIONINFO* info) {
  if (info == nullptr) return 0;
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFO);
  info->dwMajorVersion = 4;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 950;
  info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return 1;
}

void RestoreDesktopWallpaper() {
  if (DesktopBridgeEnabled()) RestoreOwnWallpaper(DetectDesktop());
}

}  // namespace ossen
