#include "launcher/disc_actions.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "launcher/install_dir.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/process.h"

namespace discmenu {
namespace {

// The file is a few lines; anything this large is not the installer's.
constexpr std::size_t kMaxIniBytes = 64 * 1024;

std::optional<std::string> InstalledFolder() {
  char windows[ossen::MAX_PATH] = "";
  ossen::GetWindowsDirectory(windows, sizeof windows);
  const std::string iniPath = ossen::HostPathFromWin(std::string(windows) + "\\" + kProductCode + ".INI");
  std::vector<std::uint8_t> bytes;
  if (iniPath.empty() || ossen::ReadFileBytes(iniPath, kMaxIniBytes, bytes) != ossen::ReadResult::kOk) return std::nullopt;
  return FindInstallDir(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

std::string InstallFirstMessage() { return std::string("In order to run ") + ossen::product::kProductName + ", you should install first."; }

std::string ReinstallMessage() {
  return std::string("A problem was encountered while trying to load the application, ") + "please reinstall!";
}

std::string NoInstallerMessage(const std::string& discFolder) {
  return std::string(ossen::product::kInstallerName) + " was not found in " + discFolder + ".";
}

DiscActions::DiscActions(std::string discFolder, ShowMessage showMessage)
    : discFolder_(std::move(discFolder)), showMessage_(std::move(showMessage)) {}

void DiscActions::Install() {
  const std::string folder = ossen::WinPathFromHost(discFolder_);
  const bool entered = ossen::SetCurrentDirectory(folder.c_str()) != 0;
  const ossen::UINT result = entered ? ossen::WinExec(ossen::product::kInstallerName, ossen::SW_SHOWNORMAL) : 0;
  ossen::Trace("discmenu: started %s in %s: %u", ossen::product::kInstallerName, folder.c_str(), result);
  if (result < 32) showMessage_(NoInstallerMessage(folder));
}

void DiscActions::Run() {
  const std::optional<std::string> folder = InstalledFolder();
  if (!folder) {
    showMessage_(InstallFirstMessage());
    return;
  }
  // Quoted: the folder may hold blanks ("C:\Program Files\...").
  const std::string command = "\"" + *folder + "\\" + ossen::product::kLauncherProgramName + "\"";
  const ossen::UINT result = ossen::WinExec(command.c_str(), ossen::SW_SHOWNORMAL);
  ossen::Trace("discmenu: started %s: %u", command.c_str(), result);
  if (result < 32) showMessage_(ReinstallMessage());
}

}  // namespace discmenu
