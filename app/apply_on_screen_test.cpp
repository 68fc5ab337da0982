// The program as a person meets it on an 800 x 600 X display of its own: a slot that fell
// due three days before the start is asked about at once, Yes turns the painting into the
// desktop's picture files and records, and the slot is saved a year on at Exit.
#include <ctime>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/painting_picture.h"
#include "engine/test/engine_test_support.h"
#include "platform/win32/paths.h"
#include "schedule/local_time.h"
#include "schedule/slot_store.h"
#include "schedule/test/schedule_test_support.h"
#include "test_support/program_run.h"
#include "test_support/xvfb_display.h"

namespace ossen {
namespace {

using testing::CommandOutput;
using testing::ProgramRun;
using testing::XvfbDisplay;

constexpr int kPainting = 6;
constexpr char kTitle[] = "Vintra Ossens Screen Savers";
constexpr int kQuestionWithinMs = 3000;

// The visible top-level windows titled like the application, other than the 640 x 480
// book: the question box.
std::string FindQuestionBox(const std::string& display) {
  const std::string env = "DISPLAY=" + display + " ";
  std::istringstream ids(CommandOutput(env + "xdotool search --onlyvisible --name '^" + kTitle + "$' 2>/dev/null"));
  for (std::string id; ids >> id;) {
    const std::string geometry = CommandOutput(env + "xdotool getwindowgeometry " + id + " 2>/dev/null");
    if (!geometry.empty() && geometry.find("640x480") == std::string::npos) return id;
  }
  return "";
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

TEST(ApplyOnScreenTest, AnOverdueSlotIsAskedAboutAtStartAndYesMakesItTheDesktop) {
  if (!testing::HaveProgram("Xvfb") || !testing::HaveProgram("xdotool")) {
    GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/setup.sh installs them)";
  }
  XvfbDisplay display(800, 600);
  ASSERT_TRUE(display.Running()) << "Xvfb did not report a display";

  testing::TempPrefix prefix{testing::TempPrefix::ProgramFolder::kUserProgramFolder};
  testing::UsePrivateSession(prefix.root());
  setenv("DISPLAY", display.Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  setenv("OSSEN_TRACE", "1", 1);
  std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, prefix.programDir() + "/OssenDLL.rcc");

  // The first slot fell due three days ago, to the second; the other one lies 200 days ahead.
  const std::int64_t now = std::time(nullptr);
  const auto due = static_cast<std::uint32_t>(now - 3 * 24 * 3600);
  {
    SlotList schedule;
    InsertSlot(schedule, testing::MakeRecord(kPainting, due, "Overdue"));
    InsertSlot(schedule, testing::MakeRecord(9, static_cast<std::uint32_t>(now + 200 * 24 * 3600), "Later"));
    ASSERT_TRUE(SaveSlots(schedule, prefix.programDir() + "/data.bin"));
  }

  const auto started = std::chrono::steady_clock::now();
  ProgramRun resident(OSSEN_PROGRAM, {}, prefix.programDir(), prefix.root() + "/resident.log");
  std::string box;
  ASSERT_TRUE(WaitFor([&] { return !(box = FindQuestionBox(display.Display())).empty(); }, 20000))
      << resident.Output();
  const auto shownAfter =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
  EXPECT_LE(shownAfter, kQuestionWithinMs) << "the question came " << shownAfter << " ms after the start";
  EXPECT_NE(resident.Output().find("Do you want to apply the settings now?"), std::string::npos);

  // Yes is the box's default button.
  CommandOutput("xdotool windowfocus --sync " + box + " key --clearmodifiers Return 2>&1");
  ASSERT_TRUE(resident.WaitForOutput("question answered Yes", 10000)) << resident.Output();
  const std::string wallpaper = prefix.programDir() + "/ossen.bmp";
  const std::string boot = prefix.prefix() + "/drive_c/logo.sys";
  // The saver's painting is written before system.ini names the saver: wait for both.
  ASSERT_TRUE(WaitFor(
      [&] {
        return testing::ConfigDword("Pic") == kPainting &&
               testing::ProfileValue("boot", "SCRNSAVE.EXE", "system.ini") != "<missing>";
      },
      10000))
      << resident.Output();

  const testing::BitmapFile wall = testing::ReadBitmapFile(wallpaper);
  ASSERT_TRUE(wall.valid);
  EXPECT_EQ(wall.width, 800);
  EXPECT_EQ(wall.height, 600);
  EXPECT_EQ(wall.bitCount, 8);
  HMODULE library = LoadLibrary(WinPathFromHost(prefix.programDir() + "/OssenDLL.rcc").c_str());
  ASSERT_NE(library, nullptr);
  PaletteRef preview = LoadPreviewPalette(library, kPainting);
  ASSERT_TRUE(preview);
  EXPECT_EQ(wall.colours, testing::RgbOf(*preview)) << "the wallpaper is in the preview's palette";
  FreeLibrary(library);
  const testing::BitmapFile startup = testing::ReadBitmapFile(boot);
  ASSERT_TRUE(startup.valid);
  EXPECT_EQ(startup.width, 320);
  EXPECT_EQ(startup.height, 400);
  EXPECT_EQ(testing::ProfileValue("boot", "SCRNSAVE.EXE", "system.ini"), "C:\\WINDOWS\\SYSTEM\\ossen.scr");
  EXPECT_EQ(testing::ConfigDword("Pic"), kPainting) << "Random is off";

  // Exit through the removal run: the resident copy saves the schedule before it ends.
  ProgramRun removal(OSSEN_PROGRAM, {"-k"}, prefix.programDir(), prefix.root() + "/removal.log");
  EXPECT_TRUE(removal.WaitForExit(20000).has_value()) << removal.Output();
  EXPECT_TRUE(resident.WaitForExit(20000).has_value()) << resident.Output();

  SlotList saved;
  testing::SettableClock clock(now);
  ASSERT_EQ(LoadSlots(saved, prefix.programDir() + "/data.bin", clock), SlotSource::kFile);
  const SlotRecord* slot = nullptr;
  for (int i = 0; i < saved.Count(); ++i)
    if (saved.ItemData(i)->slotId == kPainting) slot = saved.ItemData(i);
  ASSERT_NE(slot, nullptr);
  LocalMoment was;
  LocalMoment today;
  ASSERT_TRUE(BreakDownMoment(due, was));
  ASSERT_TRUE(BreakDownMoment(now, today));
  was.year = today.year + 1;
  std::uint32_t expected = 0;
  ASSERT_TRUE(ComposeDueTime(was, expected));
  EXPECT_EQ(slot->dueTime, expected) << "the same day and time in the year after the current one";
  EXPECT_EQ(slot->elements, kAllElements);
}

}  // namespace
}  // namespace ossen
