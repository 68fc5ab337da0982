#include "desktop/tool_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/unique_fd.h"

namespace ossen {

namespace {

using Clock = std::chrono::steady_clock;

// Reads what the pipe holds now into `out` (up to the cap); false at end of file.
bool DrainPipe(int fd, std::string& out) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      const std::size_t room = kMaxToolOutputBytes - std::min(out.size(), kMaxToolOutputBytes);
      out.append(buffer, std::min(static_cast<std::size_t>(n), room));
      continue;
    }
    if (n == 0) return false;
    return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool ToolExists(const std::string& argv0) {
  if (argv0.empty()) return false;
  if (argv0.find('/') != std::string::npos) return IsExecutableFile(argv0);
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = dirs.find(':', start);
    std::string candidate = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (candidate.empty()) candidate.push_back('.');
    candidate.push_back('/');
    candidate.append(argv0);
    if (IsExecutableFile(candidate)) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

const char* ToolResultName(ToolResult result) {
  switch (result) {
    case ToolResult::kOk: return "ok";
    case ToolResult::kNotFound: return "not found";
    case ToolResult::kFailed: return "failed";
    case ToolResult::kTimedOut: return "timed out";
  }
  return "?";
}

ToolOutcome RunTool(const std::vector<std::string>& argv, int timeoutMs) {
  ToolOutcome outcome;
  if (argv.empty() || !ToolExists(argv[0])) return outcome;

  // Everything the child needs is made before fork: after it only async-signal-safe calls.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  int outPipe[2], errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0) return outcome;
  UniqueFd outRead(outPipe[0]), outWrite(outPipe[1]);
  if (::pipe2(errPipe, O_CLOEXEC) != 0) return outcome;
  UniqueFd errRead(errPipe[0]), errWrite(errPipe[1]);
  UniqueFd devNull(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (devNull.get() < 0) return outcome;

  const pid_t pid = ::fork();
  if (pid < 0) {
    outcome.result = ToolResult::kFailed;
    return outcome;
  }
  if (pid == 0) {
    ::setpgid(0, 0);  // its own group, so a timeout can end whatever it started
    ::dup2(devNull.get(), STDIN_FILENO);
    ::dup2(outWrite.get(), STDOUT_FILENO);
    ::dup2(devNull.get(), STDERR_FILENO);
    ::execvp(args[0], args.data());
    const int error = errno;
    [[maybe_unused]] ssize_t ignored = ::write(errWrite.get(), &error, sizeof error);
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  outWrite.Reset();
  errWrite.Reset();
  ::fcntl(outRead.get(), F_SETFL, O_NONBLOCK);

  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool outOpen = true;
  int status = 0;
  bool exited = false;
  while (!exited) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    if (outOpen) {
      pollfd watch{outRead.get(), POLLIN, 0};
      ::poll(&watch, 1, static_cast<int>(std::min<long long>(left, 20)));
      outOpen = DrainPipe(outRead.get(), outcome.output);
    } else {
      ::usleep(5000);
    }
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    exited = done == pid || (done < 0 && errno == ECHILD);
  }
  if (!exited) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    outcome.result = ToolResult::kTimedOut;
    return outcome;
  }
  // A helper it left running may hold the pipe open: take what is there and stop.
  if (outOpen) DrainPipe(outRead.get(), outcome.output);

  int execError = 0;
  if (::read(errRead.get(), &execError, sizeof execError) == static_cast<ssize_t>(sizeof execError)) {
    outcome.result = execError == ENOENT || execError == EACCES || execError == ENOTDIR ? ToolResult::kNotFound
                                                                                          : ToolResult::kFailed;
    return outcome;
  }
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  outcome.result = outcome.exitCode == 0 ? ToolResult::kOk : ToolResult::kFailed;
  return outcome;
}

}  // namespace ossen
