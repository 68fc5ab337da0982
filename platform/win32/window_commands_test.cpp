#include "platform/win32/window_commands.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/base/unique_fd.h"
#include "platform/win32/named_mapping.h"
#include "test_support/qt_child.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::SpawnEventLoop;
using testing::WaitExitCode;
using testing::WordPipe;
using Clock = std::chrono::steady_clock;

constexpr WORD kProperties = 32771;
constexpr WORD kExit = 32773;

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void AppendLine(const std::string& path, const std::string& line) { std::ofstream(path, std::ios::app) << line << "\n"; }

std::string SocketFolder() {
  std::string folder = MappingTableDir() + "/windows";
  ::mkdir(folder.c_str(), 0700);
  return folder;
}

std::string SocketPath(HWND handle) {
  char name[32];
  std::snprintf(name, sizeof name, "/hwnd-%08x.sock", handle);
  return SocketFolder() + name;
}

UniqueFd ConnectRaw(HWND handle) {
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = SocketPath(handle);
  std::memcpy(address.sun_path, path.data(), path.size());
  EXPECT_EQ(::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return fd;
}

// True when the peer closes the connection within two seconds.
bool PeerCloses(int fd) {
  pollfd entry{fd, POLLIN, 0};
  char byte;
  return ::poll(&entry, 1, 2000) == 1 && ::recv(fd, &byte, 1, 0) == 0;
}

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A resident process: logs each command after a pause, and on Exit withdraws its own handle
// from inside the handler, then ends its event loop.
pid_t SpawnResident(const std::string& log, WordPipe& handles) {
  pid_t pid = SpawnEventLoop([&] {
    static std::unique_ptr<CommandReceiver> receiver;
    receiver = CommandReceiver::Create([log](WORD id) {
      ::usleep(100 * 1000);  // the sender must wait for this
      if (id == kExit) {
        receiver.reset();
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
      }
      AppendLine(log, std::to_string(id));
    });
    handles.Send(receiver ? receiver->handle() : 0);
  });
  handles.CloseSender();
  return pid;
}

TEST(WindowCommandsTest, CommandsReachAnotherProcessAndWaitForItsHandler) {
  ossen::testing::TempPrefix prefix;
  const std::string log = prefix.root() + "/log";
  WordPipe handles;
  pid_t resident = SpawnResident(log, handles);
  HWND window = handles.Receive();
  ASSERT_NE(window, 0u);

  EXPECT_EQ(SendCommand(window, kProperties, 5000), 1);
  EXPECT_EQ(ReadText(log), "32771\n");  // the handler ran before the answer

  // Hostile connections: garbage of the right length, half a request left open, a flood.
  UniqueFd garbage = ConnectRaw(window);
  ASSERT_EQ(::send(garbage.get(), "not a command!!!", 16, MSG_NOSIGNAL), 16);
  EXPECT_TRUE(PeerCloses(garbage.get()));
  UniqueFd half = ConnectRaw(window);
  ASSERT_EQ(::send(half.get(), "OSC1\x11", 5, MSG_NOSIGNAL), 5);
  UniqueFd flood = ConnectRaw(window);
  std::string junk(4096, '\x11');
  (void)::send(flood.get(), junk.data(), junk.size(), MSG_NOSIGNAL);

  EXPECT_EQ(SendCommand(window, 7, 5000), 1);
  EXPECT_EQ(ReadText(log), "32771\n7\n");

  // Exit destroys the receiver inside its handler; the sender still hears that it ran.
  EXPECT_EQ(SendCommand(window, kExit, 5000), 1);
  EXPECT_EQ(ReadText(log), "32771\n7\n32773\n");
  EXPECT_EQ(WaitExitCode(resident), 0);
  EXPECT_EQ(SendCommand(window, kProperties, 5000), 0);
  EXPECT_TRUE(PeerCloses(half.get()));
}

TEST(WindowCommandsTest, KilledReceiverIsGoneAtOnceAndBlocksNoNewOne) {
  ossen::testing::TempPrefix prefix;
  WordPipe firstHandle;
  pid_t first = SpawnResident(prefix.root() + "/log", firstHandle);
  HWND killed = firstHandle.Receive();
  ASSERT_NE(killed, 0u);
  ::kill(first, SIGKILL);
  EXPECT_EQ(WaitExitCode(first), 128 + SIGKILL);

  Clock::time_point start = Clock::now();
  EXPECT_EQ(SendCommand(killed, kProperties, 5000), 0);
  EXPECT_LT(MillisecondsSince(start), 500);

  WordPipe secondHandle;
  pid_t second = SpawnResident(prefix.root() + "/log", secondHandle);
  HWND live = secondHandle.Receive();
  ASSERT_NE(live, 0u);
  EXPECT_NE(live, killed);
  struct stat st {};
  EXPECT_NE(::stat(SocketPath(killed).c_str(), &st), 0) << "the dead receiver's socket is swept away";
  EXPECT_EQ(SendCommand(live, kExit, 5000), 1);
  EXPECT_EQ(WaitExitCode(second), 0);
}

TEST(WindowCommandsTest, ReceiverThatNeverAnswersTimesOut) {
  ossen::testing::TempPrefix prefix;
  // A listener that takes connections into its backlog and never reads them.
  const HWND silent = 0x5151u;
  UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = SocketPath(silent);
  std::memcpy(address.sun_path, path.data(), path.size());
  ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener.get(), 1), 0);

  Clock::time_point start = Clock::now();
  EXPECT_EQ(SendCommand(silent, kProperties, 300), 0);
  EXPECT_GE(MillisecondsSince(start), 250);
  EXPECT_LT(MillisecondsSince(start), 3000);

  EXPECT_EQ(SendCommand(0, kProperties, 300), 0);
  EXPECT_EQ(SendCommand(0x5152u, kProperties, 300), 0);
}

TEST(WindowCommandsTest, CommandToOwnWindowRunsAtOnce) {
  ossen::testing::TempPrefix prefix;
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (QCoreApplication::instance() == nullptr) app = std::make_unique<QCoreApplication>(argc, argv);

  std::vector<WORD> seen;
  auto first = CommandReceiver::Create([&](WORD id) { seen.push_back(id); });
  auto second = CommandReceiver::Create([](WORD) {});
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->handle(), 0u);
  EXPECT_NE(first->handle(), second->handle());
  // No event loop runs here: the command must not wait for one.
  EXPECT_EQ(SendCommand(first->handle(), 42, 1000), 1);
  EXPECT_EQ(seen, std::vector<WORD>{42});
  HWND gone = second->handle();
  second.reset();
  EXPECT_EQ(SendCommand(gone, 42, 1000), 0);
}

}  // namespace
}  // namespace ossen
