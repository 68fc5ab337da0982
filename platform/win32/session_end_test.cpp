#include "platform/win32/session_end.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include "test_support/qt_child.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A child whose handler logs each call; the handler signals itself again before it
// returns, as a desktop that sends SIGTERM twice would.
pid_t SpawnSessionChild(const std::string& log, int signalDuringHandler) {
  testing::WordPipe ready;
  pid_t pid = testing::SpawnEventLoop([&] {
    InstallSessionEndHandler([log, signalDuringHandler] {
      if (signalDuringHandler != 0) ::raise(signalDuringHandler);
      std::ofstream(log, std::ios::app) << "saved\n";
    });
    ready.Send(1);
  });
  ready.CloseSender();
  EXPECT_EQ(ready.Receive(), 1u);
  return pid;
}

TEST(SessionEndTest, EachSessionSignalRunsTheHandlerOnceThenExitsCleanly) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    ossen::testing::TempPrefix prefix;
    const std::string log = prefix.root() + "/log";
    pid_t child = SpawnSessionChild(log, signal);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::kill(child, signal), 0);
    EXPECT_EQ(testing::WaitExitCode(child), 0) << "signal " << signal;
    EXPECT_EQ(ReadText(log), "saved\n") << "signal " << signal;
  }
}

}  // namespace
}  // namespace ossen
