#include "test_support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace ossen::testing {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(20);

}  // namespace

ProgramRun::ProgramRun(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workDir, const std::string& logPath)
    : logPath_(logPath) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log < 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    if (chdir(workDir.c_str()) != 0) _exit(126);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(log);
}

ProgramRun::~ProgramRun() {
  if (Running()) {
    Signal(SIGKILL);
    WaitForExit(5000);
  }
}

bool ProgramRun::Running() {
  if (pid_ <= 0 || reaped_) return false;
  const pid_t done = waitpid(pid_, &status_, WNOHANG);
  if (done == pid_) reaped_ = true;
  return !reaped_;
}

std::optional<int> ProgramRun::WaitForExit(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Running()) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kPoll);
  }
  if (!reaped_ || !WIFEXITED(status_)) return std::nullopt;
  return WEXITSTATUS(status_);
}

bool ProgramRun::WaitForOutput(const std::string& text, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (Output().find(text) != std::string::npos) return true;
    if (!Running() || std::chrono::steady_clock::now() >= deadline) {
      return Output().find(text) != std::string::npos;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

void ProgramRun::Signal(int signal) const {
  if (pid_ > 0 && !reaped_) kill(pid_, signal);
}

std::string ProgramRun::Output() const { return ReadWholeFile(logPath_); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

std::string UsePrivateSession(const std::string& root) {
  const std::string home = root + "/home", runtime = root + "/runtime";
  std::filesystem::create_directories(home + "/.config");
  std::filesystem::create_directories(runtime);
  // The runtime folder must be the user's alone, or Qt refuses it.
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  return home;
}

}  // namespace ossen::testing
