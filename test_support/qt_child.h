// Test support: forked children that run a Qt event loop, and the pipe that talks to them.
#pragma once

#include <QCoreApplication>

#include <cstdint>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace ossen::testing {

// Forks; the child calls `setup()` with a QCoreApplication in place (the process's own, or
// a new one), runs the event loop and ends with the loop's exit code. Never returns in the child.
template <typename Setup>
pid_t SpawnEventLoop(Setup setup) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  static int argc = 1;
  static char name[] = "child";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> own;
  if (QCoreApplication::instance() == nullptr) own = std::make_unique<QCoreApplication>(argc, argv);
  setup();
  ::_exit(QCoreApplication::exec());
}

// The exit code of `pid`, or 128 + the signal that ended it.
inline int WaitExitCode(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe for 32-bit words from a child to the parent; reading after the child is gone gives 0.
class WordPipe {
 public:
  WordPipe() {
    if (::pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
  }
  ~WordPipe() {
    if (fds_[0] >= 0) ::close(fds_[0]);
    if (fds_[1] >= 0) ::close(fds_[1]);
  }
  WordPipe(const WordPipe&) = delete;
  WordPipe& operator=(const WordPipe&) = delete;

  void Send(std::uint32_t word) const { (void)!::write(fds_[1], &word, sizeof word); }
  // The parent drops its write end after forking so that a dead child reads as 0.
  void CloseSender() {
    if (fds_[1] >= 0) ::close(std::exchange(fds_[1], -1));
  }
  std::uint32_t Receive() const {
    std::uint32_t word = 0;
    return ::read(fds_[0], &word, sizeof word) == static_cast<ssize_t>(sizeof word) ? word : 0;
  }

 private:
  int fds_[2] = {-1, -1};
};

}  // namespace ossen::testing
