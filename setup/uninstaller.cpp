#include "setup/uninstaller.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
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

// The program folder without a trailing backslash, or "" when no installation is recorded.
std::string ProgramFolder() {
  char folder[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, folder, sizeof folder);
  if (folder[0] == '\0')
    GetPrivateProfileString(kLauncherIniSection, kLauncherIniKey, "", folder, sizeof folder, kLauncherIniFile);
  std::string text = folder;
  while (text.size() > 3 && text.back() == '\\') text.pop_back();
  // A drive's root is never the program's own folder to empty.
  return text.size() > 3 ? text : std::string();
}

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

}  // namespace

RemovalResult Uninstall() {
  if (EndRunningCopy(kExitWaitMs)) Trace("uninstall: ended the running copy");
  Removal removal;
  const std::string folder = ProgramFolder();

  if (!folder.empty()) {
    for (const char* name : {product::kProgramFile, product::kPictureLibraryFile, product::kUninstallerFile, product::kScheduleFile, product::kWallpaperFile})
      removal.RemoveFile(folder + "\\" + name);
    removal.RemoveEmptyFolder(folder);
    // The company's folder above goes too when the installation was its only content.
    const std::size_t cut = folder.rfind('\\');
    const std::string parent = folder.substr(0, cut);
    if (cut > 2 && EqualNamesIgnoringCase(parent.substr(parent.rfind('\\') + 1), product::kMakerName) &&
        !fs::exists(HostPathFromWin(folder)))
      removal.RemoveEmptyFolder(parent);
  }
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

  // The logon entry: the program clears it to "" at Exit, and a killed copy leaves its command.
  char run[MAX_PATH] = "";
  if (RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, run, sizeof run) &&
      (run[0] == '\0' || (!folder.empty() && IsInFolder(CommandProgram(run), folder))))
    removal.RemoveValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRunKeyPath, kRunValue);

  // Wallpaper records that name the program's bitmap go back to no wallpaper.
  if (!folder.empty()) {
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
  // The screen-saver record that names the program's saver.
  char saver[MAX_PATH] = "";
  GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", saver, sizeof saver, "system.ini");
  const std::string saverText = saver;
  const std::string saverName = saverText.substr(saverText.find_last_of("\\/") == std::string::npos
                                                     ? 0
                                                     : saverText.find_last_of("\\/") + 1);
  if (EqualNamesIgnoringCase(saverName, product::kSaverFile)) {
    WritePrivateProfileString("boot", "SCRNSAVE.EXE", nullptr, "system.ini");
    removal.result.removed.push_back("C:\\WINDOWS\\system.ini [boot] SCRNSAVE.EXE=" + saverText);
  }

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
