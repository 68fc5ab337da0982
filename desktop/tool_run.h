// Running a desktop's own command-line tool (gsettings, xfconf-query, swaymsg, ...).
//
// The tool is found on PATH and started with an argument vector, never through a shell, with
// standard input from /dev/null, its standard output captured (up to a cap) and its standard
// error dropped. A tool that does not finish in time is killed with its whole process group.
#pragma once

#include <string>
#include <vector>

namespace ossen {

enum class ToolResult { kOk, kNotFound, kFailed, kTimedOut };

struct ToolOutcome {
  ToolResult result = ToolResult::kNotFound;
  int exitCode = -1;   // the tool's exit status when it exited on its own
  std::string output;  // its standard output, cut at kMaxToolOutputBytes
};

inline constexpr std::size_t kMaxToolOutputBytes = 1 << 20;

// Runs argv[0] (looked up on PATH) with the rest as arguments. kOk only for exit status 0.
ToolOutcome RunTool(const std::vector<std::string>& argv, int timeoutMs);

// True when argv0 names an executable file on PATH (or is a path to one).
bool ToolExists(const std::string& argv0);

// "ok", "not found", "failed", "timed out": for trace lines.
const char* ToolResultName(ToolResult result);

}  // namespace ossen
