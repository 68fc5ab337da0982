#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/test/temp_prefix.h"

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

}  // namespace
}  // namespace ossen
