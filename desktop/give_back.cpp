#include "desktop/give_back.h"

#include "desktop/desktop_backend.h"
#include "platform/base/ascii_case.h"
#include "platform/base/trace.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/profile.h"
#include "product/product_names.h"

namespace ossen {
namespace {

constexpr char kSystemIni[] = "system.ini";
constexpr char kBootSection[] = "boot";
constexpr char kSaverKey[] = "SCRNSAVE.EXE";

// The file name at the end of a Windows or host path.
std::string FileName(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::vector<std::string> GiveBackDesktop() {
  std::vector<std::string> given;
  const std::unique_ptr<DesktopBackend> desktop = MakeDesktopBackendForSession();
  if (desktop->RestoreOwnWallpaper())
    given.push_back(std::string("your own wallpaper, on the desktop (") + desktop->Name() + ")");

  char saver[MAX_PATH] = "";
  GetPrivateProfileString(kBootSection, kSaverKey, "", saver, sizeof saver, kSystemIni);
  if (EqualNamesIgnoringCase(FileName(saver), product::kSaverFile)) {
    WritePrivateProfileString(kBootSection, kSaverKey, nullptr, kSystemIni);
    SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_UPDATEINIFILE);
    given.push_back(std::string("no screen saver, instead of ") + saver);
  }
  for (const std::string& line : given) Trace("give back: %s", line.c_str());
  return given;
}

}  // namespace ossen
