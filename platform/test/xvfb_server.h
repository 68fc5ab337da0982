// Test support: a private X server (Xvfb) for one test, on a display number it picks itself
// (-displayfd), so tests can run in parallel.
#pragma once

#include <string>
#include <sys/types.h>

namespace ossen::testing {

class XvfbServer {
 public:
  // Starts Xvfb with one screen of the given size and depth 24; ok() says whether it runs.
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool ok() const { return !display_.empty(); }
  const std::string& display() const { return display_; }  // ":N"

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace ossen::testing
