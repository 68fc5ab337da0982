// The program as a real process: resident start, second start, removal run, session end,
// simultaneous starts and a killed resident copy. Each test has its own prefix, program
// folder and home, and every wait is bounded.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/program_run.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::ProgramRun;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

constexpr int kStartMs = 20000;
constexpr int kEndMs = 20000;
constexpr std::uintmax_t kFreshScheduleBytes = 19300;

std::string RunValue() {
  char text[MAX_PATH] = "";
  if (RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, text, sizeof text) == 0) return "<missing>";
  return text;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = testing::UsePrivateSession(prefix_.root());
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("OSSEN_TRACE", "1", 1);
    std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, prefix_.programDir() + "/OssenDLL.rcc");
  }

  std::unique_ptr<ProgramRun> Start(std::vector<std::string> arguments, const std::string& program = OSSEN_PROGRAM) {
    const std::string log = prefix_.root() + "/run" + std::to_string(runs_++) + ".log";
    return std::make_unique<ProgramRun>(program, arguments, prefix_.programDir(), log);
  }

  // Starts the resident copy and waits until its window answers commands.
  std::unique_ptr<ProgramRun> StartResident(std::vector<std::string> arguments = {}) {
    auto run = Start(std::move(arguments));
    EXPECT_TRUE(run->WaitForOutput("book window ready", kStartMs)) << run->Output();
    return run;
  }

  std::string DataBin() const { return prefix_.programDir() + "/data.bin"; }
  std::uintmax_t DataBinSize() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(DataBin(), error);
    return error ? 0 : size;
  }

  ossen::testing::TempPrefix prefix_{ossen::testing::TempPrefix::ProgramFolder::kUserProgramFolder};
  std::string home_;
  int runs_ = 0;
};

TEST_F(ProgramTest, ResidentCopyWritesRunValueAndASecondStartOnlyShowsIt) {
  auto resident = StartResident({"-h"});
  EXPECT_EQ(RunValue(), "\\ossen.exe -h");
  EXPECT_EQ(resident->Output().find("first paint"), std::string::npos) << "a hidden start painted";

  const std::string hiveBefore = ReadWholeFile(prefix_.prefix() + "/system.reg");
  auto second = Start({});
  EXPECT_EQ(second->WaitForExit(kStartMs), 0) << second->Output();
  EXPECT_NE(second->Output().find("woke the running copy"), std::string::npos) << second->Output();
  EXPECT_TRUE(resident->WaitForOutput("first paint", kStartMs)) << resident->Output();
  EXPECT_TRUE(resident->Running());
  EXPECT_EQ(ReadWholeFile(prefix_.prefix() + "/system.reg"), hiveBefore);
}

TEST_F(ProgramTest, RemovalRunEndsTheCopyRestoresTheImageAndStartsTheUninstaller) {
  const std::string driveC = DriveCDir();
  ASSERT_TRUE(WriteWholeFile(driveC + "/logo.sys", "theme image"));
  ASSERT_TRUE(WriteWholeFile(driveC + "/logo.bak", "original image"));
  const std::string uninstaller = driveC + "/uninstall.sh";
  ASSERT_TRUE(WriteWholeFile(uninstaller, "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/uninstalled\"\n"));
  chmod(uninstaller.c_str(), 0755);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue, "C:\\uninstall.sh /quiet"), 1);

  auto resident = StartResident();
  auto removal = Start({"-k"});
  EXPECT_EQ(removal->WaitForExit(kEndMs), 0) << removal->Output();
  EXPECT_NE(removal->Output().find("ossen: ended the running copy (its schedule is saved)"), std::string::npos)
      << removal->Output();
  // The copy had ended, its schedule saved and its Run value cleared, before the run went on.
  EXPECT_EQ(resident->WaitForExit(1000), 0) << resident->Output();
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_EQ(RunValue(), "");
  EXPECT_EQ(ReadWholeFile(driveC + "/logo.sys"), "original image");
  EXPECT_FALSE(std::filesystem::exists(driveC + "/logo.bak"));
  for (int i = 0; i < 250 && !std::filesystem::exists(driveC + "/uninstalled"); ++i) usleep(20000);
  EXPECT_EQ(ReadWholeFile(driveC + "/uninstalled"), "/quiet\n");
}

TEST_F(ProgramTest, MinusKSaysTheScheduleIsSavedOnlyWhenItWas) {
  // data.bin is there but cannot be read (a link to a folder): the copy never saves over it.
  const std::string elsewhere = prefix_.root() + "/not-a-schedule";
  std::filesystem::create_directories(elsewhere);
  std::filesystem::create_directory_symlink(elsewhere, DataBin());
  auto resident = StartResident({"-h"});
  EXPECT_NE(resident->Output().find("cannot be read"), std::string::npos) << resident->Output();
  auto removal = Start({"-k"});
  EXPECT_EQ(removal->WaitForExit(kEndMs), 0) << removal->Output();
  EXPECT_NE(removal->Output().find("ossen: ended the running copy (its schedule was NOT saved)"), std::string::npos)
      << removal->Output();
  EXPECT_EQ(resident->WaitForExit(1000), 0) << resident->Output();
  EXPECT_TRUE(std::filesystem::is_symlink(DataBin()));
}

TEST_F(ProgramTest, HiddenRemovalRunIsARemovalRunAndNeedsNoRunningCopy) {
  const std::string driveC = DriveCDir();
  ASSERT_TRUE(WriteWholeFile(driveC + "/logo.bak", "original image"));
  auto removal = Start({"-hk"});
  EXPECT_EQ(removal->WaitForExit(kEndMs), 0) << removal->Output();
  EXPECT_EQ(ReadWholeFile(driveC + "/logo.sys"), "original image");
  EXPECT_FALSE(std::filesystem::exists(driveC + "/logo.bak"));
  EXPECT_EQ(RunValue(), "<missing>") << "a removal run became resident";
  EXPECT_EQ(removal->Output().find("book window ready"), std::string::npos);
  EXPECT_NE(removal->Output().find("ossen: no copy was running"), std::string::npos) << removal->Output();
}

TEST_F(ProgramTest, HelpAndVersionAnswerAndStartNothing) {
  // "--help" holds an h and "-k --help" a k: the question is answered before the letters count.
  const struct {
    std::vector<std::string> arguments;
    const char* answer;
  } cases[] = {{{"--help"}, "Usage: ossen"}, {{"-k", "--help"}, "Usage: ossen"}, {{"--version"}, "ossen 1.00"}};
  ASSERT_TRUE(WriteWholeFile(DriveCDir() + "/logo.bak", "original image"));
  for (const auto& c : cases) {
    auto run = Start(c.arguments);
    EXPECT_EQ(run->WaitForExit(kEndMs), 0) << run->Output();
    EXPECT_EQ(run->Output().rfind(c.answer, 0), 0u) << run->Output();
  }
  EXPECT_EQ(RunValue(), "<missing>") << "a resident copy was started";
  EXPECT_EQ(ReadWholeFile(DriveCDir() + "/logo.bak"), "original image") << "a removal run was started";
}

// From a terminal without a desktop (an ssh session): the program keeps the schedule off
// screen and says how to end it, and -k there ends it.
TEST_F(ProgramTest, WithoutADisplayItRunsOffScreenAndMinusKStillEndsIt) {
  const char* display = std::getenv("DISPLAY");
  const std::string savedDisplay = display ? display : "";
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
  auto resident = StartResident({"-h"});
  EXPECT_NE(resident->Output().find("no display"), std::string::npos) << resident->Output();
  auto removal = Start({"-k"});
  EXPECT_EQ(removal->WaitForExit(kEndMs), 0) << removal->Output();
  EXPECT_NE(removal->Output().find("ossen: ended the running copy"), std::string::npos) << removal->Output();
  EXPECT_EQ(removal->Output().find("no display"), std::string::npos) << removal->Output();
  EXPECT_EQ(resident->WaitForExit(1000), 0) << resident->Output();
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (display) setenv("DISPLAY", savedDisplay.c_str(), 1);
}

TEST_F(ProgramTest, SessionEndSavesTheScheduleAndKeepsTheRunValue) {
  auto resident = StartResident();
  resident->Signal(SIGTERM);
  EXPECT_EQ(resident->WaitForExit(kEndMs), 0) << resident->Output();
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_EQ(RunValue(), "\\ossen.exe -h");
  // The marker went with it: the next start is resident again.
  auto next = StartResident();
  EXPECT_TRUE(next->Running());
}

// Autostart entries of the desktop that mention `text`.
int AutostartEntriesNaming(const std::string& autostartDir, const std::string& text) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(autostartDir, error)) {
    count += ReadWholeFile(entry.path().string()).find(text) != std::string::npos ? 1 : 0;
  }
  return count;
}

TEST_F(ProgramTest, InstalledCopyRunsInItsFolderAndStartsAtLogonUntilExit) {
  const std::string folder = prefix_.root() + "/installed";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, folder + "/OssenDLL.rcc");
  std::filesystem::copy_file(OSSEN_PROGRAM, folder + "/ossen");
  const std::string winFolder = WinPathFromHost(folder) + "\\";
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, winFolder.c_str()), 1);

  auto resident = StartResident();
  EXPECT_EQ(RunValue(), winFolder + "ossen.exe -h");  // one backslash between
  const std::string autostart = home_ + "/.config/autostart";
  EXPECT_EQ(AutostartEntriesNaming(autostart, folder + "/ossen"), 1);

  resident->Signal(SIGTERM);
  EXPECT_EQ(resident->WaitForExit(kEndMs), 0);
  EXPECT_TRUE(std::filesystem::exists(folder + "/data.bin"));
  EXPECT_FALSE(std::filesystem::exists(DataBin()));
  EXPECT_EQ(AutostartEntriesNaming(autostart, folder + "/ossen"), 1) << "a session end keeps the logon start";

  resident = StartResident();
  auto removal = Start({"-k"});
  EXPECT_EQ(removal->WaitForExit(kEndMs), 0) << removal->Output();
  EXPECT_EQ(RunValue(), "");
  EXPECT_EQ(AutostartEntriesNaming(autostart, folder + "/ossen"), 0);
}

TEST_F(ProgramTest, TwentySimultaneousStartsLeaveExactlyOneResidentCopy) {
  std::vector<std::unique_ptr<ProgramRun>> runs;
  for (int i = 0; i < 20; ++i) runs.push_back(Start({"-h"}));
  const auto countRunning = [&runs] {
    int running = 0;
    for (auto& run : runs) running += run->Running() ? 1 : 0;
    return running;
  };
  for (int i = 0; i < 3000 && countRunning() > 1; ++i) usleep(20000);
  usleep(300000);  // a late second copy would still be starting now
  EXPECT_EQ(countRunning(), 1);
  int woke = 0;
  for (auto& run : runs) {
    if (!run->Running()) {
      EXPECT_EQ(run->WaitForExit(0), 0) << run->Output();
      woke += run->Output().find("woke the running copy") != std::string::npos ? 1 : 0;
    }
  }
  EXPECT_EQ(woke, 19);
}

TEST_F(ProgramTest, AKilledResidentCopyDoesNotStopTheNextStart) {
  auto killed = StartResident();
  killed->Signal(SIGKILL);
  EXPECT_FALSE(killed->WaitForExit(kEndMs).has_value());  // killed: no exit status
  auto next = Start({});
  EXPECT_TRUE(next->WaitForOutput("book window ready", kStartMs)) << next->Output();
  EXPECT_TRUE(next->Running());
}

TEST_F(ProgramTest, MissingPictureLibraryReportsAndPublishesNothing) {
  // A copy of the program in a folder of its own, so that no library lies beside it.
  const std::string program = prefix_.root() + "/ossen";
  std::filesystem::copy_file(OSSEN_PROGRAM, program);
  std::filesystem::remove(prefix_.programDir() + "/OssenDLL.rcc");
  auto run = Start({}, program);
  EXPECT_TRUE(run->WaitForOutput("message box: Fail to OssenDLL.", kStartMs)) << run->Output();
  EXPECT_EQ(run->Output().find("published window"), std::string::npos);
  EXPECT_EQ(RunValue(), "\\ossen.exe -h");  // written before the window, as the start goes
  run->Signal(SIGKILL);
}

}  // namespace
}  // namespace ossen
