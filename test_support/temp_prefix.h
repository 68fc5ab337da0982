// Test fixture support: a fresh prefix and a fresh program folder for each test.
#pragma once

#include <string>

namespace ossen::testing {

// Creates a temporary folder holding a prefix and a program folder, points OSSEN_PREFIX
// at the prefix and XDG_CONFIG_HOME at "<root>/config", and makes the program folder the
// current directory. The destructor
// restores both and removes the folder.
class TempPrefix {
 public:
  // Where the program folder lies: beside the prefix, or as the per-user program folder
  // C:\OSSEN inside it, where the real program works when no installer recorded a folder.
  enum class ProgramFolder { kBesidePrefix, kUserProgramFolder };

  explicit TempPrefix(ProgramFolder where = ProgramFolder::kBesidePrefix);
  ~TempPrefix();
  TempPrefix(const TempPrefix&) = delete;
  TempPrefix& operator=(const TempPrefix&) = delete;

  const std::string& root() const { return root_; }         // the whole temporary folder
  const std::string& prefix() const { return prefix_; }     // what OSSEN_PREFIX names
  const std::string& programDir() const { return program_; }  // the current directory

 private:
  std::string root_;
  std::string prefix_;
  std::string program_;
  std::string oldCwd_;
  std::string oldPrefix_;
  bool hadPrefix_ = false;
  std::string oldConfigHome_;
  bool hadConfigHome_ = false;
};

}  // namespace ossen::testing
