#include "setup/installer.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/ascii_case.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "setup/menu_entry.h"
#include "setup/product.h"
#include "setup/running_copy.h"
#include "setup/uninstaller.h"

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

// Whether two folder names are one folder: the same name in any case, or the same host folder.
bool SameFolder(const std::string& a, const std::string& b) {
  if (EqualNamesIgnoringCase(a, b)) return true;
  const std::string hostA = HostPathFromWin(a);
  const std::string hostB = HostPathFromWin(b);
  std::error_code error;
  return !hostA.empty() && !hostB.empty() && fs::equivalent(hostA, hostB, error);
}

// The installed program folder when it is not `folder` and still exists; "" otherwise.
std::string EarlierFolderElsewhere(const std::string& folder) {
  const std::string installed = InstalledFolder();
  if (installed.empty() || SameFolder(installed, folder)) return {};
  const std::string host = HostPathFromWin(installed);
  return !host.empty() && fs::is_directory(host) ? installed : std::string();
}

std::string ScheduleIn(const std::string& folder) { return folder + "\\" + product::kScheduleFile; }

bool ScheduleExists(const std::string& folder) {
  const std::string host = HostPathFromWin(ScheduleIn(folder));
  return !host.empty() && IsRegularFile(host);
}

// Moves a file, also to another file system: errno on failure.
int MoveFileAcross(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  if (errno != EXDEV) return errno;
  std::error_code error;
  if (!fs::copy_file(from, to, error)) return error.value() != 0 ? error.value() : EIO;
  fs::remove(from, error);
  return 0;
}

// The earlier installation in another folder moves into `folder`: its schedule comes along
// (one the new folder already has is kept, and the earlier one stays where it is), then its
// folder is taken away.
void MoveEarlierInstallation(const std::string& earlier, const std::string& folder, InstallResult& result) {
  const std::string from = ScheduleIn(earlier);
  const std::string to = ScheduleIn(folder);
  if (ScheduleExists(earlier)) {
    if (ScheduleExists(folder)) {
      result.message += " The schedule of the earlier installation stays in " + from + "; " + folder +
                        " keeps the schedule it had.";
    } else if (const int error = MoveFileAcross(HostPathFromWin(from), fs::path(HostPathFromWin(folder)) /
                                                                           product::kScheduleFile);
               error != 0) {
      result.message += " The schedule of the earlier installation could not be moved (" + ErrorText(error) +
                        ") and stays in " + from + ".";
    } else {
      result.steps.push_back("moved the schedule " + from + " to " + to);
      result.message += " Your schedule came along from " + earlier + ".";
    }
  }
  const RemovalResult removal = RemoveEarlierFolder(earlier);
  for (const std::string& line : removal.givenBack) result.steps.push_back("gave back " + line);
  for (const std::string& line : removal.removed) result.steps.push_back("removed " + line);
  if (!removal.kept.empty()) {
    result.message += " The earlier folder " + earlier + " stays, with files that are not the program's.";
    for (const std::string& line : removal.kept) result.steps.push_back("left " + line);
  }
}

}  // namespace

std::string InstalledFolder() {
  std::string text = ReadSourcePathFolder();
  if (text.empty()) {
    char folder[MAX_PATH] = "";
    GetPrivateProfileString(kLauncherIniSection, kLauncherIniKey, "", folder, sizeof folder, kLauncherIniFile);
    text = folder;
  }
  while (text.size() > 3 && text.back() == '\\') text.pop_back();
  return text.size() > 3 ? text : std::string();
}

std::string ProposedFolder() {
  std::string problem;
  const std::string installed = NormalisedFolder(InstalledFolder(), &problem);
  return installed.empty() ? std::string(product::kDefaultInstallFolder) : installed;
}

std::string MoveNote(const std::string& typed) {
  std::string problem;
  const std::string folder = NormalisedFolder(typed, &problem);
  const std::string earlier = folder.empty() ? std::string() : EarlierFolderElsewhere(folder);
  if (earlier.empty()) return {};
  const std::string installed = std::string(product::kProductName) + " is installed in " + earlier + ". ";
  if (ScheduleExists(earlier) && ScheduleExists(folder))
    return installed + "Its schedule stays behind in " + ScheduleIn(earlier) + ": the new folder keeps its own.";
  return installed + "Installing in another folder moves your schedule there and takes the old folder away.";
}

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
  const std::string earlier = EarlierFolderElsewhere(folder);

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
  if (!earlier.empty()) MoveEarlierInstallation(earlier, folder, result);
  return result;
}

}  // namespace ossen::setup
