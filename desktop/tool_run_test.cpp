#include "desktop/tool_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

std::string WriteScript(const std::string& folder, const std::string& name, const std::string& body) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

TEST(ToolRunTest, ReportsOutputExitStatusAndMissingTools) {
  testing::TempPrefix temp;
  const std::string tool = WriteScript(temp.root(), "tool", "read line; echo \"in=[$line] args=$#:$1\"; exit $2");
  ToolOutcome ok = RunTool({tool, "a b", "0"}, 2000);
  EXPECT_EQ(ok.result, ToolResult::kOk);
  EXPECT_EQ(ok.output, "in=[] args=2:a b\n") << "arguments pass as they are; stdin is empty";

  ToolOutcome failed = RunTool({tool, "x", "7"}, 2000);
  EXPECT_EQ(failed.result, ToolResult::kFailed);
  EXPECT_EQ(failed.exitCode, 7);

  EXPECT_EQ(RunTool({temp.root() + "/absent"}, 2000).result, ToolResult::kNotFound);
  EXPECT_EQ(RunTool({"ossen-no-such-tool-anywhere"}, 2000).result, ToolResult::kNotFound);
  EXPECT_EQ(RunTool({}, 2000).result, ToolResult::kNotFound);
  std::ofstream(temp.root() + "/plain") << "not a program";
  EXPECT_FALSE(ToolExists(temp.root() + "/plain"));
}

TEST(ToolRunTest, AHangingToolAndWhatItStartedAreKilledAtTheDeadline) {
  testing::TempPrefix temp;
  const std::string pidFile = temp.root() + "/child.pid";
  const std::string tool = WriteScript(temp.root(), "hang", "/bin/sleep 60 & echo $! > '" + pidFile + "'; wait");
  const auto start = std::chrono::steady_clock::now();
  ToolOutcome outcome = RunTool({tool}, 300);
  EXPECT_EQ(outcome.result, ToolResult::kTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  pid_t child = 0;
  std::ifstream(pidFile) >> child;
  ASSERT_GT(child, 0);
  // The sleeping grandchild went with its group (it may linger as a zombie for init).
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
    std::string pid, name, state;
    gone = !(stat >> pid >> name >> state) || state == "Z";
    if (!gone) ::usleep(10000);
  }
  EXPECT_TRUE(gone);
}

TEST(ToolRunTest, AToolThatLeavesAHelperHoldingItsOutputStillFinishes) {
  testing::TempPrefix temp;
  const std::string tool = WriteScript(temp.root(), "daemonish", "echo started; /bin/sleep 5 & exit 0");
  const auto start = std::chrono::steady_clock::now();
  ToolOutcome outcome = RunTool({tool}, 3000);
  EXPECT_EQ(outcome.result, ToolResult::kOk);
  EXPECT_EQ(outcome.output, "started\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace ossen
