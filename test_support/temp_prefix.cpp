#include "test_support/temp_prefix.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace ossen::testing {

TempPrefix::TempPrefix(ProgramFolder where) {
  std::string pattern = (std::filesystem::temp_directory_path() / "ossen-test-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  prefix_ = root_ + "/prefix";
  program_ = where == ProgramFolder::kUserProgramFolder ? prefix_ + "/drive_c/OSSEN" : root_ + "/program";
  std::filesystem::create_directories(program_);

  if (const char* old = std::getenv("OSSEN_PREFIX")) {
    hadPrefix_ = true;
    oldPrefix_ = old;
  }
  ::setenv("OSSEN_PREFIX", prefix_.c_str(), 1);
  // Run-key writes mirror themselves as desktop autostart entries: keep those in the test
  // folder, never in the user's own configuration.
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
    hadConfigHome_ = true;
    oldConfigHome_ = old;
  }
  ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  oldCwd_ = std::filesystem::current_path().string();
  std::filesystem::current_path(program_);
}

TempPrefix::~TempPrefix() {
  std::error_code ec;
  std::filesystem::current_path(oldCwd_, ec);
  if (hadPrefix_)
    ::setenv("OSSEN_PREFIX", oldPrefix_.c_str(), 1);
  else
    ::unsetenv("OSSEN_PREFIX");
  if (hadConfigHome_)
    ::setenv("XDG_CONFIG_HOME", oldConfigHome_.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
  if (!root_.empty()) std::filesystem::remove_all(root_, ec);
}

}  // namespace ossen::testing
