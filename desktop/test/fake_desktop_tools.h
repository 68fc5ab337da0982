// Test support for the desktop backends: fakes of each desktop's tool, small scripts on PATH
// that record their arguments (one invocation per line) and answer what the real tool would,
// in a prefix of their own with the session's desktop variables cleared.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/desktop_backend.h"
#include "desktop/desktop_picture.h"
#include "test_support/temp_prefix.h"

namespace ossen::testing {

// Every variable the desktop is detected from, cleared for the test and put back after.
inline constexpr const char* kSessionVariables[] = {
    "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION", "SWAYSOCK",
    "XDG_SESSION_DESKTOP", "DISPLAY",         "WAYLAND_DISPLAY",  "PATH",                "OSSEN_DESKTOP_BRIDGE"};

// Short enough that the hanging-tool cases stay quick.
inline constexpr int kFakeToolTimeoutMs = 400;

class FakeDesktopToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kSessionVariables) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      ::unsetenv(name);
    }
    bin_ = prefix_.root() + "/bin";
    log_ = prefix_.root() + "/tools.log";
    std::filesystem::create_directories(bin_);
    // Only the fakes: a real tool on this machine must never answer.
    ::setenv("PATH", bin_.c_str(), 1);
    std::filesystem::create_directories(prefix_.programDir() + "/my pics");
    picture_ = prefix_.programDir() + "/my pics/ossen#1.bmp";
    std::ofstream(picture_) << "BM";
  }
  void TearDown() override {
    for (const char* name : kSessionVariables) {
      auto it = saved_.find(name);
      if (it != saved_.end())
        ::setenv(name, it->second.c_str(), 1);
      else
        ::unsetenv(name);
    }
  }

  // A fake tool: records "name|arg|arg..." and then runs `answer` (shell, "$@" are the
  // arguments).
  void FakeTool(const std::string& name, const std::string& answer = "") const {
    const std::string path = bin_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n"
                        << "{ printf '%s' \"${0##*/}\"; for a in \"$@\"; do printf '|%s' \"$a\"; done; echo; } >> '"
                        << log_ << "'\n"
                        << answer << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }

  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void ClearCalls() const { std::filesystem::remove(log_); }

  // A fresh full-colour copy for the desktop, as the engine writes one: the JPEG's bytes (a
  // stand-in here) in the prefix's picture folder.
  static std::string PictureCopy() {
    static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 'J', 'F', 'I', 'F', 0, 0xFF, 0xD9};
    return WriteDesktopPicture(kJpeg, sizeof kJpeg);
  }

  // The backend of `kind` with the short tool timeout.
  static std::unique_ptr<DesktopBackend> Backend(DesktopKind kind) {
    return MakeDesktopBackend(kind, kFakeToolTimeoutMs);
  }

  TempPrefix prefix_;
  std::map<std::string, std::string> saved_;
  std::string bin_, log_, picture_;
};

}  // namespace ossen::testing
