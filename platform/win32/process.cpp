#include "platform/win32/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"
#include "platform/win32/paths.h"

extern char** environ;

namespace ossen {

namespace {

// What WinExec returns for a started program: anything above 31 is success.
constexpr UINT kStarted = 33;
// The longest command line Windows takes; a longer one is refused before any lookup.
constexpr std::size_t kMaxCommandLine = 32767;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasFolder(std::string_view winPath) {
  return winPath.find_first_of("\\/:") != std::string_view::npos;
}

bool IsHostFolder(const std::string& hostPath) {
  struct stat st {};
  return !hostPath.empty() && ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder part of a Windows path ("C:\a\b.exe" -> "C:\a\", "C:b" -> "C:").
std::string_view FolderOf(std::string_view winPath) {
  std::size_t cut = winPath.find_last_of("\\/:");
  return cut == std::string_view::npos ? std::string_view() : winPath.substr(0, cut + 1);
}

// Where Windows looks for a program named without a folder.
std::string FindBareProgram(std::string_view name) {
  for (std::string_view folder : {std::string_view(), std::string_view(kSystemDirectory),
                                  std::string_view(kWindowsDirectory)}) {
    std::string candidate = folder.empty() ? std::string(name) : std::string(folder) + "\\" + std::string(name);
    if (std::string host = FindProgramHostPath(candidate); !host.empty()) return host;
  }
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "";
  while (!rest.empty()) {
    std::size_t colon = rest.find(':');
    std::string_view folder = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (folder.empty() || folder.front() != '/') continue;
    std::string candidate = WinPathFromHost(folder) + "\\" + std::string(name);
    if (std::string host = FindProgramHostPath(candidate); !host.empty()) return host;
  }
  return {};
}

std::string FindProgram(std::string_view winPath) {
  if (winPath.empty()) return {};
  return HasFolder(winPath) ? FindProgramHostPath(winPath) : FindBareProgram(winPath);
}

// The program names Windows tries for a line, shortest first, each with what follows it.
struct Candidate {
  std::string_view program;
  std::string_view rest;
};

std::vector<Candidate> ProgramCandidates(std::string_view line) {
  std::vector<Candidate> candidates;
  if (line.front() == '"') {
    std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos) return {{line.substr(1), {}}};
    return {{line.substr(1, close - 1), line.substr(close + 1)}};
  }
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && !IsBlank(line[i])) continue;
    if (i > 0 && !IsBlank(line[i - 1])) candidates.push_back({line.substr(0, i), line.substr(i)});
  }
  return candidates;
}

// Maps why exec failed to what WinExec reports.
UINT ExecError(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case ENOEXEC:
    case EACCES:
    case ELOOP:
      return ERROR_BAD_FORMAT;
    default:
      return 0;  // out of resources
  }
}

}  // namespace

std::vector<std::string> SplitWindowsArguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  for (;;) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (i < text.size() && (quoted || !IsBlank(text[i]))) {
      if (text[i] == '\\') {
        std::size_t slashes = 0;
        while (i < text.size() && text[i] == '\\') ++slashes, ++i;
        if (i < text.size() && text[i] == '"') {
          argument.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(slashes, '\\');
        }
      } else if (text[i] == '"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += text[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

LONG ResolveCommandLine(std::string_view commandLine, ResolvedCommand* out) {
  std::size_t start = 0;
  while (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
  std::string_view line = commandLine.substr(start);
  if (line.empty() || line.size() > kMaxCommandLine || out == nullptr) return ERROR_INVALID_PARAMETER;

  std::vector<Candidate> candidates = ProgramCandidates(line);
  for (const Candidate& candidate : candidates) {
    std::string host = FindProgram(candidate.program);
    if (host.empty()) continue;
    out->program = std::move(host);
    out->arguments = SplitWindowsArguments(candidate.rest);
    return ERROR_SUCCESS;
  }
  // A folder that exists makes the program missing; no folder at all makes the path wrong.
  for (const Candidate& candidate : candidates) {
    std::string_view folder = FolderOf(candidate.program);
    if (folder.empty() || IsHostFolder(HostPathFromWin(folder))) return ERROR_FILE_NOT_FOUND;
  }
  return candidates.empty() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

UINT WinExec(const char* commandLine, UINT /*show: the host's windows show themselves*/) {
  if (commandLine == nullptr) return 0;
  ResolvedCommand command;
  LONG resolved = ResolveCommandLine(commandLine, &command);
  if (resolved == ERROR_INVALID_PARAMETER) return 0;
  if (resolved != ERROR_SUCCESS) return static_cast<UINT>(resolved);

  // Everything the children need is made before fork: after it only async-signal-safe calls.
  std::vector<char*> argv;
  argv.push_back(command.program.data());
  for (std::string& argument : command.arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return 0;
  UniqueFd reportRead(report[0]), reportWrite(report[1]);

  pid_t child = ::fork();
  if (child < 0) return 0;
  if (child == 0) {
    // The middle process ends at once, so the program is adopted by init (or the nearest
    // subreaper) and never becomes our zombie.
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) ::signal(signal, SIG_DFL);
    ::execve(argv[0], argv.data(), environ);
    int error = errno;
    ssize_t written = ::write(report[1], &error, sizeof error);
    (void)written;
    ::_exit(127);
  }
  reportWrite.Reset();
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;

  int error = 0;
  ssize_t got;
  do {
    got = ::read(reportRead.get(), &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof error)) {
    Trace("WinExec: cannot start %s (errno %d)", command.program.c_str(), error);
    return ExecError(error);
  }
  return kStarted;
}

}  // namespace ossen
