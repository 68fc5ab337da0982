#include "platform/win32/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/win32/prefix.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

void MakeFile(const std::string& hostPath, fs::perms perms = fs::perms::owner_read | fs::perms::owner_write) {
  fs::create_directories(fs::path(hostPath).parent_path());
  std::ofstream(hostPath) << "x";
  fs::permissions(hostPath, perms);
}

std::string Cwd() { return fs::current_path().string(); }

TEST(HostPathFromWin, MapsDrivesAndFoldsSeparatorsAndCase) {
  testing::TempPrefix temp;
  std::string c = DriveCDir();
  EXPECT_EQ(HostPathFromWin("C:\\WINDOWS\\system.ini"), c + "/WINDOWS/system.ini");
  EXPECT_EQ(HostPathFromWin("c:/WINDOWS//SYSTEM\\\\x"), c + "/WINDOWS/SYSTEM/x");
  EXPECT_EQ(HostPathFromWin("C:\\"), c);
  EXPECT_EQ(HostPathFromWin("Z:\\tmp\\x"), "/tmp/x");
  EXPECT_EQ(HostPathFromWin("z:\\"), "/");
}

TEST(HostPathFromWin, DotsNeverClimbAboveTheDriveRoot) {
  testing::TempPrefix temp;
  std::string c = DriveCDir();
  EXPECT_EQ(HostPathFromWin("C:\\..\\.."), c);
  EXPECT_EQ(HostPathFromWin("C:\\..\\..\\etc\\passwd"), c + "/etc/passwd");
  EXPECT_EQ(HostPathFromWin("C:\\WINDOWS\\.\\..\\..\\..\\WINDOWS\\win.ini"), c + "/WINDOWS/win.ini");
  EXPECT_EQ(HostPathFromWin("Z:\\..\\tmp"), "/tmp");
  ASSERT_TRUE(SetCurrentDirectory("C:\\WINDOWS"));
  EXPECT_EQ(HostPathFromWin("..\\..\\..\\x"), c + "/x");
}

TEST(HostPathFromWin, RefusesWhatHasNoHostPath) {
  testing::TempPrefix temp;
  for (const char* path : {"", "D:\\x", "a:", "\\\\server\\share\\x", "//server/share", "\\\\?\\C:\\x"})
    EXPECT_EQ(HostPathFromWin(path), "") << path;
  EXPECT_EQ(HostPathFromWin(std::string_view("C:\\a\0b", 6)), "");
}

TEST(HostPathFromWin, RelativePathsStartAtTheCurrentDirectory) {
  testing::TempPrefix temp;
  std::string here = Cwd();  // under the host's temporary folder: drive Z:
  EXPECT_EQ(HostPathFromWin("data.bin"), here + "/data.bin");
  EXPECT_EQ(HostPathFromWin(".\\sub\\..\\data.bin"), here + "/data.bin");
  EXPECT_EQ(HostPathFromWin("\\etc"), "/etc");  // root of the current drive, Z:
  EXPECT_EQ(HostPathFromWin("Z:data.bin"), here + "/data.bin");
  EXPECT_EQ(HostPathFromWin("C:data.bin"), DriveCDir() + "/data.bin");  // other drive: its root

  ASSERT_TRUE(SetCurrentDirectory("C:\\WINDOWS"));
  EXPECT_EQ(HostPathFromWin("\\x"), DriveCDir() + "/x");
  EXPECT_EQ(HostPathFromWin("c:SYSTEM"), DriveCDir() + "/WINDOWS/SYSTEM");
}

TEST(HostPathFromWin, FindsExistingNamesInAnyCaseAndKeepsNewOnes) {
  testing::TempPrefix temp;
  std::string here = Cwd();
  MakeFile(here + "/Folder/ossen.exe");
  EXPECT_EQ(HostPathFromWin("FOLDER\\Ossen.EXE"), here + "/Folder/ossen.exe");
  EXPECT_EQ(HostPathFromWin("folder\\New.txt"), here + "/Folder/New.txt");
  EXPECT_EQ(HostPathFromWin("other\\Folder\\ossen.exe"), here + "/other/Folder/ossen.exe");
  // The exact spelling wins over another case, and the choice among others is stable.
  MakeFile(here + "/Folder/OSSEN.EXE");
  EXPECT_EQ(HostPathFromWin("folder\\OSSEN.EXE"), here + "/Folder/OSSEN.EXE");
  EXPECT_EQ(HostPathFromWin("folder\\Ossen.exe"), here + "/Folder/OSSEN.EXE");
}

TEST(WinPathFromHost, NamesDriveCInsideThePrefixAndZElsewhere) {
  testing::TempPrefix temp;
  std::string c = DriveCDir();
  EXPECT_EQ(WinPathFromHost(c + "/WINDOWS/system.ini"), "C:\\WINDOWS\\system.ini");
  EXPECT_EQ(WinPathFromHost(c), "C:\\");
  EXPECT_EQ(WinPathFromHost(c + "/"), "C:\\");
  EXPECT_EQ(WinPathFromHost("/tmp/x"), "Z:\\tmp\\x");
  EXPECT_EQ(WinPathFromHost("/"), "Z:\\");
  std::string sibling = "Z:" + c + "_other/x";  // shares drive_c's name as text only
  std::replace(sibling.begin(), sibling.end(), '/', '\\');
  EXPECT_EQ(WinPathFromHost(c + "_other/x"), sibling);
  EXPECT_EQ(WinPathFromHost(""), "");
  std::string relative = WinPathFromHost("data.bin");
  EXPECT_EQ(HostPathFromWin(relative), Cwd() + "/data.bin");
}

TEST(FindProgramHostPath, FindsTheHostExecutableWithoutTheWindowsExtension) {
  testing::TempPrefix temp;
  std::string here = Cwd();
  MakeFile(here + "/ossen", fs::perms::owner_all);
  MakeFile(here + "/notes.txt");
  MakeFile(here + "/tool.exe", fs::perms::owner_all);
  EXPECT_EQ(FindProgramHostPath("ossen.exe"), here + "/ossen");
  EXPECT_EQ(FindProgramHostPath("OSSEN.SCR"), here + "/ossen");
  EXPECT_EQ(FindProgramHostPath("ossen"), here + "/ossen");
  EXPECT_EQ(FindProgramHostPath("TOOL.EXE"), here + "/tool.exe");
  EXPECT_EQ(FindProgramHostPath("notes.txt"), "");  // not executable
  EXPECT_EQ(FindProgramHostPath("missing.exe"), "");
  EXPECT_EQ(FindProgramHostPath(".exe"), "");
  EXPECT_EQ(FindProgramHostPath("D:\\ossen.exe"), "");
}

TEST(Win32Paths, CopyIntoBuffersAsWin32Does) {
  testing::TempPrefix temp;
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetWindowsDirectory(buffer, sizeof buffer), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
  EXPECT_TRUE(fs::is_directory(temp.prefix() + "/drive_c/WINDOWS"));
  EXPECT_EQ(GetSystemDirectory(buffer, sizeof buffer), 17u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(GetTempPath(sizeof buffer, buffer), 16u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\TEMP\\");
  EXPECT_EQ(WindowsDriveRoot(), "C:\\");

  // Exactly fitting, one short (the size needed comes back, nothing is written), none.
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetWindowsDirectory(buffer, 11), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetWindowsDirectory(buffer, 10), 11u);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(GetTempPath(0, nullptr), 17u);
}

TEST(Win32Paths, CurrentDirectoryIsTheProcessDirectory) {
  testing::TempPrefix temp;
  char buffer[MAX_PATH];
  ASSERT_TRUE(SetCurrentDirectory("c:\\windows\\system"));  // found in another case
  EXPECT_EQ(Cwd(), fs::canonical(DriveCDir() + "/WINDOWS/SYSTEM").string());
  EXPECT_EQ(GetCurrentDirectory(sizeof buffer, buffer), 17u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM");

  EXPECT_FALSE(SetCurrentDirectory("C:\\missing"));
  EXPECT_FALSE(SetCurrentDirectory("D:\\"));
  EXPECT_FALSE(SetCurrentDirectory(nullptr));
  EXPECT_EQ(GetCurrentDirectory(sizeof buffer, buffer), 17u);  // unchanged

  ASSERT_TRUE(SetCurrentDirectory(".."));
  EXPECT_EQ(GetCurrentDirectory(sizeof buffer, buffer), 10u);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetCurrentDirectory(5, buffer), 11u);
  EXPECT_EQ(buffer[0], '#');
}

}  // namespace
}  // namespace ossen
