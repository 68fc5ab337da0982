#include "platform/win32/process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "platform/win32/paths.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

// Writes its arguments after the first, one a line, into the file the first names; the
// file appears whole, when the script is done.
constexpr char kArgumentLogger[] =
    "#!/bin/sh\n"
    "out=\"$1\"; shift\n"
    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.part\"\n"
    "mv \"$out.part\" \"$out\"\n";

class WinExecTest : public ::testing::Test {
 protected:
  // An executable script at `relative` under the test folder; its Windows path.
  std::string MakeScript(const std::string& relative, const char* text = kArgumentLogger) {
    fs::path path = fs::path(prefix_.root()) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
    fs::permissions(path, fs::perms::owner_all);
    return WinPathFromHost(path.string());
  }

  std::string OutputPath(const std::string& name) const { return prefix_.root() + "/" + name; }

  // The lines the started script wrote, once it has written them (waits up to 5 s).
  static std::vector<std::string> WaitForLines(const std::string& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  testing::TempPrefix prefix_;
};

TEST_F(WinExecTest, StartsAScriptByItsWindowsPathWithWindowsArguments) {
  std::string script = MakeScript("bin/log.sh");
  std::string out = OutputPath("out");
  std::string line = script + " " + out + " arg1 \"a b\" \"say \\\"hi\\\"\" back\\slash";
  EXPECT_EQ(WinExec(line.c_str(), SW_SHOW), 33u);
  EXPECT_EQ(WaitForLines(out), (std::vector<std::string>{"arg1", "a b", "say \"hi\"", "back\\slash"}));
  // Detached: nothing is left for us to reap.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(WinExecTest, FindsProgramsInFoldersWithSpacesAndWithoutTheirExtension) {
  std::string script = MakeScript("my tools/log.sh");
  EXPECT_EQ(WinExec((script + " " + OutputPath("unquoted") + " one").c_str(), SW_SHOW), 33u);
  EXPECT_EQ(WaitForLines(OutputPath("unquoted")), std::vector<std::string>{"one"});
  EXPECT_EQ(WinExec(("\"" + script + "\" " + OutputPath("quoted") + " two").c_str(), SW_SHOW), 33u);
  EXPECT_EQ(WaitForLines(OutputPath("quoted")), std::vector<std::string>{"two"});

  std::string bare = MakeScript("bin/uninst");
  EXPECT_EQ(WinExec((bare + ".exe " + OutputPath("bare")).c_str(), SW_SHOW), 33u);
  EXPECT_EQ(WaitForLines(OutputPath("bare")), std::vector<std::string>{});
}

TEST_F(WinExecTest, ReportsWhatCannotBeStarted) {
  EXPECT_EQ(WinExec(nullptr, SW_SHOW), 0u);
  EXPECT_EQ(WinExec("", SW_SHOW), 0u);
  EXPECT_EQ(WinExec("   ", SW_SHOW), 0u);
  std::string folder = WinPathFromHost(prefix_.root());
  EXPECT_EQ(WinExec((folder + "\\missing.exe -x").c_str(), SW_SHOW), 2u);
  EXPECT_EQ(WinExec((folder + "\\nofolder\\setup.exe -x").c_str(), SW_SHOW), 3u);
  // Unquoted, the first word is a name in the test folder, which exists: the program is missing.
  EXPECT_EQ(WinExec((folder + "\\no such folder\\setup.exe").c_str(), SW_SHOW), 2u);
  EXPECT_EQ(WinExec("\"C:\\absent\\x.exe", SW_SHOW), 3u);

  std::ofstream(prefix_.root() + "/plain.txt") << "not a program\n";
  EXPECT_EQ(WinExec((folder + "\\plain.txt").c_str(), SW_SHOW), 2u);
  // Executable, but nothing the host can run.
  std::string noInterpreter = MakeScript("bin/junk", "\x7f" "ELF junk");
  EXPECT_EQ(WinExec(noInterpreter.c_str(), SW_SHOW), static_cast<UINT>(ERROR_BAD_FORMAT));
}

TEST(SplitWindowsArgumentsTest, FollowsTheBackslashAndQuoteRules) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(SplitWindowsArguments("  a\tb  "), (Args{"a", "b"}));
  EXPECT_EQ(SplitWindowsArguments(R"(a\\\"b)"), (Args{R"(a\"b)"}));
  EXPECT_EQ(SplitWindowsArguments(R"("a\\" b)"), (Args{R"(a\)", "b"}));
  EXPECT_EQ(SplitWindowsArguments(R"(a\\b c\)"), (Args{R"(a\\b)", R"(c\)"}));
  EXPECT_EQ(SplitWindowsArguments(R"("x""y" "" "open)"), (Args{R"(x"y)", "", "open"}));
  EXPECT_EQ(SplitWindowsArguments(R"(pre"mid dle"post)"), (Args{"premid dlepost"}));
}

}  // namespace
}  // namespace ossen
