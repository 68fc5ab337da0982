// Installing from a payload of stand-in programs into a temporary prefix and taking it away
// again: what lands where, what a second installation keeps, and that removal takes only
// what is ours.
#include "setup/installer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "platform/win32/process.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "setup/menu_entry.h"
#include "setup/uninstaller.h"
#include "test_support/program_run.h"
#include "test_support/temp_prefix.h"

namespace ossen::setup {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadValue(HKEY root, const char* key, const char* name) {
  char buffer[MAX_PATH] = "";
  RegReadString(root, key, name, buffer, sizeof buffer);
  return buffer;
}

bool ValueExists(HKEY root, const char* keyPath, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueEx(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 250 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return fs::exists(path);
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_DATA_HOME", (fs::path(prefix_.root()) / "data").c_str(), 1);
    payload_ = fs::path(prefix_.root()) / "disc";
    // Programs that record how they were started.
    for (const char* name : {product::kProgramFile, product::kUninstallerFile, product::kSaverFile}) {
      WriteText(payload_ / name, "#!/bin/sh\necho \"$@\" > \"" + (fs::path(prefix_.root()) / name).string() +
                                     ".started\"\n");
      fs::permissions(payload_ / name, fs::perms::owner_all);
    }
    WriteText(payload_ / product::kPictureLibraryFile, "library v1");
    drive_ = DriveCDir();
    folder_ = drive_ / "Program Files" / "Brantwell Software" / "Vintra Ossens Screen Savers";
  }
  void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

  InstallResult InstallDefault() { return Install({payload_.string(), product::kDefaultInstallFolder, {'P', 'N', 'G'}}); }
  fs::path Started(const char* name) const { return fs::path(prefix_.root()) / (std::string(name) + ".started"); }

  testing::TempPrefix prefix_;
  fs::path payload_;
  fs::path drive_;
  fs::path folder_;
};

TEST_F(InstallerTest, InstallLeavesEveryFileValueAndEntry) {
  const InstallResult result = InstallDefault();
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.folder, product::kDefaultInstallFolder);

  EXPECT_EQ(ReadText(folder_ / "OssenDLL.rcc"), "library v1");
  for (const fs::path& program : {folder_ / "ossen", folder_ / "uninst", drive_ / "WINDOWS" / "SYSTEM" / "ossen.scr"}) {
    EXPECT_TRUE(fs::is_regular_file(program)) << program;
    EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none) << program;
  }
  // No staging file is left behind.
  for (const auto& entry : fs::directory_iterator(folder_)) EXPECT_FALSE(entry.path().filename().string().starts_with(".setup"));

  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue), product::kDefaultInstallFolder);
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue),
            std::string("\"") + product::kDefaultInstallFolder + "\\UNINST.EXE\"");
  EXPECT_EQ(ReadText(drive_ / "WINDOWS" / "X7352.INI"), std::string("[X7352]\r\nINSTALLDIR=") + product::kDefaultInstallFolder + "\r\n");

  const MenuEntryFiles menu = MenuEntryFilesForPrefix();
  const std::string entry = ReadText(menu.desktopFile);
  EXPECT_NE(entry.find("\nName=Vintra Ossens Screen Savers\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Exec=env OSSEN_PREFIX=" + prefix_.prefix() + " \"" + (folder_ / "ossen").string() + "\"\n"),
            std::string::npos)
      << entry;
  EXPECT_EQ(ReadText(menu.iconFile), "PNG");
  EXPECT_TRUE(menu.iconFile.ends_with("/icons/hicolor/48x48/apps/" + fs::path(menu.desktopFile).stem().string() + ".png"));
}

TEST_F(InstallerTest, EveryCommandLineMadeFromTheFolderWithBlanksStartsItsProgram) {
  ASSERT_TRUE(InstallDefault().ok);
  // The logon entry the program writes from "sourcepath", unquoted as it stands.
  const std::string run = ReadValue(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue) + "\\ossen.exe -h";
  EXPECT_GE(WinExec(run.c_str(), SW_SHOW), 32u);
  ASSERT_TRUE(WaitForFile(Started("ossen")));
  EXPECT_EQ(ReadText(Started("ossen")), "-h\n");

  // The uninstaller's line is quoted: a program named by its first words is not started instead.
  WriteText(drive_ / "Program", "#!/bin/sh\ntouch \"" + (fs::path(prefix_.root()) / "wrong").string() + "\"\n");
  fs::permissions(drive_ / "Program", fs::perms::owner_all);
  EXPECT_GE(WinExec(ReadValue(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue).c_str(), SW_SHOW), 32u);
  ASSERT_TRUE(WaitForFile(Started("uninst")));
  EXPECT_FALSE(fs::exists(fs::path(prefix_.root()) / "wrong"));
}

TEST_F(InstallerTest, ASecondInstallReplacesTheFilesAndKeepsScheduleAndFirstBackup) {
  WriteText(drive_ / "logo.sys", "the system's own boot picture");
  ASSERT_TRUE(InstallDefault().ok);
  EXPECT_EQ(ReadText(drive_ / "logo.bak"), "the system's own boot picture");

  // The program has since written its own picture and its schedule.
  WriteText(drive_ / "logo.sys", "a painting");
  WriteText(folder_ / "data.bin", "schedule");
  WriteText(payload_ / product::kPictureLibraryFile, "library v2");
  ASSERT_TRUE(Install({payload_.string(), std::string(product::kDefaultInstallFolder) + "\\", {}}).ok);

  EXPECT_EQ(ReadText(folder_ / "OssenDLL.rcc"), "library v2");
  EXPECT_EQ(ReadText(folder_ / "data.bin"), "schedule");
  EXPECT_EQ(ReadText(drive_ / "logo.bak"), "the system's own boot picture");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue), product::kDefaultInstallFolder);
}

TEST_F(InstallerTest, InstallingIntoAnotherFolderMovesTheScheduleAndTakesTheOldFolderAway) {
  EXPECT_EQ(ProposedFolder(), product::kDefaultInstallFolder);
  ASSERT_TRUE(InstallDefault().ok);
  WriteText(folder_ / "data.bin", "schedule");
  WriteText(folder_ / "ossen.bmp", "wallpaper");
  const std::string wallpaper = std::string(product::kDefaultInstallFolder) + "\\ossen.bmp";
  WritePrivateProfileString("Desktop", "Wallpaper", wallpaper.c_str(), "win.ini");
  const std::string elsewhere = "C:\\Games\\Ossen";
  // The window offers the installed folder, and says what another one does.
  EXPECT_EQ(ProposedFolder(), product::kDefaultInstallFolder);
  EXPECT_EQ(MoveNote(std::string(product::kDefaultInstallFolder) + "\\"), "");
  EXPECT_NE(MoveNote(elsewhere).find("moves your schedule"), std::string::npos) << MoveNote(elsewhere);

  const InstallResult moved = Install({payload_.string(), elsewhere, {}});
  ASSERT_TRUE(moved.ok) << moved.message;
  EXPECT_NE(moved.message.find("schedule came along"), std::string::npos) << moved.message;
  EXPECT_EQ(ReadText(drive_ / "Games" / "Ossen" / "data.bin"), "schedule");
  EXPECT_FALSE(fs::exists(drive_ / "Program Files" / "Brantwell Software")) << "the old folder stayed behind";
  char text[MAX_PATH] = "";
  GetPrivateProfileString("Desktop", "Wallpaper", "", text, sizeof text, "win.ini");
  EXPECT_STREQ(text, "(None)");
  EXPECT_EQ(ProposedFolder(), elsewhere);
  EXPECT_EQ(MoveNote(elsewhere), "");

  // A folder with a schedule of its own keeps it, and the earlier one stays where it is said.
  WriteText(drive_ / "Games" / "Ossen" / "data.bin", "moved schedule");
  WriteText(drive_ / "Other" / "data.bin", "its own schedule");
  EXPECT_NE(MoveNote("C:\\Other").find("stays behind in C:\\Games\\Ossen\\data.bin"), std::string::npos)
      << MoveNote("C:\\Other");
  const InstallResult again = Install({payload_.string(), "C:\\Other", {}});
  ASSERT_TRUE(again.ok) << again.message;
  EXPECT_NE(again.message.find("C:\\Games\\Ossen\\data.bin"), std::string::npos) << again.message;
  EXPECT_EQ(ReadText(drive_ / "Other" / "data.bin"), "its own schedule");
  EXPECT_EQ(ReadText(drive_ / "Games" / "Ossen" / "data.bin"), "moved schedule");
  EXPECT_FALSE(fs::exists(drive_ / "Games" / "Ossen" / "ossen"));

  // What is installed now is removed whole.
  Uninstall();
  EXPECT_FALSE(fs::exists(drive_ / "Other"));
}

TEST_F(InstallerTest, AnIncompleteDiscOrABadFolderInstallsNothing) {
  fs::remove(payload_ / product::kPictureLibraryFile);
  InstallResult result = InstallDefault();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("OssenDLL.rcc"), std::string::npos) << result.message;
  EXPECT_FALSE(fs::exists(drive_ / "Program Files"));
  EXPECT_FALSE(fs::exists(drive_ / "WINDOWS" / "X7352.INI"));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue), "");

  WriteText(payload_ / product::kPictureLibraryFile, "library v1");
  for (const char* folder : {"", "relative\\folder", "C:", "C:\\", "Q:\\Elsewhere", "C:\\a \"quoted\" name"}) {
    result = Install({payload_.string(), folder, {}});
    EXPECT_FALSE(result.ok) << folder;
    EXPECT_FALSE(result.message.empty()) << folder;
  }
  EXPECT_FALSE(fs::exists(drive_ / "WINDOWS" / "X7352.INI"));
}

TEST_F(InstallerTest, ACopyThatFailsLeavesTheEarlierInstallationWhole) {
  ASSERT_TRUE(InstallDefault().ok);
  WriteText(payload_ / product::kPictureLibraryFile, "library v2");
  // The screen saver cannot be put into the system folder (here a file stands in its place):
  // the files already staged for the program folder must not replace the old ones.
  fs::remove_all(drive_ / "WINDOWS" / "SYSTEM");
  WriteText(drive_ / "WINDOWS" / "SYSTEM", "not a folder");
  const InstallResult result = InstallDefault();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("ossen.scr"), std::string::npos) << result.message;
  EXPECT_EQ(ReadText(folder_ / "OssenDLL.rcc"), "library v1");
  for (const auto& entry : fs::directory_iterator(folder_)) EXPECT_FALSE(entry.path().filename().string().starts_with(".setup"));
}

TEST_F(InstallerTest, UninstallRemovesWhatWasInstalledAndWhatTheProgramLeft) {
  WriteText(drive_ / "logo.sys", "original");
  ASSERT_TRUE(InstallDefault().ok);
  // What the program leaves while it runs: schedule, wallpaper, logon entry, desktop records.
  WriteText(folder_ / "data.bin", "schedule");
  WriteText(folder_ / "ossen.bmp", "wallpaper");
  WriteText(drive_ / "logo.sys", "a painting");
  const std::string wallpaper = std::string(product::kDefaultInstallFolder) + "\\ossen.bmp";
  RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, (std::string(product::kDefaultInstallFolder) + "\\ossen.exe -h").c_str());
  WritePrivateProfileString("Desktop", "Wallpaper", wallpaper.c_str(), "win.ini");
  RegWriteString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", wallpaper.c_str());
  WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SYSTEM\\OSSEN.SCR", "system.ini");
  // And what is not ours: a Run value, another section of the launcher's file.
  RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, "other.exe", "C:\\other.exe");
  WritePrivateProfileString("Other", "Key", "kept", "X7352.INI");

  const RemovalResult result = Uninstall();
  EXPECT_TRUE(result.kept.empty()) << result.kept.front();
  EXPECT_FALSE(fs::exists(drive_ / "Program Files" / "Brantwell Software"));
  EXPECT_TRUE(fs::exists(drive_ / "Program Files"));  // not ours to remove
  EXPECT_FALSE(fs::exists(drive_ / "WINDOWS" / "SYSTEM" / "ossen.scr"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue));
  EXPECT_EQ(ReadText(prefix_.prefix() + "/system.reg").find("Brantwell"), std::string::npos);
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kRunKeyPath, "other.exe"), "C:\\other.exe");
  EXPECT_EQ(ReadText(drive_ / "WINDOWS" / "X7352.INI"), "[Other]\r\nKey=kept\r\n");
  EXPECT_EQ(ReadText(drive_ / "logo.sys"), "original");
  EXPECT_FALSE(fs::exists(drive_ / "logo.bak"));
  EXPECT_FALSE(fs::exists(MenuEntryFilesForPrefix().desktopFile));
  EXPECT_FALSE(fs::exists(MenuEntryFilesForPrefix().iconFile));

  char text[MAX_PATH] = "";
  GetPrivateProfileString("Desktop", "Wallpaper", "", text, sizeof text, "win.ini");
  EXPECT_STREQ(text, "(None)");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"), "(None)");
  EXPECT_EQ(GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", text, sizeof text, "system.ini"), 0u);
  EXPECT_FALSE(result.removed.empty());

  // Nothing is left to remove the second time; the launcher's file of another product stays.
  EXPECT_TRUE(Uninstall().removed.empty());
}

TEST_F(InstallerTest, UninstallLeavesFilesItDidNotWriteAndTheirFolder) {
  ASSERT_TRUE(InstallDefault().ok);
  WriteText(folder_ / "my notes.txt", "mine");
  const std::string foreignWallpaper = "C:\\Pictures\\cat.bmp";
  WritePrivateProfileString("Desktop", "Wallpaper", foreignWallpaper.c_str(), "win.ini");
  WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SYSTEM\\stars.scr", "system.ini");
  RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "C:\\Elsewhere\\ossen.exe -h");

  const RemovalResult result = Uninstall();
  EXPECT_EQ(ReadText(folder_ / "my notes.txt"), "mine");
  EXPECT_FALSE(fs::exists(folder_ / "ossen"));
  ASSERT_EQ(result.kept.size(), 1u);
  EXPECT_NE(result.kept[0].find("other files are in it"), std::string::npos) << result.kept[0];
  char text[MAX_PATH] = "";
  GetPrivateProfileString("Desktop", "Wallpaper", "", text, sizeof text, "win.ini");
  EXPECT_EQ(text, foreignWallpaper);
  GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", text, sizeof text, "system.ini");
  EXPECT_STREQ(text, "C:\\WINDOWS\\SYSTEM\\stars.scr");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue), "C:\\Elsewhere\\ossen.exe -h");
  // The launcher's file held only our section: it goes, with the lock file kept beside it.
  EXPECT_FALSE(fs::exists(drive_ / "WINDOWS" / "X7352.INI"));
  EXPECT_FALSE(fs::exists(drive_ / "WINDOWS" / "X7352.INI.lock"));
}

TEST_F(InstallerTest, InstallingOverARunningCopyEndsItFirstAndKeepsItsSchedule) {
  // The real disc: the program starts from the folder the first installation made.
  const std::string root = prefix_.root();
  fs::create_directories(root + "/runtime");
  fs::permissions(root + "/runtime", fs::perms::owner_all);
  ::setenv("HOME", (root + "/home").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("OSSEN_TRACE", "1", 1);
  ASSERT_TRUE(Install({OSSEN_DISC_DIR, product::kDefaultInstallFolder, {}}).ok);
  testing::ProgramRun resident((folder_ / "ossen").string(), {}, root, root + "/resident.log");
  ASSERT_TRUE(resident.WaitForOutput("book window ready", 20000)) << resident.Output();
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue), std::string(product::kDefaultInstallFolder) + "\\ossen.exe -h");

  const InstallResult again = Install({OSSEN_DISC_DIR, product::kDefaultInstallFolder, {}});
  EXPECT_TRUE(again.ok) << again.message;
  // It had ended through Exit before its files were replaced: schedule saved, logon entry cleared.
  EXPECT_EQ(resident.WaitForExit(1000), 0) << resident.Output();
  EXPECT_TRUE(fs::exists(folder_ / "data.bin"));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue), "");
  ::unsetenv("QT_QPA_PLATFORM");
  ::unsetenv("OSSEN_TRACE");
}

}  // namespace
}  // namespace ossen::setup
