#include "setup/installer.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "setup/menu_entry.h"
#include "setup/product.h"
#include "setup/running_copy.h"

namespace ossen::setup {
namespace {

namespace fs = std::filesystem;

// How long a running copy gets to save its schedule and end.
constexpr DWORD kExitWaitMs = 30000;
// Room left in MAX_PATH for the longest name the folder gets ("\UNINST.EXE" and quotes).
constexpr std::size_t kMaxFolderChars = MAX_PATH - 16;

// One payload file copied beside its target under a temporary name, renamed over the
// target by Commit; removed again when it is dropped uncommitted.
class StagedFile {
 public:
  StagedFile(std::string target, mode_t mode) : target_(std::move(target)), mode_(mode) {}
  StagedFile(StagedFile&& other) noexcept
      : target_(std::move(other.target_)), temp_(std::exchange(other.temp_, {})), mode_(other.mode_) {}
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }

  // Copies `source` to a fresh file in the target's folder and flushes it: errno on failure.
  int Stage(const std::string& source) {
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return errno;
    std::string pattern = (fs::path(target_).parent_path() / ".setup-XXXXXX").string();
    UniqueFd out(::mkstemp(pattern.data()));
    if (out.get() < 0) return errno;
    temp_ = pattern;
    char buffer[1 << 16];
    for (;;) {
      const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (!WriteAll(out.get(), buffer, static_cast<std::size_t>(got))) return errno != 0 ? errno : EIO;
    }
    if (::fchmod(out.get(), mode_) != 0 || ::fsync(out.get()) != 0) return errno;
    return 0;
  }

  // The rename replaces the target's directory entry: a running or mapped old file keeps
  // its own bytes, and nobody ever sees a half-written program.
  int Commit() {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return errno;
    temp_.clear();
    return 0;
  }

  const std::string& target() const { return target_; }

 private:
  std::string target_;
  std::string temp_;
  mode_t mode_;
};

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

InstallResult Failure(std::string message) {
  InstallResult result;
  result.message = std::move(message);
  return result;
}

std::string ErrorText(int error) { return std::strerror(error); }

// Removes the folders this run created, deepest first, as long as they are empty.
void RemoveCreatedFolders(const std::vector<fs::path>& created) {
  std::error_code ignored;
  for (auto it = created.rbegin(); it != created.rend(); ++it) fs::remove(*it, ignored);
}

// Creates the folder and its missing parents; `created` gets each one made, outermost first.
bool MakeFolder(const fs::path& folder, std::vector<fs::path>& created) {
  std::vector<fs::path> missing;
  for (fs::path p = folder; !p.empty() && !fs::exists(p); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (::mkdir(it->c_str(), 0755) != 0 && errno != EEXIST) return false;
    created.push_back(*it);
  }
  return fs::is_directory(folder);
}

}  // namespace

std::string NormalisedFolder(const std::string& folder, std::string* problem) {
  std::string text = folder;
  const std::size_t first = text.find_first_not_of(" \t");
  const std::size_t last = text.find_last_not_of(" \t");
  text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  while (text.size() > 3 && text.back() == '\\') text.pop_back();
  const bool full = text.size() > 3 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
                    text[2] == '\\';
  if (!full || HostPathFromWin(text).empty()) {
    *problem = "Choose a full folder path on drive C:, such as " + std::string(product::kDefaultInstallFolder) + ".";
    return {};
  }
  if (text.find_first_of("\"\r\n/") != std::string::npos || text.size() > kMaxFolderChars) {
    *problem = "The folder name is too long or holds a character a folder name cannot have.";
    return {};
  }
  return text;
}

InstallResult Install(const InstallRequest& request) {
  std::string problem;
  const std::string folder = NormalisedFolder(request.folder, &problem);
  if (folder.empty()) return Failure(problem);

  // Everything the disc must hold is checked before anything is written.
  const fs::path payload(request.payloadDir);
  for (const char* name : {product::kProgramFile, product::kPictureLibraryFile, product::kUninstallerFile}) {
    if (!IsRegularFile((payload / name).string()))
      return Failure(std::string("The disc is missing ") + name + " in " + request.payloadDir + "; nothing was installed.");
  }
  const bool withSaver = IsRegularFile((payload / product::kSaverFile).string());

  if (EndRunningCopy(kExitWaitMs)) Trace("setup: ended the running copy");

  const fs::path hostFolder = HostPathFromWin(folder);
  std::vector<fs::path> createdFolders;
  if (!MakeFolder(hostFolder, createdFolders)) {
    const int error = errno;
    RemoveCreatedFolders(createdFolders);
    return Failure("Cannot create the folder " + folder + ": " + ErrorText(error) + ".");
  }

  std::vector<StagedFile> files;
  files.emplace_back((hostFolder / product::kProgramFile).string(), 0755);
  files.emplace_back((hostFolder / product::kPictureLibraryFile).string(), 0644);
  files.emplace_back((hostFolder / product::kUninstallerFile).string(), 0755);
  if (withSaver) files.emplace_back(HostPathFromWin(std::string(kSystemDirectory) + "\\" + product::kSaverFile), 0755);
  for (StagedFile& file : files) {
    const std::string source = (payload / fs::path(file.target()).filename()).string();
    if (const int error = file.Stage(source); error != 0) {
      const std::string message = "Cannot copy " + source + " to " + WinPathFromHost(file.target()) + ": " +
                                  ErrorText(error) + "; nothing was installed.";
      files.clear();  // removes the staged copies, `file` among them
      RemoveCreatedFolders(createdFolders);
      return Failure(message);
    }
  }
  InstallResult result;
  for (StagedFile& file : files) {
    if (const int error = file.Commit(); error != 0)
      return Failure("Cannot replace " + WinPathFromHost(file.target()) + ": " + ErrorText(error) + ".");
    result.steps.push_back("copied " + WinPathFromHost(file.target()));
  }

  const std::string uninstaller = "\"" + folder + "\\" + product::kUninstallerCommandName + "\"";
  if (!RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, folder.c_str()) ||
      !RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue, uninstaller.c_str()))
    return Failure("Cannot write the registry values under HKEY_LOCAL_MACHINE\\" + std::string(kSetupKeyPath) + ".");
  result.steps.push_back("wrote sourcepath and uninstallpath under HKEY_LOCAL_MACHINE\\" + std::string(kSetupKeyPath));

  if (!WritePrivateProfileString(kLauncherIniSection, kLauncherIniKey, folder.c_str(), kLauncherIniFile))
    return Failure("Cannot write " + std::string(kLauncherIniFile) + ".");
  result.steps.push_back("wrote " + std::string(kLauncherIniFile));

  // The start-up image the system had before the program ever wrote one: kept once, never
  // overwritten by a later installation (that would keep the program's own picture).
  const std::string image = HostPathFromWin(WindowsDriveRoot() + product::kStartupImageFile);
  const std::string backup = HostPathFromWin(WindowsDriveRoot() + product::kStartupBackupFile);
  std::error_code copyError;
  if (IsRegularFile(image) && !fs::exists(backup) && fs::copy_file(image, backup, copyError))
    result.steps.push_back("saved " + WindowsDriveRoot() + product::kStartupImageFile + " as " + WindowsDriveRoot() +
                           product::kStartupBackupFile);

  if (WriteMenuEntry((hostFolder / product::kProgramFile).string(), request.iconPng))
    result.steps.push_back("added " + std::string(product::kProductName) + " to the application menu");
  else
    Trace("setup: no menu entry written");

  result.ok = true;
  result.folder = folder;
  result.message = std::string(product::kProductName) + " is installed in " + folder + ".";
  return result;
}

}  // namespace ossen::setup
