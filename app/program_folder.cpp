#include "app/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/module.h"
#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"

namespace ossen {

bool EnterUserProgramFolder() {
  PrefixDir();  // the layout first: drive C: holds the folder
  const std::string folder = HostPathFromWin(product::kUserProgramFolder);
  if (folder.empty() || (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) ||
      !SetCurrentDirectory(product::kUserProgramFolder)) {
    Trace("start: cannot work in %s (errno %d); staying in the current folder", product::kUserProgramFolder, errno);
    return false;
  }
  return true;
}

bool IsInstalledCopy() {
  const std::string data = InstalledDataFolder();
  return !data.empty() && IsRegularFile(data + "/" + product::kPictureLibraryFile);
}

void LinkScreenSaver() {
  const std::string saver = ExecutableFolder() + "/" + product::kSaverFile;
  if (!IsRegularFile(saver)) return;
  const std::string link = HostPathFromWin(std::string(kSystemDirectory) + "\\" + product::kSaverFile);
  if (link.empty()) return;
  struct stat info {};
  if (::lstat(link.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) return;  // the installer's copy
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == saver) return;
  }
  // A fresh link beside the old one, renamed over it: the name never goes missing.
  const std::string fresh = link + ".link." + std::to_string(::getpid());
  ::unlink(fresh.c_str());
  if (::symlink(saver.c_str(), fresh.c_str()) != 0 || ::rename(fresh.c_str(), link.c_str()) != 0) {
    Trace("start: cannot link %s to %s (errno %d)", link.c_str(), saver.c_str(), errno);
    ::unlink(fresh.c_str());
  }
}

std::string LogonCommand() {
  std::string folder = ReadSourcePathFolder();
  if (folder.empty() && IsInstalledCopy()) folder = WinPathFromHost(ExecutableFolder()) + "\\";
  // "<folder>\ossen.exe -h"; no folder gives "\ossen.exe -h", which names no program.
  return (folder.empty() ? std::string("\\") : folder) + product::kProgramExeName + " -h";
}

void PrepareResidentStart() {
  if (ReadSourcePathFolder().empty()) {
    EnterUserProgramFolder();
    LinkScreenSaver();
  }
  RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, LogonCommand().c_str());
}

}  // namespace ossen
