// Where the real program keeps a person's files when no installer recorded a folder: a start
// from any folder and a copy laid out as the package installs it (programs in <root>/usr/bin,
// the collection in <root>/usr/share/ossen) both work in C:\OSSEN of the person's prefix.
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/program_run.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;

constexpr int kStartMs = 20000;
constexpr int kEndMs = 20000;

std::string RunValue() {
  char text[MAX_PATH] = "";
  if (RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, text, sizeof text) == 0) return "<missing>";
  return text;
}

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = testing::UsePrivateSession(prefix_.root());
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("OSSEN_TRACE", "1", 1);
    userFolder_ = prefix_.prefix() + "/drive_c/OSSEN";
  }

  // A resident copy started in `folder`, ended again by a removal run from there.
  void StartAndEnd(const std::string& program, const std::string& folder) {
    const std::string log = prefix_.root() + "/run" + std::to_string(runs_++) + ".log";
    ProgramRun resident(program, {"-h"}, folder, log);
    ASSERT_TRUE(resident.WaitForOutput("book window ready", kStartMs)) << resident.Output();
    runValueWhileRunning_ = RunValue();
    ProgramRun removal(program, {"-k"}, folder, log + ".k");
    EXPECT_EQ(removal.WaitForExit(kEndMs), 0) << removal.Output();
    EXPECT_EQ(resident.WaitForExit(kEndMs), 0) << resident.Output();
  }

  std::vector<std::string> AutostartExecLines() const {
    std::vector<std::string> lines;
    const fs::path folder = home_ + "/.config/autostart";
    if (!fs::exists(folder)) return lines;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string text = testing::ReadWholeFile(entry.path().string());
      const std::size_t exec = text.find("\nExec=");
      if (exec != std::string::npos) lines.push_back(text.substr(exec + 6, text.find('\n', exec + 1) - exec - 6));
    }
    return lines;
  }

  testing::TempPrefix prefix_;
  std::string home_;
  std::string userFolder_;
  std::string runValueWhileRunning_;
  int runs_ = 0;
};

TEST_F(ProgramFolderTest, StartsFromAnyFolderShareOneScheduleInThePrefix) {
  const std::string elsewhere = prefix_.root() + "/elsewhere";
  fs::create_directories(elsewhere);
  StartAndEnd(OSSEN_PROGRAM, prefix_.programDir());
  ASSERT_TRUE(fs::exists(userFolder_ + "/data.bin"));
  const std::string schedule = testing::ReadWholeFile(userFolder_ + "/data.bin");

  // A start from another folder finds the same schedule, and leaves nothing where it began.
  StartAndEnd(OSSEN_PROGRAM, elsewhere);
  EXPECT_EQ(testing::ReadWholeFile(userFolder_ + "/data.bin"), schedule);
  EXPECT_TRUE(fs::is_empty(prefix_.programDir()));
  EXPECT_TRUE(fs::is_empty(elsewhere));
  // A build names no program at logon; its screen saver is linked where Preview starts it.
  EXPECT_EQ(runValueWhileRunning_, "\\ossen.exe -h");
  EXPECT_TRUE(AutostartExecLines().empty());
  const std::string saverLink = prefix_.prefix() + "/drive_c/WINDOWS/SYSTEM/ossen.scr";
  EXPECT_EQ(fs::read_symlink(saverLink), fs::path(OSSEN_PROGRAM).parent_path() / "ossen.scr");
}

TEST_F(ProgramFolderTest, AnInstalledCopyFindsItsCollectionAndNamesItselfAtLogon) {
  const std::string bin = prefix_.root() + "/usr/bin";
  fs::create_directories(bin);
  fs::create_directories(prefix_.root() + "/usr/share/ossen");
  fs::copy_file(OSSEN_PROGRAM, bin + "/ossen");
  fs::copy_file(fs::path(OSSEN_PROGRAM).parent_path() / "ossen.scr", bin + "/ossen.scr");
  fs::copy_file(OSSEN_STAND_IN_LIBRARY, prefix_.root() + "/usr/share/ossen/OssenDLL.rcc");
  // An installer's copy of the screen saver in the system folder is not replaced.
  const std::string systemSaver = prefix_.prefix() + "/drive_c/WINDOWS/SYSTEM/ossen.scr";
  fs::create_directories(fs::path(systemSaver).parent_path());
  ASSERT_TRUE(testing::WriteWholeFile(systemSaver, "installed by the disc"));

  StartAndEnd(bin + "/ossen", prefix_.programDir());
  EXPECT_TRUE(fs::exists(userFolder_ + "/data.bin"));
  EXPECT_EQ(runValueWhileRunning_, WinPathFromHost(bin) + "\\ossen.exe -h");
  EXPECT_EQ(RunValue(), "") << "Exit clears the logon entry";
  EXPECT_EQ(testing::ReadWholeFile(systemSaver), "installed by the disc");

  // Without the disc's copy, the installed screen saver is linked in its place; the logon
  // entry starts the installed program while the copy runs.
  fs::remove(systemSaver);
  const std::string log = prefix_.root() + "/installed.log";
  ProgramRun resident(bin + "/ossen", {"-h"}, prefix_.root(), log);
  ASSERT_TRUE(resident.WaitForOutput("book window ready", kStartMs)) << resident.Output();
  EXPECT_EQ(fs::read_symlink(systemSaver), fs::path(bin) / "ossen.scr");
  const std::vector<std::string> exec = AutostartExecLines();
  ASSERT_EQ(exec.size(), 1u);
  EXPECT_TRUE(exec[0].ends_with(" " + bin + "/ossen -h")) << exec[0];
  resident.Signal(SIGTERM);
  EXPECT_EQ(resident.WaitForExit(kEndMs), 0) << resident.Output();
}

}  // namespace
}  // namespace ossen
