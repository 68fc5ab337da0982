// Test support: a private X server (Xvfb) for tests that need a real display. It picks a
// free display number itself (-displayfd), so tests can run side by side.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace ossen::testing {

class XvfbServer {
 public:
  XvfbServer(int width, int height, int depth = 24) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const int quiet = ::open("/dev/null", O_RDWR);
      if (quiet >= 0) {
        ::dup2(quiet, 0);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
      }
      const std::string fd = std::to_string(fds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      pollfd wait{fds[0], POLLIN, 0};
      if (::poll(&wait, 1, 200) <= 0) continue;
      char c = 0;
      if (::read(fds[0], &c, 1) != 1) break;
      if (c == '\n') {
        display_ = ":" + number;
        break;
      }
      number += c;
    }
    ::close(fds[0]);
  }
  ~XvfbServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool ok() const { return !display_.empty(); }
  // ":N", empty when the server did not start.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace ossen::testing
