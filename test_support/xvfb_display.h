// Test support: a virtual X display of the test's own (Xvfb picks a free number and
// reports it through -displayfd, so tests running in parallel never share one), and the
// X tools that look at it.
#pragma once
#include <sys/types.h>

#include <string>

namespace ossen::testing {

class XvfbDisplay {
 public:
  // Starts Xvfb with one screen of width x height x depth and waits (bounded) for its number.
  XvfbDisplay(int width, int height, int depth = 24);
  // Ends the server.
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // Whether the server runs; ":N" otherwise empty.
  bool Running() const { return !display_.empty(); }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Whether a program of this name is on PATH.
bool HaveProgram(const std::string& name);

// Runs a shell command line and returns its standard output ("" when it fails to start).
std::string CommandOutput(const std::string& commandLine);

}  // namespace ossen::testing
