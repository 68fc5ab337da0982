// Test support: a piece of a test run in a forked child process, for what must be seen from
// another process (locks, a mapping whose creator ended, a pixmap that outlives its setter).
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <type_traits>

namespace ossen::testing {

// Starts `body` in a forked child whose exit code is what `body` returns (an int, or a bool
// where true is 0). The parent gets the child's pid.
template <typename Body>
pid_t StartInChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if constexpr (std::is_same_v<decltype(body()), bool>) {
      ::_exit(body() ? 0 : 1);
    } else {
      ::_exit(body());
    }
  }
  return pid;
}

// Waits for the child: its exit code, 128 + the signal that ended it, or -1 when it is no
// child of this process.
inline int ExitCodeOf(pid_t pid) {
  int status = 0;
  if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs `body` in a child and waits for it: its exit code as above.
template <typename Body>
int RunInChild(Body body) {
  return ExitCodeOf(StartInChild(body));
}

}  // namespace ossen::testing
