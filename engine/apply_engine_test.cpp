// The apply engine on the real picture library, in a prefix of its own: which files and
// records each element mask writes, at which sizes, for paintings and "Windows Default".
#include "engine/apply_engine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "desktop/desktop_picture.h"
#include "engine/painting_picture.h"
#include "image/resource_source.h"
#include "engine/test/engine_test_support.h"
#include "platform/base/trace.h"
#include "schedule/slot_store.h"
#include "schedule/test/schedule_test_support.h"

namespace ossen {
namespace {

using testing::BitmapFile;
using testing::ConfigDword;
using testing::Exists;
using testing::FileBytes;
using testing::MakeRecord;
using testing::PaintingLibrary;
using testing::ProfileValue;
using testing::ReadBitmapFile;
using testing::RecordingDesktop;
using testing::RecordingHost;
using testing::RegistryText;
using testing::RgbOf;

constexpr int kPainting = 12;
constexpr char kDesktopKey[] = "Control Panel\\Desktop";

std::string traced;
void CollectTrace(const char* line) { traced += std::string(line) + "\n"; }

class ApplyEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_.library(), nullptr) << "the picture library did not load";
    traced.clear();
    oldSink_ = SetTraceSink(CollectTrace);
  }
  void TearDown() override { SetTraceSink(oldSink_); }

  // A list holding one slot, applied.
  void Apply(std::int32_t slotId, std::uint16_t elements) {
    slots_.ResetContent();
    auto record = MakeRecord(slotId, 1000);
    record->elements = elements;
    InsertSlot(slots_, std::move(record));
    ApplySlot(Inputs(), host_, 0);
  }
  ApplyInputs Inputs() const { return ApplyInputs{slots_, library_.programDir(), library_.library(), desktop_}; }
  std::vector<PaletteEntry> PreviewColours(int painting) const {
    PaletteRef palette = LoadPreviewPalette(library_.library(), painting);
    return palette ? RgbOf(*palette) : std::vector<PaletteEntry>();
  }
  std::string WallpaperWinPath() const { return library_.programDir() + "ossen.bmp"; }

  PaintingLibrary library_;
  SlotList slots_;
  RecordingHost host_;
  DesktopBackend* desktop_ = nullptr;  // null: the records alone
  TraceSink oldSink_ = nullptr;
};

TEST_F(ApplyEngineTest, WallpaperTakesTheScreenSizeOrThePaintingsOwnAt1024WideOr768High) {
  struct Case {
    int screenWidth, screenHeight, fileWidth, fileHeight;
  };
  const Case cases[] = {{1024, 768, 1024, 768}, {800, 600, 800, 600}, {1024, 600, 1024, 768},
                        {1280, 768, 1024, 768}, {640, 480, 640, 480}};
  const std::vector<PaletteEntry> preview = PreviewColours(kPainting);
  ASSERT_EQ(preview.size(), 256u);
  for (const Case& c : cases) {
    SetScreenSizeOverride(c.screenWidth, c.screenHeight);
    std::filesystem::remove(library_.WallpaperHostPath());
    Apply(kPainting, kAllElements & ~(1 | 4));
    const BitmapFile file = ReadBitmapFile(library_.WallpaperHostPath());
    ASSERT_TRUE(file.valid) << c.screenWidth << " x " << c.screenHeight;
    EXPECT_EQ(file.width, c.fileWidth) << c.screenWidth << " x " << c.screenHeight;
    EXPECT_EQ(file.height, c.fileHeight) << c.screenWidth << " x " << c.screenHeight;
    EXPECT_EQ(file.bitCount, 8);
    EXPECT_EQ(file.bitsOffset, 1078u);
    EXPECT_EQ(file.colours, preview) << "the wallpaper is in the preview's palette";
  }
  EXPECT_EQ(ProfileValue("Desktop", "Wallpaper", "win.ini"), WallpaperWinPath());
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), WallpaperWinPath());
  EXPECT_FALSE(Exists(library_.StartupImageHostPath())) << "Wallpaper alone writes no start-up image";
  EXPECT_EQ(ProfileValue("boot", "SCRNSAVE.EXE", "system.ini"), "<missing>");
  EXPECT_EQ(host_.waitCursorShown, 5);
  EXPECT_EQ(host_.waitCursorDepth, 0);
}

TEST_F(ApplyEngineTest, ScaledWallpaperHoldsTheWholePaintingUpright) {
  SetScreenSizeOverride(512, 384);
  Apply(kPainting, 2);
  SetScreenSizeOverride(1024, 768);
  const std::string half = library_.prefix().root() + "/half.bmp";
  std::filesystem::rename(library_.WallpaperHostPath(), half);
  Apply(kPainting, 2);
  const std::vector<std::uint8_t> small = FileBytes(half);
  const std::vector<std::uint8_t> full = FileBytes(library_.WallpaperHostPath());
  ASSERT_EQ(small.size(), 1078u + 512 * 384);
  ASSERT_EQ(full.size(), 1078u + 1024 * 768);
  // Halving picks every second pixel of every second row counted from the top: row y
  // from the top of the small picture is row 2y of the full one. Both files store their
  // rows bottom-up.
  int differing = 0;
  for (int y = 0; y < 384; ++y) {
    const int smallRow = 383 - y;
    const int fullRow = 767 - 2 * y;
    for (int x = 0; x < 512; ++x) {
      if (small[1078 + smallRow * 512 + x] != full[1078 + fullRow * 1024 + 2 * x]) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST_F(ApplyEngineTest, StartupImageIs320By400InTheRootOfTheWindowsDrive) {
  SetScreenSizeOverride(800, 600);
  Apply(kPainting, 4);
  EXPECT_EQ(library_.StartupImageHostPath(), library_.prefix().prefix() + "/drive_c/logo.sys");
  const BitmapFile boot = ReadBitmapFile(library_.StartupImageHostPath());
  ASSERT_TRUE(boot.valid);
  EXPECT_EQ(boot.width, 320);
  EXPECT_EQ(boot.height, 400);
  EXPECT_EQ(boot.bitCount, 8);
  EXPECT_EQ(boot.bitsOffset, 1078u);
  EXPECT_EQ(boot.colours, PreviewColours(kPainting));
  EXPECT_FALSE(Exists(library_.WallpaperHostPath())) << "Startup alone writes no wallpaper";
  EXPECT_EQ(ProfileValue("Desktop", "Wallpaper", "win.ini"), "<missing>") << "and sets none";
}

TEST_F(ApplyEngineTest, SaverNamesTheScreenSaverAndThePainting) {
  Apply(kPainting, 1);
  EXPECT_EQ(ProfileValue("boot", "SCRNSAVE.EXE", "system.ini"), "C:\\WINDOWS\\SYSTEM\\ossen.scr");
  EXPECT_EQ(ConfigDword("Pic"), kPainting);
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "1");
  EXPECT_EQ(host_.waitCursorShown, 0) << "no picture is decoded for the screen saver alone";
  EXPECT_FALSE(Exists(library_.WallpaperHostPath()));
  EXPECT_FALSE(Exists(library_.StartupImageHostPath()));
}

TEST_F(ApplyEngineTest, WindowsDefaultClearsWallpaperDeletesStartupImageAndNamesNoScreenSaver) {
  SetScreenSizeOverride(1024, 768);
  Apply(kPainting, kAllElements);
  ASSERT_TRUE(Exists(library_.StartupImageHostPath()));
  ASSERT_EQ(ConfigDword("Pic"), kPainting);

  std::filesystem::remove(library_.WallpaperHostPath());
  Apply(kWindowsDefaultSlotId, 2 | 4);
  EXPECT_EQ(ProfileValue("Desktop", "Wallpaper", "win.ini"), "");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), "");
  EXPECT_FALSE(Exists(library_.StartupImageHostPath())) << "logo.sys deleted";
  EXPECT_FALSE(Exists(library_.WallpaperHostPath())) << "no file written";
  EXPECT_EQ(host_.waitCursorShown, 1) << "only the painting showed the wait cursor";

  // Startup alone still clears the wallpaper.
  WritePrivateProfileString("Desktop", "Wallpaper", "C:\\x.bmp", "win.ini");
  Apply(kWindowsDefaultSlotId, 4);
  EXPECT_EQ(ProfileValue("Desktop", "Wallpaper", "win.ini"), "");

  // Saver: the empty program name, the saver switched on, "Pic" left alone.
  RegWriteString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", "0");
  Apply(kWindowsDefaultSlotId, 1);
  EXPECT_EQ(ProfileValue("boot", "SCRNSAVE.EXE", "system.ini"), "");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "1");
  EXPECT_EQ(ConfigDword("Pic"), kPainting);
}

TEST_F(ApplyEngineTest, TheDesktopGetsTheStoredJpegInAFreshFileOnceTheRecordsNameTheirBitmap) {
  RecordingDesktop desktop;
  desktop_ = &desktop;
  SetScreenSizeOverride(800, 600);
  Apply(kPainting, 1 | 4);
  EXPECT_TRUE(desktop.calls.empty()) << "no wallpaper element, nothing for the desktop";
  Apply(kPainting, 2);
  RegWriteString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "6");
  Apply(kPainting, 2);
  const std::vector<std::string> shown = {"show fill (records: " + WallpaperWinPath() + ")",
                                          "show fit (records: " + WallpaperWinPath() + ")"};
  EXPECT_EQ(desktop.calls, shown);
  EXPECT_EQ(ReadBitmapFile(library_.WallpaperHostPath()).width, 800) << "the records keep their 256-colour bitmap";

  // The library's JPEG byte for byte: full colour at the painting's own shape, not decoded.
  ResourceSource jpeg(library_.library(), PaintingResourceName(kPainting), kPictureResourceType);
  ASSERT_NE(jpeg.data, nullptr);
  const std::vector<std::uint8_t> stored(jpeg.data, jpeg.data + jpeg.size);
  ASSERT_EQ(desktop.shownBytes.size(), 2u);
  EXPECT_TRUE(desktop.shownBytes[0] == stored);
  const std::string first = desktop.requests[0].picturePath, second = desktop.requests[1].picturePath;
  EXPECT_NE(first, second) << "a name the desktop has not seen, per change";
  EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(DesktopPictureFolder()));
  EXPECT_FALSE(Exists(first)) << "the older copy goes once the new one is shown";
  EXPECT_TRUE(FileBytes(second) == stored);
  EXPECT_TRUE(host_.notices.empty());

  desktop.calls.clear();
  Apply(99, kAllElements);  // the library holds no painting 99
  EXPECT_TRUE(desktop.calls.empty()) << "an unreadable painting leaves the desktop as it was";
  const std::vector<std::string> unreadable = {std::string(kPaintingNotShownText) + kPaintingUnreadableReason};
  EXPECT_EQ(host_.notices, unreadable);
}

TEST_F(ApplyEngineTest, ADesktopThatRefusesThePictureGivesOneNoticeAndKeepsNoCopy) {
  RecordingDesktop desktop;
  desktop.refusal = "gsettings is missing";
  desktop_ = &desktop;
  SetScreenSizeOverride(800, 600);
  Apply(kPainting, kAllElements);
  const std::vector<std::string> notices = {
      "The painting could not be shown on this desktop: gsettings is missing"};
  EXPECT_EQ(host_.notices, notices);
  ASSERT_EQ(desktop.requests.size(), 1u);
  EXPECT_FALSE(Exists(desktop.requests[0].picturePath));
  EXPECT_TRUE(ReadBitmapFile(library_.WallpaperHostPath()).valid) << "the records are written all the same";
  // No desktop that refuses, no notice: only the records, as without any desktop.
  host_.notices.clear();
  desktop.refusal.clear();
  Apply(kPainting, kAllElements);
  desktop_ = nullptr;
  Apply(kPainting, kAllElements);
  EXPECT_TRUE(host_.notices.empty());
}

TEST_F(ApplyEngineTest, WindowsDefaultGivesTheDesktopThePersonsOwnWallpaperBack) {
  RecordingDesktop desktop;
  desktop_ = &desktop;
  Apply(kWindowsDefaultSlotId, 2);
  Apply(kWindowsDefaultSlotId, 4);  // the start-up image alone clears the wallpaper too
  const std::vector<std::string> restored = {"restore (records: )", "restore (records: )"};
  EXPECT_EQ(desktop.calls, restored);
  desktop.calls.clear();
  Apply(kWindowsDefaultSlotId, 1);
  EXPECT_TRUE(desktop.calls.empty()) << "the screen saver alone leaves the wallpaper";
  EXPECT_FALSE(Exists(library_.WallpaperHostPath()));
}

TEST_F(ApplyEngineTest, RandomSetsPicToZeroLastWhateverTheMask) {
  host_.random = true;
  Apply(kPainting, 1);
  EXPECT_EQ(ConfigDword("Pic"), 0) << "the override comes after the Saver step";
  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 7);
  Apply(kPainting, 0);
  EXPECT_EQ(ConfigDword("Pic"), 0) << "mask 0 still takes the override";

  host_.random = false;
  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 7);
  Apply(kPainting, 0);
  EXPECT_EQ(ConfigDword("Pic"), 7);
  EXPECT_FALSE(Exists(library_.WallpaperHostPath())) << "mask 0 does nothing else";
  EXPECT_FALSE(Exists(library_.StartupImageHostPath()));
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "1") << "as the Saver step left it";
  RegWriteString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", "0");
  Apply(kPainting, 0);
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "0");
  EXPECT_EQ(host_.waitCursorShown, 0);
}

TEST_F(ApplyEngineTest, AnIndexWithoutARecordDoesNothing) {
  host_.random = true;
  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 7);
  ApplySlot(Inputs(), host_, 0);
  ApplySlot(Inputs(), host_, -1);
  EXPECT_EQ(ConfigDword("Pic"), 7) << "not even the Random override";
}

TEST_F(ApplyEngineTest, AnUnreadablePaintingLeavesThePicturesAsTheyWereAndStillSetsTheSaver) {
  SetScreenSizeOverride(800, 600);
  Apply(kPainting, kAllElements);
  const std::vector<std::uint8_t> wallpaper = FileBytes(library_.WallpaperHostPath());
  const std::vector<std::uint8_t> boot = FileBytes(library_.StartupImageHostPath());
  ASSERT_FALSE(wallpaper.empty());
  const int temporaryFiles = testing::TemporaryFileCount();

  traced.clear();
  Apply(99, kAllElements);  // the library holds no painting 99
  EXPECT_EQ(FileBytes(library_.WallpaperHostPath()), wallpaper);
  EXPECT_EQ(FileBytes(library_.StartupImageHostPath()), boot);
  EXPECT_EQ(ProfileValue("Desktop", "Wallpaper", "win.ini"), WallpaperWinPath()) << "the setting is not touched";
  EXPECT_NE(traced.find("painting 99"), std::string::npos) << traced;
  EXPECT_EQ(ConfigDword("Pic"), 99) << "the screen-saver steps still run";
  EXPECT_EQ(host_.waitCursorDepth, 0);
  EXPECT_EQ(testing::TemporaryFileCount(), temporaryFiles) << "no staged JPEG file is left behind";

  // No library at all: the same.
  ApplySlot(ApplyInputs{slots_, library_.programDir(), nullptr}, host_, 0);
  EXPECT_EQ(FileBytes(library_.WallpaperHostPath()), wallpaper);
}

TEST_F(ApplyEngineTest, PictureFilesAreReplacedByRenameAndNoStagedJpegStays) {
  SetScreenSizeOverride(800, 600);
  const int temporaryFiles = testing::TemporaryFileCount();
  // A second name for the old file keeps the old bytes only if the new file was renamed
  // over it rather than rewritten in place.
  const std::string old = library_.prefix().root() + "/old.bmp";
  { std::ofstream(library_.WallpaperHostPath()) << "old wallpaper"; }
  std::filesystem::create_hard_link(library_.WallpaperHostPath(), old);
  Apply(kPainting, kAllElements);
  EXPECT_EQ(FileBytes(old).size(), 13u);
  EXPECT_EQ(ReadBitmapFile(library_.WallpaperHostPath()).width, 800);
  EXPECT_EQ(testing::TemporaryFileCount(), temporaryFiles);
  for (const auto& entry : std::filesystem::directory_iterator(library_.prefix().programDir())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "ossen.bmp" || name == "OssenDLL.rcc" || name == "data.bin") << "left behind: " << name;
  }
}

TEST_F(ApplyEngineTest, PreviewStartsTheScreenSaverOrSaysThereIsNone) {
  auto record = MakeRecord(kPainting, 1000);
  InsertSlot(slots_, std::move(record));
  InsertSlot(slots_, MakeRecord(kWindowsDefaultSlotId, 2000));

  PreviewSlot(Inputs(), host_, 0);
  EXPECT_EQ(ConfigDword("prev"), kPainting);
  ASSERT_EQ(host_.messages.size(), 1u) << "no screen saver installed";
  EXPECT_EQ(host_.messages[0], "No Screen Saver Available");

  // A screen saver that records how it was started.
  const std::string saver = HostPathFromWin("C:\\WINDOWS\\SYSTEM\\ossen.scr");
  const std::string started = library_.prefix().root() + "/started.txt";
  { std::ofstream(saver) << "#!/bin/sh\necho \"$@\" > " << started << "\n"; }
  ::chmod(saver.c_str(), 0755);
  host_.messages.clear();
  PreviewSlot(Inputs(), host_, 0);
  EXPECT_TRUE(host_.messages.empty());
  for (int i = 0; i < 300 && FileBytes(started).empty(); ++i) ::usleep(10000);
  const std::vector<std::uint8_t> arguments = FileBytes(started);
  EXPECT_EQ(std::string(arguments.begin(), arguments.end()), "-s\n");

  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPrevValue, 3);
  PreviewSlot(Inputs(), host_, 1);
  PreviewSlot(Inputs(), host_, 5);
  EXPECT_EQ(host_.messages.size(), 2u) << "the default slot and no slot both have no screen saver";
  EXPECT_EQ(ConfigDword("prev"), 3);
}

}  // namespace
}  // namespace ossen
