#include "platform/named_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/prefix.h"
#include "platform/test/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

// Runs `body` in a forked child whose exit code is its result.
template <typename Body>
pid_t Spawn(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

int ExitCodeOf(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe used to pass one byte at a time between parent and child.
struct Channel {
  int fds[2] = {-1, -1};
  Channel() { EXPECT_EQ(::pipe(fds), 0); }
  ~Channel() {
    CloseRead();
    CloseWrite();
  }
  void Send(char c) { EXPECT_EQ(::write(fds[1], &c, 1), 1); }
  char Receive() {
    char c = 0;
    return ::read(fds[0], &c, 1) == 1 ? c : '\0';
  }
  void CloseRead() {
    if (fds[0] >= 0) ::close(fds[0]);
    fds[0] = -1;
  }
  void CloseWrite() {
    if (fds[1] >= 0) ::close(fds[1]);
    fds[1] = -1;
  }
};

class NamedMappingTest : public ::testing::Test {
 protected:
  // A host file of `bytes` in the test folder, opened read-write.
  int MakeFile(const std::string& name, const std::string& bytes) {
    std::string path = prefix_.root() + "/" + name;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    fds_.push_back(fd);
    return fd;
  }
  std::string PathOf(const std::string& name) const { return prefix_.root() + "/" + name; }

  void TearDown() override {
    for (int fd : fds_) ::close(fd);
  }

  testing::TempPrefix prefix_;
  std::vector<int> fds_;
};

std::string Text(const MappedView& view) { return std::string(reinterpret_cast<char*>(view.data()), view.size()); }

TEST_F(NamedMappingTest, OpenerAndCreatorInOneProcessShareTheBytes) {
  int fd = MakeFile("backing", "0123456789");
  LONG error = -1;
  NamedMapping created = NamedMapping::Create(fd, PathOf("backing"), "OSSEN_RUNNING", false, false, &error);
  ASSERT_TRUE(created.valid());
  EXPECT_EQ(error, ERROR_SUCCESS);
  EXPECT_EQ(created.size(), 10u);

  NamedMapping opened = NamedMapping::Open("OSSEN_RUNNING", true, &error);
  ASSERT_TRUE(opened.valid());
  MappedView mine = created.MapView(true);
  MappedView theirs = opened.MapView(true);
  ASSERT_TRUE(mine && theirs);
  std::memcpy(mine.data(), "ABCD", 4);
  EXPECT_EQ(Text(theirs), "ABCD456789");

  // A second creation of a live name hands back the live mapping and says so.
  int other = MakeFile("other", "zzzzzzzzzzzzzzzz");
  NamedMapping again = NamedMapping::Create(other, PathOf("other"), "OSSEN_RUNNING", false, false, &error);
  EXPECT_EQ(error, ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(again.valid());
  EXPECT_EQ(Text(again.MapView(false)), "ABCD456789");

  created.Close();
  EXPECT_FALSE(NamedMapping::Open("OSSEN_RUNNING", true, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Text(theirs), "ABCD456789");  // views outlive the name
}

TEST_F(NamedMappingTest, AnotherProcessSeesTheBytesAndWritesBack) {
  Channel toParent, toChild;
  pid_t child = Spawn([&] {
    int fd = MakeFile("shared", "hello.....");
    NamedMapping mapping = NamedMapping::Create(fd, PathOf("shared"), "PEER", false, true, nullptr);
    MappedView view = mapping.MapView(true);
    if (!view) return 2;
    toParent.Send('r');
    if (toChild.Receive() != 'w') return 3;
    return Text(view) == "world....." ? 0 : 1;
  });
  ASSERT_EQ(toParent.Receive(), 'r');

  LONG error = -1;
  NamedMapping opened = NamedMapping::Open("PEER", true, &error);
  ASSERT_TRUE(opened.valid()) << error;
  MappedView view = opened.MapView(true);
  ASSERT_TRUE(view);
  EXPECT_EQ(Text(view), "hello.....");
  std::memcpy(view.data(), "world", 5);
  toChild.Send('w');
  EXPECT_EQ(ExitCodeOf(child), 0);

  EXPECT_FALSE(NamedMapping::Open("PEER", true, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

TEST_F(NamedMappingTest, KilledCreatorLeavesNoLiveName) {
  Channel toParent;
  pid_t child = Spawn([&]() -> int {
    int fd = MakeFile("leftover.TMP", "0123456789");
    NamedMapping mapping = NamedMapping::Create(fd, PathOf("leftover.TMP"), "GONE", false, true, nullptr);
    toParent.Send(mapping.valid() ? 'r' : 'f');
    for (;;) ::pause();
  });
  ASSERT_EQ(toParent.Receive(), 'r');
  EXPECT_TRUE(NamedMapping::Open("GONE", false, nullptr).valid());
  ::kill(child, SIGKILL);
  EXPECT_EQ(ExitCodeOf(child), 128 + SIGKILL);

  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("GONE", false, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(fs::exists(PathOf("leftover.TMP")));

  // The next creator gets the name and clears the dead one's temporary file.
  int fd = MakeFile("fresh", "abc");
  NamedMapping created = NamedMapping::Create(fd, PathOf("fresh"), "GONE", false, true, &error);
  EXPECT_TRUE(created.valid());
  EXPECT_EQ(error, ERROR_SUCCESS);
  EXPECT_FALSE(fs::exists(PathOf("leftover.TMP")));
  EXPECT_EQ(NamedMapping::Open("GONE", false, nullptr).size(), 3u);
}

TEST_F(NamedMappingTest, ConcurrentCreatorsOfOneNameMakeExactlyOne) {
  constexpr int kCreators = 20;
  Channel start, results, release;
  std::vector<pid_t> children;
  for (int i = 0; i < kCreators; ++i) {
    children.push_back(Spawn([&, i] {
      start.CloseWrite();
      start.Receive();  // everyone goes at once when the parent closes its end
      std::string file = "c" + std::to_string(i);
      int fd = MakeFile(file, "0123456789");
      LONG error = -1;
      NamedMapping mapping = NamedMapping::Create(fd, PathOf(file), "RACE", false, true, &error);
      results.Send(!mapping.valid() ? 'f' : error == ERROR_SUCCESS ? 'c' : error == ERROR_ALREADY_EXISTS ? 'e' : '?');
      release.CloseWrite();
      release.Receive();
      return 0;
    }));
  }
  start.CloseWrite();
  std::string outcome;
  for (int i = 0; i < kCreators; ++i) outcome += results.Receive();
  release.CloseWrite();
  for (pid_t child : children) EXPECT_EQ(ExitCodeOf(child), 0);

  EXPECT_EQ(std::count(outcome.begin(), outcome.end(), 'c'), 1) << outcome;
  EXPECT_EQ(std::count(outcome.begin(), outcome.end(), 'e'), kCreators - 1) << outcome;
  EXPECT_FALSE(NamedMapping::Open("RACE", false, nullptr).valid());
}

TEST_F(NamedMappingTest, NamesArePerPrefix) {
  int fd = MakeFile("backing", "0123456789");
  NamedMapping mine = NamedMapping::Create(fd, PathOf("backing"), "OSSEN_RUNNING", false, false, nullptr);
  ASSERT_TRUE(mine.valid());

  std::string other = prefix_.root() + "/other-prefix";
  ::setenv("OSSEN_PREFIX", other.c_str(), 1);
  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("OSSEN_RUNNING", true, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  NamedMapping theirs = NamedMapping::Create(fd, PathOf("backing"), "OSSEN_RUNNING", false, false, &error);
  EXPECT_EQ(error, ERROR_SUCCESS);
  ::setenv("OSSEN_PREFIX", prefix_.prefix().c_str(), 1);
}

TEST_F(NamedMappingTest, TableThatOthersCouldReachIsRefused) {
  const std::string table = MappingTableDir();
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(fs::status(table).permissions() & fs::perms::all, fs::perms::owner_all);
  int fd = MakeFile("backing", "0123456789");
  LONG error = -1;

  ::chmod(table.c_str(), 0755);
  EXPECT_EQ(MappingTableDir(), "");
  EXPECT_FALSE(NamedMapping::Create(fd, PathOf("backing"), "N", false, false, &error).valid());
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(NamedMapping::Open("N", false, &error).valid());
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);

  // A link in its place is not trusted either, even to a private folder.
  fs::remove_all(table);
  fs::create_directory(prefix_.root() + "/elsewhere");
  ::chmod((prefix_.root() + "/elsewhere").c_str(), 0700);
  fs::create_directory_symlink(prefix_.root() + "/elsewhere", table);
  EXPECT_EQ(MappingTableDir(), "");
}

TEST_F(NamedMappingTest, NamesStayInsideTheTable) {
  int fd = MakeFile("backing", "0123456789");
  LONG error = -1;
  NamedMapping odd = NamedMapping::Create(fd, PathOf("backing"), "../../x/y", false, false, &error);
  ASSERT_TRUE(odd.valid());
  EXPECT_EQ(error, ERROR_SUCCESS);
  EXPECT_TRUE(NamedMapping::Open("../../x/y", false, nullptr).valid());
  EXPECT_FALSE(NamedMapping::Open("..%2F..%2Fx%2Fy", false, nullptr).valid());
  for (const auto& item : fs::directory_iterator(MappingTableDir()))
    EXPECT_EQ(item.path().filename().string().find('/'), std::string::npos);
  EXPECT_FALSE(fs::exists(prefix_.root() + "/x"));

  EXPECT_FALSE(NamedMapping::Create(fd, PathOf("backing"), std::string(MAX_PATH, '.'), false, false, &error).valid());
  EXPECT_EQ(error, ERROR_INVALID_NAME);
  EXPECT_FALSE(NamedMapping::Open("", false, &error).valid());
  EXPECT_EQ(error, ERROR_INVALID_NAME);
}

TEST_F(NamedMappingTest, ProtectionAndEmptyFiles) {
  LONG error = -1;
  int empty = MakeFile("empty", "");
  EXPECT_FALSE(NamedMapping::Create(empty, PathOf("empty"), "", false, false, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_INVALID);

  int fd = MakeFile("backing", "0123456789");
  NamedMapping unnamed = NamedMapping::Create(fd, PathOf("backing"), "", true, false, &error);
  ASSERT_TRUE(unnamed.valid());
  EXPECT_FALSE(unnamed.MapView(true));
  EXPECT_EQ(Text(unnamed.MapView(false)), "0123456789");

  NamedMapping readOnly = NamedMapping::Create(fd, PathOf("backing"), "RO", true, false, &error);
  ASSERT_TRUE(readOnly.valid());
  EXPECT_FALSE(NamedMapping::Open("RO", true, &error).valid());
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(NamedMapping::Open("RO", false, &error).valid());
}

TEST_F(NamedMappingTest, DamagedEntriesReadAsAbsent) {
  const MappingEntry entry{"/tmp/OS_1.TMP", 10, false, true};
  std::string text = FormatMappingEntry(entry);
  std::optional<MappingEntry> back = ParseMappingEntry(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->backingPath, entry.backingPath);
  EXPECT_EQ(back->size, 10u);
  EXPECT_TRUE(back->temporary);
  EXPECT_FALSE(back->readOnly);

  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string damaged = text;
    damaged.replace(damaged.find(from), from.size(), to);
    return damaged;
  };
  for (const std::string& damaged :
       {text.substr(0, text.size() - 1), text + "x", replaced("size 10", "size 0"),
        replaced("size 10", "size 4294967296"), replaced("size 10", "size 1x"), replaced("size 10", "size 010"), replaced("size 10", "size "),
        replaced("readonly 0", "readonly 2"), replaced("path /", "path "), replaced("path /", "path tmp/"),
        replaced("temporary 1\n", ""), std::string(), replaced("ossen-mapping 1", "ossen-mapping 2")})
    EXPECT_FALSE(ParseMappingEntry(damaged)) << damaged;

  // A held name whose entry is damaged is absent, not a crash or a guess.
  int fd = MakeFile("backing", "0123456789");
  NamedMapping held = NamedMapping::Create(fd, PathOf("backing"), "BAD", false, false, nullptr);
  ASSERT_TRUE(held.valid());
  fs::resize_file(MappingTableDir() + "/BAD.map", 5);
  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("BAD", false, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace ossen
