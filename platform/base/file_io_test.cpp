#include "platform/base/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FileIo, ReadsWhatWasWrittenAndRefusesMissingOrOversizedFiles) {
  testing::TempPrefix temp;
  std::string path = temp.programDir() + "/f.bin";
  Bytes out;
  EXPECT_EQ(ReadFileBytes(path, 100, out), ReadResult::kMissing);

  Bytes data = {1, 2, 3, 0, 255};
  ASSERT_TRUE(WriteFileAtomically(path, data.data(), data.size()));
  ASSERT_EQ(ReadFileBytes(path, 100, out), ReadResult::kOk);
  EXPECT_EQ(out, data);
  EXPECT_EQ(ReadFileBytes(path, 4, out), ReadResult::kTooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ReadFileBytes(temp.programDir(), 100, out), ReadResult::kError);  // a folder
}

TEST(FileIo, ReplacingKeepsTheModeAndLeavesNoTemporaryFiles) {
  testing::TempPrefix temp;
  std::string path = temp.programDir() + "/f.bin";
  ASSERT_TRUE(WriteFileAtomically(path, "a", 1));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "bcd", 3));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_size, 3);
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(temp.programDir())) entries += e.is_regular_file();
  EXPECT_EQ(entries, 1);
}

TEST(FileIo, AFailedWriteLeavesTheOldFileAsItWas) {
  testing::TempPrefix temp;
  std::string path = temp.programDir() + "/sub/f.bin";  // folder does not exist
  EXPECT_FALSE(WriteFileAtomically(path, "x", 1));

  std::string kept = temp.programDir() + "/kept.bin";
  ASSERT_TRUE(WriteFileAtomically(kept, "old", 3));
  ASSERT_EQ(::chmod(temp.programDir().c_str(), 0500), 0);  // no new files in the folder
  bool wrote = WriteFileAtomically(kept, "new!", 4);
  ::chmod(temp.programDir().c_str(), 0700);
  if (::geteuid() != 0) {
    EXPECT_FALSE(wrote);  // root ignores the folder's mode
  }
  Bytes out;
  ASSERT_EQ(ReadFileBytes(kept, 100, out), ReadResult::kOk);
  EXPECT_EQ(out.size(), wrote ? 4u : 3u);
}

// Parts in more than one writev (over IOV_MAX of them, some empty, one repeated) make
// the file in order; a writer that ends without Commit leaves the old file and no other.
TEST(FileIo, AWriterInPartsMakesTheirConcatenationOnlyOnCommit) {
  testing::TempPrefix temp;
  const std::string path = temp.programDir() + "/f.bin";
  ASSERT_TRUE(WriteFileAtomically(path, "old", 3));
  {
    AtomicFileWriter abandoned(path);
    struct iovec part{const_cast<char*>("new"), 3};
    ASSERT_TRUE(abandoned.Write(&part, 1));
  }
  Bytes out;
  ASSERT_EQ(ReadFileBytes(path, 100, out), ReadResult::kOk);
  EXPECT_EQ(out, (Bytes{'o', 'l', 'd'}));

  std::uint8_t row[3] = {7, 8, 9};
  std::vector<struct iovec> parts;
  Bytes expected;
  for (int i = 0; i < 3000; ++i) {
    const std::size_t length = static_cast<std::size_t>(i % 4);  // 0 to 3 bytes
    parts.push_back({row, length});
    expected.insert(expected.end(), row, row + length);
  }
  AtomicFileWriter writer(path);
  ASSERT_TRUE(writer.Write(parts.data(), static_cast<int>(parts.size())));
  ASSERT_TRUE(writer.Commit());
  EXPECT_FALSE(writer.Commit());
  ASSERT_EQ(ReadFileBytes(path, 1 << 20, out), ReadResult::kOk);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.programDir()), {}), 1);
}

std::vector<std::string> LeftoversOf(const std::string& folder, const std::string& fileName) {
  std::vector<std::string> found;
  for (auto& e : std::filesystem::directory_iterator(folder))
    if (IsWriteLeftoverOf(e.path().filename().string(), fileName)) found.push_back(e.path().string());
  return found;
}

void MakeOld(const std::string& path) {
  struct timespec times[2] = {{::time(nullptr) - 2 * kLeftoverMinAgeSeconds, 0},
                              {::time(nullptr) - 2 * kLeftoverMinAgeSeconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(FileIo, RecognisesOnlyItsOwnTemporaryNames) {
  EXPECT_TRUE(IsWriteLeftoverOf("data.bin.tmp.4711.BsYzoK", "data.bin"));
  EXPECT_FALSE(IsWriteLeftoverOf("data.bin.tmp.4711.BsYzo", "data.bin"));    // five characters
  EXPECT_FALSE(IsWriteLeftoverOf("data.bin.tmp..BsYzoK", "data.bin"));       // no pid
  EXPECT_FALSE(IsWriteLeftoverOf("data.bin.tmp.47x1.BsYzoK", "data.bin"));
  EXPECT_FALSE(IsWriteLeftoverOf("data.bin.tmp.4711.Bs-zoK", "data.bin"));
  EXPECT_FALSE(IsWriteLeftoverOf("data.bin.backup", "data.bin"));            // a person's file
  EXPECT_FALSE(IsWriteLeftoverOf("user.reg.tmp.4711.BsYzoK", "data.bin"));   // another file's
  EXPECT_FALSE(IsWriteLeftoverOf("data.bin", "data.bin"));
}

// A child saves a large file over and over and is killed with SIGKILL at some moment;
// sooner or later one kill falls between writing and renaming and leaves a temporary file.
TEST(FileIo, TheNextWriteRemovesWhatAKilledWriterLeftBehind) {
  testing::TempPrefix temp;
  const std::string path = temp.programDir() + "/data.bin";
  const Bytes big(16u << 20, 0x5a);
  for (int attempt = 0; attempt < 200 && LeftoversOf(temp.programDir(), "data.bin").empty(); ++attempt) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) WriteFileAtomically(path, big.data(), big.size());
    }
    ::usleep(static_cast<useconds_t>(2000 + (attempt * 7919) % 30000));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  }
  std::vector<std::string> left = LeftoversOf(temp.programDir(), "data.bin");
  ASSERT_FALSE(left.empty()) << "no kill fell between write and rename";

  // Right after the kill the file is too young to tell from one whose writer has not yet
  // locked it: it stays. Once it is old, the next write removes it.
  ASSERT_TRUE(WriteFileAtomically(path, "new", 3));
  EXPECT_EQ(LeftoversOf(temp.programDir(), "data.bin").size(), left.size());
  for (const std::string& leftover : left) MakeOld(leftover);
  ASSERT_TRUE(WriteFileAtomically(path, "newer", 5));
  EXPECT_TRUE(LeftoversOf(temp.programDir(), "data.bin").empty());
  Bytes out;
  ASSERT_EQ(ReadFileBytes(path, 100, out), ReadResult::kOk);
  EXPECT_EQ(out, Bytes({'n', 'e', 'w', 'e', 'r'}));
}

// Another process still owns its temporary file (it holds the lock): however old the file
// looks, it is not touched, and it goes once that process has ended.
TEST(FileIo, ALiveWritersTemporaryFileIsKeptWhateverItsAge) {
  testing::TempPrefix temp;
  const std::string path = temp.programDir() + "/user.reg";
  const std::string theirs = path + ".tmp.99999.AbCdEf";
  const std::string others = temp.programDir() + "/user.reg.bak";
  ASSERT_TRUE(WriteFileAtomically(theirs, "half", 4));
  ASSERT_TRUE(WriteFileAtomically(others, "mine", 4));
  MakeOld(theirs);
  MakeOld(others);

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    int fd = ::open(theirs.c_str(), O_RDONLY);
    ::flock(fd, LOCK_EX);
    (void)!::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);

  ASSERT_TRUE(WriteFileAtomically(path, "REGEDIT4", 8));
  EXPECT_TRUE(std::filesystem::exists(theirs));
  ::kill(writer, SIGKILL);
  ASSERT_EQ(::waitpid(writer, nullptr, 0), writer);
  ASSERT_TRUE(WriteFileAtomically(path, "REGEDIT4", 8));
  EXPECT_FALSE(std::filesystem::exists(theirs));
  EXPECT_TRUE(std::filesystem::exists(others));  // not a temporary file of ours
}

TEST(FileIo, LeftoversOfAFileNamedWithoutAFolderAreFoundInTheCurrentOne) {
  testing::TempPrefix temp;  // the program folder is the current directory
  const std::string leftover = temp.programDir() + "/rel.bin.tmp.1.AbCdEf";
  ASSERT_TRUE(WriteFileAtomically(leftover, "x", 1));
  MakeOld(leftover);
  ASSERT_TRUE(WriteFileAtomically("rel.bin", "y", 1));
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_TRUE(std::filesystem::exists(temp.programDir() + "/rel.bin"));
}

}  // namespace
}  // namespace ossen
