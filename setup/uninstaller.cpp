#include "setup/uninstaller.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "desktop/desktop_backend.h"
#include "desktop/give_back.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "setup/installer.h"
#include "setup/menu_entry.h"
#include "setup/product.h"
#include "setup/running_copy.h"

namespace ossen::setup {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kExitWaitMs = 30000;
constexpr char kDesktopKeyPath[] = "Control Panel\\Desktop";
constexpr char kWallpaperValue[] = "Wallpaper";
constexpr char kNoWallpaper[] = "(None)";

// Whether the Windows path names a file inside `folder` (any case).
bool IsInFolder(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() + 1 && EqualNamesIgnoringCase(path.substr(0, folder.size()), folder) &&
         path[folder.size()] == '\\';
}

// A command line's program: the quoted first word, else the whole line.
std::string CommandProgram(std::string_view command) {
  if (command.starts_with('"')) return std::string(command.substr(1, command.find('"', 1) - 1));
  return std::string(command);
}

class Removal {
 public:
  RemovalResult result;

  void RemoveFile(const std::string& winPath) {
    const std::string host = HostPathFromWin(winPath);
    struct stat st {};
    if (host.empty() || ::lstat(host.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      Kept(winPath, "it is a folder");
    } else if (::unlink(host.c_str()) == 0) {
      result.removed.push_back(winPath);
    } else {
      Kept(winPath, std::strerror(errno));
    }
  }

  // Removes the folder only when it is empty.
  void RemoveEmptyFolder(const std::string& winPath) {
    const std::string host = HostPathFromWin(winPath);
    if (host.empty() || !fs::is_directory(host)) return;
    if (::rmdir(host.c_str()) == 0)
      result.removed.push_back(winPath);
    else
      Kept(winPath, errno == ENOTEMPTY || errno == EEXIST ? "other files are in it" : std::strerror(errno));
  }

  void RemoveValue(HKEY root, const char* rootName, const char* keyPath, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    if (RegDeleteValue(key, name) == ERROR_SUCCESS)
      result.removed.push_back(std::string(rootName) + "\\" + keyPath + " \"" + name + "\"");
    RegCloseKey(key);
  }

  void Kept(const std::string& what, const std::string& why) { result.kept.push_back(what + " (" + why + ")"); }
};

// The profile file holds nothing but blanks: the installer made it and nothing else is in it.
bool IsBlankFile(const std::string& host) {
  std::error_code error;
  if (fs::file_size(host, error) > 4096 || error) return false;
  char buffer[4096];
  FILE* file = std::fopen(host.c_str(), "rb");
  if (file == nullptr) return false;
  const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
  std::fclose(file);
  return std::string_view(buffer, got).find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Whether a wallpaper record names a picture in `folder`.
bool WallpaperRecordsName(const std::string& folder) {
  char wallpaper[MAX_PATH] = "";
  GetPrivateProfileString("Desktop", kWallpaperValue, "", wallpaper, sizeof wallpaper, "win.ini");
  if (IsInFolder(wallpaper, folder)) return true;
  wallpaper[0] = '\0';
  RegReadString(HKEY_CURRENT_USER, kDesktopKeyPath, kWallpaperValue, wallpaper, sizeof wallpaper);
  return IsInFolder(wallpaper, folder);
}

// Removes what the program and the installer keep in a program folder: its files (the
// schedule only `withSchedule`), the folder itself and the company's folder above it when
// nothing else is left in them, the logon entry that starts the program from it, and the
// wallpaper records that name a picture in it (they go back to no wallpaper).
void RemoveFolder(const std::string& folder, bool withSchedule, Removal& removal) {
  for (const char* name : {product::kProgramFile, product::kPictureLibraryFile, product::kUninstallerFile,
                           product::kWallpaperFile})
    removal.RemoveFile(folder + "\\" + name);
  if (withSchedule) removal.RemoveFile(folder + "\\" + product::kScheduleFile);
  removal.RemoveEmptyFolder(folder);
  // The company's folder above goes too when the installation was its only content.
  const std::size_t cut = folder.rfind('\\');
  const std::string parent = folder.substr(0, cut);
  if (cut > 2 && EqualNamesIgnoringCase(parent.substr(parent.rfind('\\') + 1), product::kMakerName) &&
      !fs::exists(HostPathFromWin(folder)))
    removal.RemoveEmptyFolder(parent);

  // A killed copy leaves its logon entry behind.
  char run[MAX_PATH] = "";
  if (RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, run, sizeof run) &&
      IsInFolder(CommandProgram(run), folder))
    removal.RemoveValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRunKeyPath, kRunValue);

  char wallpaper[MAX_PATH] = "";
  GetPrivateProfileString("Desktop", kWallpaperValue, "", wallpaper, sizeof wallpaper, "win.ini");
  if (IsInFolder(wallpaper, folder)) {
    WritePrivateProfileString("Desktop", kWallpaperValue, kNoWallpaper, "win.ini");
    removal.result.removed.push_back(std::string("C:\\WINDOWS\\win.ini [Desktop] Wallpaper=") + wallpaper);
  }
  wallpaper[0] = '\0';
  RegReadString(HKEY_CURRENT_USER, kDesktopKeyPath, kWallpaperValue, wallpaper, sizeof wallpaper);
  if (IsInFolder(wallpaper, folder)) {
    RegWriteString(HKEY_CURRENT_USER, kDesktopKeyPath, kWallpaperValue, kNoWallpaper);
    removal.result.removed.push_back(std::string("HKEY_CURRENT_USER\\") + kDesktopKeyPath + " \"Wallpaper\"=" + wallpaper);
  }
}

}  // namespace

RemovalResult RemoveEarlierFolder(const std::string& folder) {
  Removal removal;
  // The desktop still shows a picture from there: it gets the person's own back before the
  // picture goes.
  if (WallpaperRecordsName(folder) && MakeDesktopBackendForSession()->RestoreOwnWallpaper())
    removal.result.givenBack.push_back("your own wallpaper, on the desktop");
  RemoveFolder(folder, /*withSchedule=*/false, removal);
  return removal.result;
}

RemovalResult Uninstall() {
  if (EndRunningCopy(kExitWaitMs)) Trace("uninstall: ended the running copy");
  Removal removal;
  // What the removal run gives back, given back here too (an uninstaller started on its own
  // has had no removal run), before the files go: the desktop stops naming them first.
  removal.result.givenBack = GiveBackDesktop();
  const std::string folder = InstalledFolder();

  if (!folder.empty()) RemoveFolder(folder, /*withSchedule=*/true, removal);
  removal.RemoveFile(std::string(kSystemDirectory) + "\\" + product::kSaverFile);

  removal.RemoveValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kSetupKeyPath, kSourcePathValue);
  removal.RemoveValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kSetupKeyPath, kUninstallPathValue);
  // The product's keys, from Setup up to the company's, as far as nothing else is in them.
  for (std::string key = kSetupKeyPath; key.find('\\') != std::string::npos && key.rfind("SOFTWARE\\", 0) == 0;
       key.resize(key.rfind('\\'))) {
    if (RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, key.c_str()) != ERROR_SUCCESS) break;
  }

  const std::string ini = HostPathFromWin(kLauncherIniFile);
  char probe[8] = "";
  bool sectionRemoved = false;
  if (GetPrivateProfileString(kLauncherIniSection, nullptr, "", probe, sizeof probe, kLauncherIniFile) > 0 ||
      GetPrivateProfileString(kLauncherIniSection, kLauncherIniKey, "", probe, sizeof probe, kLauncherIniFile) > 0) {
    sectionRemoved = WritePrivateProfileString(kLauncherIniSection, nullptr, nullptr, kLauncherIniFile) != 0;
  }
  if (!ini.empty() && fs::exists(ini) && IsBlankFile(ini)) {
    removal.RemoveFile(kLauncherIniFile);
    // The lock file the profile writer keeps beside it goes with it.
    if (!fs::exists(ini)) ::unlink((ini + ".lock").c_str());
  } else if (sectionRemoved) {
    removal.result.removed.push_back(std::string(kLauncherIniFile) + " [" + kLauncherIniSection + "]");
  }

  for (const std::string& path : RemoveMenuEntry()) removal.result.removed.push_back(path);

  // The logon entry the program cleared to "" at Exit (one that still starts the program
  // went with its folder).
  char run[MAX_PATH] = "";
  if (RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, run, sizeof run) && run[0] == '\0')
    removal.RemoveValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRunKeyPath, kRunValue);

  // The start-up image saved at installation goes back, as the removal run would have done.
  const std::string image = HostPathFromWin(WindowsDriveRoot() + product::kStartupImageFile);
  const std::string backup = HostPathFromWin(WindowsDriveRoot() + product::kStartupBackupFile);
  std::error_code error;
  if (!backup.empty() && fs::is_regular_file(backup) &&
      fs::copy_file(backup, image, fs::copy_options::overwrite_existing, error)) {
    const std::size_t before = removal.result.removed.size();
    removal.RemoveFile(WindowsDriveRoot() + product::kStartupBackupFile);
    if (removal.result.removed.size() > before) removal.result.removed.back() += " (put back as logo.sys)";
  }
  return removal.result;
}

}  // namespace ossen::setup
