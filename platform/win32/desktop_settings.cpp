#include "platform/win32/desktop_settings.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/base/trace.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"

// Xlib last: its macros (Status, None, Bool) would rename what the headers above declare.
#include <X11/Xlib.h>

namespace ossen {

namespace {

constexpr char kDesktopKeyPath[] = "Control Panel\\Desktop";
constexpr int kDefaultScreenWidth = 1024, kDefaultScreenHeight = 768;

int g_overrideWidth = 0, g_overrideHeight = 0;

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// The X display's default screen size; false without a display.
bool X11ScreenSize(int* width, int* height) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  *width = DisplayWidth(display, DefaultScreen(display));
  *height = DisplayHeight(display, DefaultScreen(display));
  XCloseDisplay(display);
  return *width > 0 && *height > 0;
}

ScreenSize AskScreen() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      // Qt measures in logical pixels; the screen has its size in device pixels.
      const QSize size = screen->geometry().size();
      const qreal ratio = screen->devicePixelRatio();
      const int width = qRound(size.width() * ratio), height = qRound(size.height() * ratio);
      if (width > 0 && height > 0) return {width, height};
    }
  }
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && display[0] != '\0') {
    ScreenSize size;
    if (X11ScreenSize(&size.width, &size.height)) return size;
  }
  return {kDefaultScreenWidth, kDefaultScreenHeight};
}

BOOL RecordDeskWallpaper(const char* winPath, UINT winIni) {
  if (!(winIni & SPIF_UPDATEINIFILE)) return 1;
  const char* wallpaper = winPath ? winPath : "";
  BOOL recorded = WritePrivateProfileString("Desktop", "Wallpaper", wallpaper, "win.ini");
  return RegWriteString(HKEY_CURRENT_USER, kDesktopKeyPath, "Wallpaper", wallpaper) && recorded;
}

}  // namespace

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
      return RecordDeskWallpaper(static_cast<const char*>(pvParam), winIni);
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

}  // namespace ossen
