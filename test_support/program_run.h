// Test support: one run of a program as a real child process, its standard output and error
// captured in a file, with bounded waits so that a hang fails a test instead of blocking.
#pragma once
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace ossen::testing {

class ProgramRun {
 public:
  // Starts `program` with `arguments` in folder `workDir`, output to `logPath`. The child
  // inherits this process's environment.
  ProgramRun(const std::string& program, const std::vector<std::string>& arguments, const std::string& workDir,
             const std::string& logPath);
  // Kills a child that is still running.
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // Waits until the output holds `text`; false when the time ran out or the child ended first.
  bool WaitForOutput(const std::string& text, int timeoutMs);
  // The exit status, or nullopt when the child still runs after `timeoutMs` (or was killed).
  std::optional<int> WaitForExit(int timeoutMs);
  // True while the child has not ended.
  bool Running();
  void Signal(int signal) const;
  std::string Output() const;

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  std::string logPath_;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes a file, creating it; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Gives the programs this test starts a session of their own under `root`: a home with its
// config folder and a private runtime folder, named in HOME, XDG_CONFIG_HOME and
// XDG_RUNTIME_DIR. Returns the home.
std::string UsePrivateSession(const std::string& root);

}  // namespace ossen::testing
