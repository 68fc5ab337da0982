// The gsettings desktops against a fake gsettings: which schema and keys each takes, in
// which form, and how the person's own picture is kept and given back.

#include <gtest/gtest.h>

#include <chrono>

#include "desktop/backend_common.h"
#include "desktop/own_wallpaper.h"
#include "desktop/test/fake_desktop_tools.h"

namespace ossen {
namespace {

using GSettingsBackendTest = testing::FakeDesktopToolsTest;

TEST_F(GSettingsBackendTest, GnomeGetsBothKeysAsEncodedFileUrisAndTheOwnPictureBack) {
  FakeTool("gsettings",
           "[ \"$1\" = get ] && case \"$3\" in picture-options) echo \"'scaled'\";; "
           "*) echo \"'file:///home/p/own%20pic.jpg'\";; esac; exit 0");
  const std::string uri = "'" + FileUriFromPath(picture_) + "'";
  ASSERT_NE(uri.find("/my%20pics/ossen%231.bmp'"), std::string::npos);

  const std::unique_ptr<DesktopBackend> gnome = Backend(DesktopKind::kGnome);
  EXPECT_STREQ(gnome->Name(), "gnome");
  EXPECT_TRUE(gnome->ShowWallpaper({picture_}).shown);
  EXPECT_TRUE(gnome->ShowWallpaper({picture_, WallpaperPlacement::Fit}).shown);
  const std::vector<std::string> expected = {
      "gsettings|get|org.gnome.desktop.background|picture-uri",
      "gsettings|get|org.gnome.desktop.background|picture-uri-dark",
      "gsettings|get|org.gnome.desktop.background|picture-options",
      "gsettings|set|org.gnome.desktop.background|picture-options|'zoom'",
      "gsettings|set|org.gnome.desktop.background|picture-uri|" + uri,
      "gsettings|set|org.gnome.desktop.background|picture-uri-dark|" + uri,
      // The second time the own setting is already kept; the picture still goes out.
      "gsettings|set|org.gnome.desktop.background|picture-options|'scaled'",
      "gsettings|set|org.gnome.desktop.background|picture-uri|" + uri,
      "gsettings|set|org.gnome.desktop.background|picture-uri-dark|" + uri,
  };
  EXPECT_EQ(Calls(), expected);

  ClearCalls();
  EXPECT_TRUE(gnome->RestoreOwnWallpaper());
  const std::vector<std::string> restored = {
      "gsettings|set|org.gnome.desktop.background|picture-uri|'file:///home/p/own%20pic.jpg'",
      "gsettings|set|org.gnome.desktop.background|picture-uri-dark|'file:///home/p/own%20pic.jpg'",
      "gsettings|set|org.gnome.desktop.background|picture-options|'scaled'",
  };
  EXPECT_EQ(Calls(), restored);
  EXPECT_FALSE(LoadOwnWallpaper("gnome")) << "what was given back is forgotten";
}

TEST_F(GSettingsBackendTest, EachPlacementHasItsPictureOptionAndTheCopiesGoOnGiveBack) {
  FakeTool("gsettings", "exit 0");
  const std::unique_ptr<DesktopBackend> gnome = Backend(DesktopKind::kGnome);
  const std::pair<WallpaperPlacement, const char*> options[] = {
      {WallpaperPlacement::Fill, "zoom"},         {WallpaperPlacement::Fit, "scaled"},
      {WallpaperPlacement::Stretch, "stretched"}, {WallpaperPlacement::Center, "centered"},
      {WallpaperPlacement::Tile, "wallpaper"},    {WallpaperPlacement::Span, "spanned"}};
  std::vector<std::string> copies;
  for (const auto& [placement, option] : options) {
    copies.push_back(PictureCopy());
    ClearCalls();
    EXPECT_TRUE(gnome->ShowWallpaper({copies.back(), placement}).shown);
    const std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3], std::string("gsettings|set|org.gnome.desktop.background|picture-options|'") +
                                           option + "'");
    // The full-colour copy itself is named, a fresh one each time.
    EXPECT_EQ(calls.back(), "gsettings|set|org.gnome.desktop.background|picture-uri-dark|'" +
                                FileUriFromPath(copies.back()) + "'");
  }
  EXPECT_TRUE(copies.front().ends_with("/desktop/ossen-1.jpg")) << copies.front();
  EXPECT_TRUE(copies.back().ends_with("/desktop/ossen-6.jpg")) << copies.back();
  gnome->RestoreOwnWallpaper();
  for (const std::string& copy : copies) EXPECT_FALSE(std::filesystem::exists(copy)) << copy;
  EXPECT_FALSE(std::filesystem::exists(DesktopPictureFolder())) << "nor is their folder left behind";
}

TEST_F(GSettingsBackendTest, OtherGSettingsDesktopsUseTheirOwnSchemaAndForm) {
  FakeTool("gsettings", "[ \"$1\" = get ] && echo \"'/home/p/mine.png'\"; exit 0");
  Backend(DesktopKind::kCinnamon)->ShowWallpaper({picture_});
  Backend(DesktopKind::kMate)->ShowWallpaper({picture_, WallpaperPlacement::Tile});
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[2], "gsettings|set|org.cinnamon.desktop.background|picture-options|'zoom'");
  EXPECT_EQ(calls[3], "gsettings|set|org.cinnamon.desktop.background|picture-uri|'" + FileUriFromPath(picture_) + "'");
  // MATE takes a plain path.
  EXPECT_EQ(calls[6], "gsettings|set|org.mate.background|picture-options|'wallpaper'");
  EXPECT_EQ(calls[7], "gsettings|set|org.mate.background|picture-filename|'" + picture_ + "'");
  // Unity and Budgie read GNOME's keys; each keeps its own under its own name.
  for (const DesktopKind kind : {DesktopKind::kUnity, DesktopKind::kBudgie}) {
    ClearCalls();
    Backend(kind)->ShowWallpaper({picture_});
    ASSERT_EQ(Calls().size(), 6u) << DesktopKindName(kind);
    EXPECT_EQ(Calls()[0], "gsettings|get|org.gnome.desktop.background|picture-uri");
    EXPECT_TRUE(LoadOwnWallpaper(DesktopKindName(kind)));
  }
}

TEST_F(GSettingsBackendTest, AKeptValueThatNamesOurOwnPictureIsNotGivenBack) {
  FakeTool("gsettings", "[ \"$1\" = get ] && echo \"'file:///old/program/ossen-12.bmp'\"; exit 0");
  const std::unique_ptr<DesktopBackend> gnome = Backend(DesktopKind::kGnome);
  gnome->ShowWallpaper({picture_});
  ClearCalls();
  EXPECT_FALSE(gnome->RestoreOwnWallpaper());
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(LoadOwnWallpaper("gnome")) << "an empty keep is forgotten, so the next painting keeps afresh";
}

TEST_F(GSettingsBackendTest, AMissingFailingOrHangingToolIsNoError) {
  const std::unique_ptr<DesktopBackend> gnome = Backend(DesktopKind::kGnome);
  // No gsettings at all: refused, and the reason says so in words for the person.
  DesktopResult result = gnome->ShowWallpaper({picture_});
  EXPECT_FALSE(result.shown);
  EXPECT_EQ(result.reason, "gsettings is missing");

  FakeTool("gsettings", "exit 3");
  result = gnome->ShowWallpaper({picture_});
  EXPECT_FALSE(result.shown);
  EXPECT_EQ(result.reason, "gsettings failed (exit 3)");
  EXPECT_EQ(Calls().size(), 4u) << "a failed get keeps nothing, the picture still goes out";

  FakeTool("gsettings", "exec /bin/sleep 30");
  ClearCalls();
  const auto start = std::chrono::steady_clock::now();
  result = gnome->ShowWallpaper({picture_});
  EXPECT_FALSE(result.shown);
  EXPECT_EQ(result.reason, "gsettings did not answer within 0.4 s");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(Calls().size(), 1u) << "after one tool hung, the rest of the change is skipped";
  EXPECT_FALSE(LoadOwnWallpaper("gnome"));

  // The next change asks the desktop again.
  FakeTool("gsettings", "exit 0");
  ClearCalls();
  result = gnome->ShowWallpaper({picture_});
  EXPECT_TRUE(result.shown);
  EXPECT_TRUE(result.reason.empty());
  EXPECT_EQ(Calls().size(), 6u);
}

}  // namespace
}  // namespace ossen
