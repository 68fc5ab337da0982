#include "platform/win32/named_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "test_support/child_process.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

// One byte at a time between parent and children; closing the sending end wakes every reader.
struct Channel {
  int fds[2] = {-1, -1};
  Channel() { EXPECT_EQ(::pipe(fds), 0); }
  ~Channel() { ::close(fds[0]), CloseSender(); }
  void Send(char c) { EXPECT_EQ(::write(fds[1], &c, 1), 1); }
  char Receive() {
    char c = 0;
    return ::read(fds[0], &c, 1) == 1 ? c : '\0';
  }
  void CloseSender() { ::close(std::exchange(fds[1], -1)); }
};

std::string Text(const MappedView& view) { return std::string(reinterpret_cast<char*>(view.data()), view.size()); }

class NamedMappingTest : public ::testing::Test {
 protected:
  // A host file holding `bytes` in the test folder, open read-write (closed by the process end).
  int MakeFile(const std::string& name, const std::string& bytes) {
    int fd = ::open(PathOf(name).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    return fd;
  }
  std::string PathOf(const std::string& name) const { return prefix_.root() + "/" + name; }
  NamedMapping CreateOver(const std::string& file, std::string_view name, LONG* error = nullptr,
                          bool readOnly = false) {
    return NamedMapping::Create(MakeFile(file, "0123456789"), PathOf(file), name, readOnly, true, error);
  }

  testing::TempPrefix prefix_;
};

TEST_F(NamedMappingTest, SecondCreatorOfALiveNameGetsTheLiveMapping) {
  LONG error = -1;
  NamedMapping created = CreateOver("first", "OSSEN_RUNNING", &error);
  ASSERT_TRUE(created.valid());
  EXPECT_EQ(error, ERROR_SUCCESS);
  MappedView view = created.MapView(true);
  std::memcpy(view.data(), "ABCD", 4);

  NamedMapping again = CreateOver("second", "OSSEN_RUNNING", &error);
  EXPECT_EQ(error, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Text(again.MapView(false)), "ABCD456789");

  created.Close();
  EXPECT_FALSE(NamedMapping::Open("OSSEN_RUNNING", true, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Text(view), "ABCD456789");  // views outlive the name
}

TEST_F(NamedMappingTest, AnotherProcessSeesTheBytesAndWritesBack) {
  Channel toParent, toChild;
  pid_t child = testing::StartInChild([&] {
    NamedMapping mapping = CreateOver("shared", "PEER");
    MappedView view = mapping.MapView(true);
    if (!view) return 2;
    std::memcpy(view.data(), "hello", 5);
    toParent.Send('r');
    return toChild.Receive() == 'w' && Text(view) == "world56789" ? 0 : 1;
  });
  ASSERT_EQ(toParent.Receive(), 'r');
  NamedMapping opened = NamedMapping::Open("PEER", true, nullptr);
  MappedView view = opened.MapView(true);
  ASSERT_TRUE(view);
  EXPECT_EQ(Text(view), "hello56789");
  std::memcpy(view.data(), "world", 5);
  toChild.Send('w');
  EXPECT_EQ(testing::ExitCodeOf(child), 0);

  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("PEER", true, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

TEST_F(NamedMappingTest, KilledCreatorLeavesNoLiveNameAndTheNextCreatorClearsUp) {
  Channel toParent;
  pid_t child = testing::StartInChild([&]() -> int {
    NamedMapping mapping = CreateOver("leftover.TMP", "GONE");
    toParent.Send(mapping.valid() ? 'r' : 'f');
    for (;;) ::pause();
  });
  ASSERT_EQ(toParent.Receive(), 'r');
  EXPECT_TRUE(NamedMapping::Open("GONE", false, nullptr).valid());
  ::kill(child, SIGKILL);
  EXPECT_EQ(testing::ExitCodeOf(child), 128 + SIGKILL);

  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("GONE", false, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(fs::exists(PathOf("leftover.TMP")));
  NamedMapping created = CreateOver("fresh", "GONE", &error);
  EXPECT_EQ(error, ERROR_SUCCESS);
  EXPECT_FALSE(fs::exists(PathOf("leftover.TMP")));  // the dead creator's temporary file
}

TEST_F(NamedMappingTest, ConcurrentCreatorsOfOneNameMakeExactlyOne) {
  constexpr int kCreators = 20;
  Channel start, results, release;
  std::vector<pid_t> children;
  for (int i = 0; i < kCreators; ++i) {
    children.push_back(testing::StartInChild([&, i] {
      start.CloseSender();
      start.Receive();  // everyone goes at once when the parent closes its end
      LONG error = -1;
      NamedMapping mapping = CreateOver("c" + std::to_string(i), "RACE", &error);
      results.Send(!mapping.valid() ? 'f' : error == ERROR_SUCCESS ? 'c' : error == ERROR_ALREADY_EXISTS ? 'e' : '?');
      release.CloseSender();
      release.Receive();
      return 0;
    }));
  }
  start.CloseSender();
  std::string outcome;
  for (int i = 0; i < kCreators; ++i) outcome += results.Receive();
  release.CloseSender();
  for (pid_t child : children) EXPECT_EQ(testing::ExitCodeOf(child), 0);
  EXPECT_EQ(std::count(outcome.begin(), outcome.end(), 'c'), 1) << outcome;
  EXPECT_EQ(std::count(outcome.begin(), outcome.end(), 'e'), kCreators - 1) << outcome;
}

TEST_F(NamedMappingTest, NamesArePerPrefix) {
  NamedMapping mine = CreateOver("backing", "OSSEN_RUNNING");
  ASSERT_TRUE(mine.valid());
  ::setenv("OSSEN_PREFIX", (prefix_.root() + "/other-prefix").c_str(), 1);
  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("OSSEN_RUNNING", true, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  NamedMapping theirs = CreateOver("other", "OSSEN_RUNNING", &error);
  EXPECT_EQ(error, ERROR_SUCCESS);
  ::setenv("OSSEN_PREFIX", prefix_.prefix().c_str(), 1);
}

TEST_F(NamedMappingTest, TableThatOthersCouldReachIsNotTrusted) {
  const std::string table = MappingTableDir();
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(fs::status(table).permissions() & fs::perms::all, fs::perms::owner_all);
  ::chmod(table.c_str(), 0755);
  LONG error = -1;
  EXPECT_FALSE(CreateOver("backing", "N", &error).valid());
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(NamedMapping::Open("N", false, &error).valid());
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);

  fs::remove_all(table);  // a link in its place, even to a private folder, is refused too
  fs::create_directory(PathOf("elsewhere"));
  ::chmod(PathOf("elsewhere").c_str(), 0700);
  fs::create_directory_symlink(PathOf("elsewhere"), table);
  EXPECT_EQ(MappingTableDir(), "");
}

TEST_F(NamedMappingTest, AnyNameStaysInsideTheTable) {
  LONG error = -1;
  NamedMapping odd = CreateOver("backing", "../../x/y", &error);
  EXPECT_EQ(error, ERROR_SUCCESS);
  EXPECT_TRUE(NamedMapping::Open("../../x/y", false, nullptr).valid());
  EXPECT_FALSE(NamedMapping::Open("..%2F..%2Fx%2Fy", false, nullptr).valid());  // no two names collide
  EXPECT_FALSE(fs::exists(PathOf("x")));

  EXPECT_FALSE(CreateOver("long", std::string(MAX_PATH, '.'), &error).valid());
  EXPECT_EQ(error, ERROR_INVALID_NAME);
  EXPECT_FALSE(NamedMapping::Open("", false, &error).valid());
  EXPECT_EQ(error, ERROR_INVALID_NAME);
}

TEST_F(NamedMappingTest, ProtectionAndEmptyFiles) {
  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Create(MakeFile("empty", ""), PathOf("empty"), "", false, false, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_INVALID);

  NamedMapping readOnly = CreateOver("backing", "RO", &error, true);
  EXPECT_FALSE(readOnly.MapView(true));
  EXPECT_EQ(Text(readOnly.MapView(false)), "0123456789");
  EXPECT_FALSE(NamedMapping::Open("RO", true, &error).valid());
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(NamedMapping::Open("RO", false, &error).valid());
}

TEST_F(NamedMappingTest, DamagedEntriesReadAsAbsent) {
  const std::string text = FormatMappingEntry({"/tmp/OS_1.TMP", 10, false, true});
  std::optional<MappingEntry> back = ParseMappingEntry(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->backingPath, "/tmp/OS_1.TMP");
  EXPECT_EQ(back->size, 10u);
  EXPECT_TRUE(back->temporary && !back->readOnly);

  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string damaged = text;
    return damaged.replace(damaged.find(from), from.size(), to);
  };
  for (const std::string& damaged :
       {text.substr(0, text.size() - 1), text + "x", replaced("size 10", "size 0"),
        replaced("size 10", "size 4294967296"), replaced("size 10", "size 1x"), replaced("size 10", "size 010"),
        replaced("readonly 0", "readonly 2"), replaced("path /", "path "), replaced("path /", "path tmp/"),
        replaced("temporary 1\n", ""), std::string(), replaced("ossen-mapping 1", "ossen-mapping 2")})
    EXPECT_FALSE(ParseMappingEntry(damaged)) << damaged;

  // A held name whose entry is damaged is absent, not a crash or a guess.
  NamedMapping held = CreateOver("backing", "BAD");
  fs::resize_file(MappingTableDir() + "/BAD.map", 5);
  LONG error = -1;
  EXPECT_FALSE(NamedMapping::Open("BAD", false, &error).valid());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace ossen
