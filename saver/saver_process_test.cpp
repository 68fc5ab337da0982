// ossen.scr as a person meets it: a real process on an X server of its own, looked at through
// the server's own pictures of the screen and ended with the pointer.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "image/jpeg_loader.h"
#include "platform/win32/paths.h"
#include "platform/win32/process.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "saver/painting_library.h"
#include "saver/test/x_screen.h"
#include "test_support/temp_prefix.h"
#include "test_support/xvfb_display.h"

namespace ossen {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

using testing::Distance;
using testing::Rgb;

// The mean colour of the painting's part that a screen of screenWidth x screenHeight shows in
// the given rectangle, the painting fitted whole (the paintings and the test screens are 4:3,
// so it fills the screen).
Rgb MeanOfPainting(int number, int screenWidth, int x, int y, int width, int height) {
  const PaintingLibrary library = PaintingLibrary::OpenFile(WinPathFromHost(OSSEN_PICTURE_LIBRARY_FILE).c_str());
  SurfaceRef<DibSectionSurface> painting = library.LoadPainting(number);
  if (!painting) return Rgb{-1000, -1000, -1000};
  EXPECT_EQ(painting->Width() * 3, painting->Height() * 4) << "painting " << number << " is not 4:3";
  const double scale = static_cast<double>(painting->Width()) / screenWidth;
  Rgb mean;
  int count = 0;
  for (int py = static_cast<int>(y * scale); py < static_cast<int>((y + height) * scale); ++py) {
    for (int px = static_cast<int>(x * scale); px < static_cast<int>((x + width) * scale); ++px) {
      const DWORD pixel = painting->GetPixel(px, py);
      mean.red += (pixel >> 16) & 0xFF;
      mean.green += (pixel >> 8) & 0xFF;
      mean.blue += pixel & 0xFF;
      ++count;
    }
  }
  return Rgb{mean.red / count, mean.green / count, mean.blue / count};
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

class SaverProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << "Xvfb did not start";
    screen_ = std::make_unique<testing::XScreen>(server_.Display());
    ASSERT_TRUE(screen_->ok());
    setenv("DISPLAY", server_.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // A sanitizer build of the saver reports leaks at exit; the desktop libraries' own are
    // not the saver's.
    setenv("LSAN_OPTIONS", "suppressions=" OSSEN_LSAN_SUPPRESSIONS, 1);
    // A white desktop, so that a black screen tells a covering saver from no saver.
    screen_->WhiteDesktop();
    screen_->WarpPointerTo(kScreenWidth / 2, kScreenHeight / 2);
  }
  void TearDown() override {
    if (saver_ > 0) {
      kill(saver_, SIGKILL);
      waitpid(saver_, nullptr, 0);
    }
    // The server goes with the test; the tests that follow draw off screen.
    unsetenv("DISPLAY");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }

  void Start(const std::string& program, std::vector<std::string> arguments) {
    started_ = Clock::now();
    saver_ = fork();
    if (saver_ == 0) {
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
  }

  // Waits at most `limit` for the saver to end; its exit code, or -1 while it still runs.
  int WaitExit(std::chrono::milliseconds limit) {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(saver_, &status, WNOHANG) == saver_; }, limit);
    if (!ended) return -1;
    saver_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  void MovePointerBy(int dx, int dy) { screen_->MovePointerBy(dx, dy); }

  Rgb ScreenCentre() { return screen_->Mean(screen_->root(), 270, 190, 100, 100); }

  testing::TempPrefix prefix_;
  testing::XvfbDisplay server_{kScreenWidth, kScreenHeight, 24};
  std::unique_ptr<testing::XScreen> screen_;
  pid_t saver_ = -1;
  Clock::time_point started_;
};

const Rgb kBlack{0, 0, 0};
// Within a second on a normal build; a sanitizer build runs several times slower.
#ifdef OSSEN_SANITIZED
constexpr long kFirstFrameMs = 3000;
#else
constexpr long kFirstFrameMs = 1000;
#endif
constexpr double kTolerance = 10;  // per channel, nearest-neighbour sampling against a mean

TEST_F(SaverProcess, PreviewShowsPrevFullScreenWithinASecondAndAMovementEndsIt) {
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPrevValue, 12), 1);
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 3), 1);
  const Rgb centre = MeanOfPainting(12, kScreenWidth, 270, 190, 100, 100);
  const Rgb corner = MeanOfPainting(12, kScreenWidth, 0, 0, 40, 40);
  ASSERT_GT(Distance(centre, MeanOfPainting(3, kScreenWidth, 270, 190, 100, 100)), kTolerance)
      << "paintings 3 and 12 must be told apart";

  Start(OSSEN_SAVER, {"-s"});
  const bool shown = WaitFor([&] { return Distance(ScreenCentre(), centre) < kTolerance; }, std::chrono::seconds(6));
  const auto shownAfter = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
  ASSERT_TRUE(shown) << "the screen's centre never showed painting 12";
  EXPECT_LT(shownAfter.count(), kFirstFrameMs);
  // The whole screen, corner to corner.
  EXPECT_LT(Distance(screen_->Mean(screen_->root(), 0, 0, 40, 40), corner), kTolerance);

  // A movement of a pixel or two is not the person coming back.
  MovePointerBy(2, 1);
  EXPECT_EQ(WaitExit(std::chrono::milliseconds(300)), -1);
  MovePointerBy(40, 30);
  const auto moved = Clock::now();
  EXPECT_EQ(WaitExit(std::chrono::seconds(6)), 0);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - moved).count(), kFirstFrameMs);
}

TEST_F(SaverProcess, DrawsPicIntoAWindowItIsGiven) {
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 5), 1);
  const std::uint64_t given = screen_->CreateWindow(100, 100, 200, 150);
  const Rgb expected = MeanOfPainting(5, 200, 75, 50, 50, 50);

  Start(OSSEN_SAVER, {"-window-id", std::to_string(given)});
  EXPECT_TRUE(WaitFor([&] { return Distance(screen_->Mean(given, 75, 50, 50, 50), expected) < kTolerance; },
                      std::chrono::seconds(6)));
  // Only into that window: the desktop around it stays as it was, and the pointer ends nothing.
  EXPECT_LT(Distance(screen_->Mean(screen_->root(), 10, 10, 20, 20), Rgb{255, 255, 255}), 1);
  MovePointerBy(60, 60);
  EXPECT_EQ(WaitExit(std::chrono::milliseconds(300)), -1);
}

TEST_F(SaverProcess, ARunInsideAWindowEndsWhenThatWindowIsDestroyed) {
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 5), 1);
  const Rgb expected = MeanOfPainting(5, 200, 75, 50, 50, 50);
  for (const char* option : {"-window-id", "/p"}) {
    const std::uint64_t given = screen_->CreateWindow(100, 100, 200, 150);
    Start(OSSEN_SAVER, {option, std::to_string(given)});
    ASSERT_TRUE(WaitFor([&] { return Distance(screen_->Mean(given, 75, 50, 50, 50), expected) < kTolerance; },
                        std::chrono::seconds(6)))
        << option;
    screen_->DestroyWindow(given);
    EXPECT_EQ(WaitExit(std::chrono::seconds(3)), 0) << option << ": the run outlived its window";
  }
}

TEST_F(SaverProcess, ADisplayThatCannotBeOpenedGivesStatusOneNotAnAbort) {
  // Qt told to use X11 where no X server is named, then a name no server answers to.
  unsetenv("DISPLAY");
  Start(OSSEN_SAVER, {"/s"});
  EXPECT_EQ(WaitExit(std::chrono::seconds(10)), 1);
  setenv("DISPLAY", ":4791", 1);
  unsetenv("QT_QPA_PLATFORM");
  for (const char* option : {"-s", "/c"}) {
    Start(OSSEN_SAVER, {option});
    EXPECT_EQ(WaitExit(std::chrono::seconds(10)), 1) << option;
  }
}

TEST_F(SaverProcess, AnUnknownPaintingNumberShowsTheRandomOrder) {
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 99), 1);
  Start(OSSEN_SAVER, {"/s"});
  // Some painting: neither the white desktop nor a black screen.
  EXPECT_TRUE(WaitFor(
      [&] {
        const Rgb centre = ScreenCentre();
        return Distance(centre, kBlack) > kTolerance && Distance(centre, Rgb{255, 255, 255}) > kTolerance;
      },
      std::chrono::seconds(6)));
  MovePointerBy(30, 0);
  EXPECT_EQ(WaitExit(std::chrono::seconds(6)), 0);
}

TEST_F(SaverProcess, WithoutALibraryTheScreenIsBlackAndStillEndsOnInput) {
  // A copy where no library lies beside it, and none in the current folder or the registry.
  const std::filesystem::path system = HostPathFromWin(kSystemDirectory);
  std::filesystem::create_directories(system);
  const std::filesystem::path copy = system / "ossen.scr";
  std::filesystem::copy_file(OSSEN_SAVER, copy);
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPrevValue, 12), 1);

  Start(copy.string(), {"-s"});
  EXPECT_TRUE(WaitFor([&] { return Distance(ScreenCentre(), kBlack) < 1; }, std::chrono::seconds(6)));
  EXPECT_EQ(WaitExit(std::chrono::milliseconds(200)), -1);
  MovePointerBy(0, -30);
  EXPECT_EQ(WaitExit(std::chrono::seconds(6)), 0);
}

TEST_F(SaverProcess, IdleRunAfterWindowsDefaultShowsBlack) {
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 12), 1);
  ASSERT_TRUE(WritePrivateProfileString("boot", "SCRNSAVE.EXE", "", "system.ini"));
  Start(OSSEN_SAVER, {});
  EXPECT_TRUE(WaitFor([&] { return Distance(ScreenCentre(), kBlack) < 1; }, std::chrono::seconds(6)));
  MovePointerBy(30, 30);
  EXPECT_EQ(WaitExit(std::chrono::seconds(6)), 0);
}

TEST_F(SaverProcess, ThePreviewCommandStartsThisSaverFromTheSystemFolderOnly) {
  const std::string command = std::string(kSystemDirectory) + "\\ossen.scr -s";
  // Not installed: nothing else is started in its place.
  EXPECT_LT(WinExec(command.c_str(), SW_SHOW), 32u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(Distance(ScreenCentre(), Rgb{255, 255, 255}), 1);

  // Installed, with the library found through the program folder the installer recorded.
  const std::filesystem::path system = HostPathFromWin(kSystemDirectory);
  std::filesystem::create_directories(system);
  std::filesystem::copy_file(OSSEN_SAVER, system / "ossen.scr");
  const std::string libraryFolder = WinPathFromHost(std::filesystem::path(OSSEN_PICTURE_LIBRARY_FILE).parent_path().string());
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, libraryFolder.c_str()), 1);
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPrevValue, 12), 1);
  const Rgb centre = MeanOfPainting(12, kScreenWidth, 270, 190, 100, 100);
  EXPECT_GE(WinExec(command.c_str(), SW_SHOW), 32u);
  EXPECT_TRUE(WaitFor([&] { return Distance(ScreenCentre(), centre) < kTolerance; }, std::chrono::seconds(6)));
  MovePointerBy(50, 50);
  EXPECT_TRUE(WaitFor([&] { return Distance(ScreenCentre(), Rgb{255, 255, 255}) < 1; }, std::chrono::seconds(6)))
      << "the saver did not end";
}

}  // namespace
}  // namespace ossen
