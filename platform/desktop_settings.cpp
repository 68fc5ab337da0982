// Placeholder until the desktop bridge lands. The screen size comes from the override, the
// primary screen of a running Qt GUI, or 1024 x 768; the wallpaper and screen-saver
// switches write only the Windows records. OSSEN_DESKTOP_BRIDGE=off is honoured by
// name: there is no bridge here to switch off.
#include "platform/desktop_settings.h"

#include <cstring>

#include <QGuiApplication>
#include <QScreen>

#include "platform/profile.h"
#include "platform/registry_helpers.h"

namespace ossen {
namespace {

constexpr int kFallbackWidth = 1024;
constexpr int kFallbackHeight = 768;
constexpr char kDesktopKeyPath[] = "Control Panel\\Desktop";

int overrideWidth = 0;
int overrideHeight = 0;

}  // namespace

void SetScreenSizeOverride(int width, int height) {
  overrideWidth = width;
  overrideHeight = height;
}

int GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  int width = kFallbackWidth;
  int height = kFallbackHeight;
  if (overrideWidth > 0 && overrideHeight > 0) {
    width = overrideWidth;
    height = overrideHeight;
  } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      width = screen->geometry().width();
      height = screen->geometry().height();
    }
  }
  return index == SM_CXSCREEN ? width : height;
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni) {
  if (action == SPI_SETDESKWALLPAPER) {
    const char* path = pvParam != nullptr ? static_cast<const char*>(pvParam) : "";
    if (winIni & SPIF_UPDATEINIFILE) {
      WritePrivateProfileString("Desktop", "Wallpaper", path, "win.ini");
      RegWriteString(HKEY_CURRENT_USER, kDesktopKeyPath, "Wallpaper", path);
    }
    return 1;
  }
  if (action == SPI_SETSCREENSAVEACTIVE) {
    const char* active = uiParam != 0 ? "1" : "0";
    if (winIni & SPIF_UPDATEINIFILE) {
      WritePrivateProfileString("windows", "ScreenSaveActive", active, "win.ini");
      RegWriteString(HKEY_CURRENT_USER, kDesktopKeyPath, "ScreenSaveActive", active);
    }
    return 1;
  }
  return 0;
}

BOOL GetVersionEx(OSVERSIONINFO* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFO)) return 0;
  info->dwMajorVersion = 4;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 950;
  info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return 1;
}

}  // namespace ossen
