// The tray icon under a real XEmbed notification area: a private Xvfb with openbox and
// trayer, the real program, and the mouse driven by xdotool as a person would.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/tool_run.h"
#include "test_support/program_run.h"
#include "test_support/temp_prefix.h"
#include "test_support/xvfb_display.h"

namespace ossen {
namespace {

using testing::ProgramRun;

constexpr int kWaitMs = 20000;

std::string FindProgram(const std::string& name) {
  for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
    if (::access((folder + name).c_str(), X_OK) == 0) return folder + name;
  return {};
}

// Runs an X tool and gives its output ("" when it failed).
std::string X(const std::vector<std::string>& argv) {
  const ToolOutcome outcome = RunTool(argv, 10000);
  return outcome.result == ToolResult::kOk ? outcome.output : std::string();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// Polls `condition` every 100 ms until it holds or `ms` have passed.
template <typename Condition>
bool WaitUntil(Condition condition, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

class RealTrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"openbox", "trayer", "xdotool", "xprop", "Xvfb"})
      if (FindProgram(tool).empty()) GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
    ASSERT_TRUE(xvfb_.Running());
    for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "HOME", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS",
                             "OSSEN_DESKTOP_BRIDGE", "OSSEN_TRACE", "WAYLAND_DISPLAY"}) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      ::unsetenv(name);
    }
    const std::string home = prefix_.root() + "/home", runtime = prefix_.root() + "/runtime";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("DISPLAY", xvfb_.Display().c_str(), 1);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("OSSEN_DESKTOP_BRIDGE", "off", 1);
    ::setenv("OSSEN_TRACE", "1", 1);
    std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, prefix_.programDir() + "/OssenDLL.rcc");

    openbox_ = Start(FindProgram("openbox"), {});
    ASSERT_TRUE(WaitUntil([] { return !X({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).empty() &&
                                      X({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
                                          std::string::npos; },
                          kWaitMs));
    trayer_ = Start(FindProgram("trayer"), {"--edge", "bottom", "--align", "right", "--widthtype", "request",
                                            "--height", "24", "--SetDockType", "true"});
    ASSERT_TRUE(WaitUntil([] { return !X({"xdotool", "search", "--onlyvisible", "--class", "trayer"}).empty(); },
                          kWaitMs));
    ossen_ = Start(OSSEN_PROGRAM, {"-h"});
    ASSERT_TRUE(ossen_->WaitForOutput("book window ready", kWaitMs)) << ossen_->Output();
    ASSERT_TRUE(WaitUntil([this] { return !(icon_ = OnlyVisibleOssenWindow()).empty(); }, kWaitMs))
        << "no tray icon appeared";
  }
  void TearDown() override {
    ossen_.reset();
    trayer_.reset();
    openbox_.reset();
    for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "HOME", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS",
                             "OSSEN_DESKTOP_BRIDGE", "OSSEN_TRACE", "WAYLAND_DISPLAY"})
      ::unsetenv(name);
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }

  std::unique_ptr<ProgramRun> Start(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string log = prefix_.root() + "/run" + std::to_string(runs_++) + ".log";
    return std::make_unique<ProgramRun>(program, arguments, prefix_.programDir(), log);
  }

  std::vector<std::string> VisibleOssenWindows() const {
    return Lines(X({"xdotool", "search", "--onlyvisible", "--classname", "ossen"}));
  }
  // The tray icon: while the program is hidden and no menu is open, its only visible window.
  std::string OnlyVisibleOssenWindow() const {
    const std::vector<std::string> windows = VisibleOssenWindows();
    return windows.size() == 1 ? windows[0] : std::string();
  }
  bool BookVisible() const {
    return !X({"xdotool", "search", "--onlyvisible", "--name", "Vintra Ossens Screen Savers"}).empty();
  }
  // The menu: a visible window of the program that is neither the icon nor the book.
  bool MenuOpen() const {
    for (const std::string& window : VisibleOssenWindows())
      if (window != icon_ && X({"xdotool", "getwindowname", window}).find("Vintra") == std::string::npos) return true;
    return false;
  }

  testing::TempPrefix prefix_{testing::TempPrefix::ProgramFolder::kUserProgramFolder};
  testing::XvfbDisplay xvfb_{800, 600};
  std::map<std::string, std::string> saved_;
  std::unique_ptr<ProgramRun> openbox_, trayer_, ossen_;
  std::string icon_;
  int runs_ = 0;
};

TEST_F(RealTrayTest, ADoubleClickOnTheIconShowsTheBookWindowAndOpensNoMenu) {
  X({"xdotool", "mousemove", "--window", icon_, "8", "8", "click", "--repeat", "2", "--delay", "80", "1"});
  EXPECT_TRUE(WaitUntil([this] { return BookVisible(); }, kWaitMs)) << ossen_->Output();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(MenuOpen()) << "the double click must not leave the menu open";

  // While the window shows, a right click still reaches the icon.
  X({"xdotool", "mousemove", "--window", icon_, "8", "8", "click", "3"});
  EXPECT_TRUE(WaitUntil([this] { return MenuOpen(); }, kWaitMs));
  X({"xdotool", "key", "Escape"});
}

TEST_F(RealTrayTest, ASingleClickOpensTheMenuAfterTheDoubleClickInterval) {
  X({"xdotool", "mousemove", "--window", icon_, "8", "8", "click", "1"});
  EXPECT_TRUE(WaitUntil([this] { return MenuOpen(); }, kWaitMs)) << ossen_->Output();
  EXPECT_FALSE(BookVisible());
  // Properties, the menu's first item, shows the window.
  X({"xdotool", "key", "Down", "Return"});
  EXPECT_TRUE(WaitUntil([this] { return BookVisible(); }, kWaitMs)) << ossen_->Output();
}

TEST_F(RealTrayTest, ExitFromTheMenuEndsTheProgramCleanlyAfterSavingTheSchedule) {
  X({"xdotool", "mousemove", "--window", icon_, "8", "8", "click", "3"});
  ASSERT_TRUE(WaitUntil([this] { return MenuOpen(); }, kWaitMs)) << ossen_->Output();
  // Exit, the menu's last item.
  X({"xdotool", "key", "Up", "Return"});
  const std::optional<int> status = ossen_->WaitForExit(kWaitMs);
  ASSERT_TRUE(status.has_value()) << "the program did not end, or ended by a signal:\n" << ossen_->Output();
  EXPECT_EQ(*status, 0) << ossen_->Output();
  EXPECT_TRUE(std::filesystem::exists(prefix_.programDir() + "/data.bin"));
}

}  // namespace
}  // namespace ossen
