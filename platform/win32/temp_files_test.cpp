#include "platform/win32/temp_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

TEST(GetTempFileName, FormsWindowsNamesWithAGivenNumber) {
  testing::TempPrefix temp;
  char out[MAX_PATH];
  EXPECT_EQ(GetTempFileName("C:\\WINDOWS\\TEMP\\", "OS_", 0x1A2B, out), 0x1A2Bu);
  EXPECT_STREQ(out, "C:\\WINDOWS\\TEMP\\OS_1A2B.TMP");
  EXPECT_FALSE(fs::exists(HostPathFromWin(out)));  // a given number only names the file

  EXPECT_EQ(GetTempFileName("C:\\WINDOWS\\TEMP", "JPGEXTRA", 0xabc, out), 0xabcu);
  EXPECT_STREQ(out, "C:\\WINDOWS\\TEMP\\JPGABC.TMP");
  EXPECT_EQ(GetTempFileName("c:\\", "", 0x12345, out), 0x12345u);  // low 16 bits only
  EXPECT_STREQ(out, "c:\\2345.TMP");
  EXPECT_EQ(GetTempFileName("c:\\", nullptr, 1, out), 1u);
  EXPECT_STREQ(out, "c:\\1.TMP");
}

TEST(GetTempFileName, FailsWithAnEmptyNameRatherThanAnUnsetOne) {
  testing::TempPrefix temp;
  char out[MAX_PATH];
  std::string longFolder = "C:\\" + std::string(MAX_PATH - 12, 'a');
  struct Case {
    const char* folder;
    UINT unique;
  };
  for (Case bad : {Case{longFolder.c_str(), 0x1234}, Case{longFolder.c_str(), 0}, Case{"C:\\missing\\", 0},
                   Case{"D:\\", 0}}) {
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(GetTempFileName(bad.folder, "OS_", bad.unique, out), 0u) << bad.folder;
    EXPECT_STREQ(out, "");
  }
  EXPECT_EQ(GetTempFileName(nullptr, "OS_", 0, out), 0u);
  EXPECT_EQ(GetTempFileName("C:\\", "OS_", 0, nullptr), 0u);
}

TEST(GetTempFileName, CreatesAPrivateFileUnderAFreeNumber) {
  testing::TempPrefix temp;
  char out[MAX_PATH];
  UINT number = GetTempFileName("C:\\WINDOWS\\TEMP\\", "OS_", 0, out);
  ASSERT_NE(number, 0u);
  ASSERT_LE(number, 0xFFFFu);
  char expected[MAX_PATH];
  std::snprintf(expected, sizeof expected, "C:\\WINDOWS\\TEMP\\OS_%X.TMP", number);
  EXPECT_STREQ(out, expected);
  struct stat st {};
  ASSERT_EQ(::stat(HostPathFromWin(out).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(st.st_size, 0);

  // A name already taken in another case is not handed out again.
  std::string lowerName = std::string(expected + 16);
  for (char& c : lowerName) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  fs::rename(HostPathFromWin(out), DriveCDir() + "/WINDOWS/TEMP/" + lowerName);
  char again[MAX_PATH];
  EXPECT_NE(GetTempFileName("C:\\WINDOWS\\TEMP\\", "OS_", 0, again), number);
}

std::vector<std::string> MakeNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char out[MAX_PATH];
    if (MakeTempFileName("OS_", out) == 0) break;
    names.emplace_back(out);
  }
  return names;
}

TEST(MakeTempFileName, TwoProcessesAtOnceNeverShareAName) {
  testing::TempPrefix temp;
  constexpr int kEach = 300;
  std::string childList = temp.root() + "/child-names";
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::ofstream out(childList);
    for (const std::string& name : MakeNames(kEach)) out << name << "\n";
    out.close();
    ::_exit(0);
  }
  std::vector<std::string> names = MakeNames(kEach);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream in(childList);
  for (std::string line; std::getline(in, line);) names.push_back(line);

  ASSERT_EQ(names.size(), 2u * kEach);
  std::set<std::string> unique(names.begin(), names.end());
  EXPECT_EQ(unique.size(), names.size());
  std::regex pattern(R"(C:\\WINDOWS\\TEMP\\OS_[0-9A-F]{1,4}\.TMP)");
  for (const std::string& name : names) EXPECT_TRUE(std::regex_match(name, pattern)) << name;
  std::size_t files = std::distance(fs::directory_iterator(DriveCDir() + "/WINDOWS/TEMP"), fs::directory_iterator());
  EXPECT_EQ(files, names.size());
}

TEST(MakeTempFileName, KeepsTheCurrentDirectoryAndDefaultsThePrefix) {
  testing::TempPrefix temp;
  std::string before = fs::current_path().string();
  char out[MAX_PATH];
  ASSERT_NE(MakeTempFileName(nullptr, out), 0u);
  EXPECT_EQ(std::string(out).rfind("C:\\WINDOWS\\TEMP\\TMP", 0), 0u) << out;
  EXPECT_EQ(fs::current_path().string(), before);
}

TEST(MakeTempFileName, FallsBackToTheDriveRootWithoutATemporaryFolder) {
  testing::TempPrefix temp;
  PrefixDir();
  fs::remove_all(DriveCDir() + "/WINDOWS/TEMP");
  char out[MAX_PATH];
  ASSERT_NE(MakeTempFileName("JPG", out), 0u);
  EXPECT_EQ(std::string(out).rfind("c:\\JPG", 0), 0u) << out;
  EXPECT_TRUE(fs::is_regular_file(HostPathFromWin(out)));
}

}  // namespace
}  // namespace ossen
