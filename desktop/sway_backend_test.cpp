// sway against a fake swaymsg: the background of every output, and its own configuration
// reloaded for the person's own background.

#include <gtest/gtest.h>

#include "desktop/test/fake_desktop_tools.h"

namespace ossen {
namespace {

using SwayBackendTest = testing::FakeDesktopToolsTest;

TEST_F(SwayBackendTest, EveryOutputIsSetAndTheConfigurationReloadedForTheOwnPicture) {
  FakeTool("swaymsg", "exit 0");
  const std::unique_ptr<DesktopBackend> sway = Backend(DesktopKind::kSway);
  const std::pair<WallpaperPlacement, const char*> modes[] = {
      {WallpaperPlacement::Fill, "fill"},     {WallpaperPlacement::Fit, "fit"},   {WallpaperPlacement::Stretch, "stretch"},
      {WallpaperPlacement::Center, "center"}, {WallpaperPlacement::Tile, "tile"}, {WallpaperPlacement::Span, "fill"}};
  std::vector<std::string> expected;
  std::string copy;
  for (const auto& [placement, mode] : modes) {
    copy = PictureCopy();
    EXPECT_TRUE(sway->ShowWallpaper({copy, placement}).shown);
    expected.push_back("swaymsg|output|*|bg|\"" + copy + "\"|" + mode);
  }
  EXPECT_TRUE(sway->RestoreOwnWallpaper());
  expected.push_back("swaymsg|reload");
  EXPECT_EQ(Calls(), expected);
  EXPECT_FALSE(std::filesystem::exists(copy)) << "the copies go with the give-back";

  // sway's own quoting cannot carry a double quote: nothing is sent, and the person is told.
  ClearCalls();
  const DesktopResult refused = sway->ShowWallpaper({prefix_.programDir() + "/say \"hi\".jpg"});
  EXPECT_FALSE(refused.shown);
  EXPECT_EQ(refused.reason, "sway cannot take a file name with a double quote");
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
}  // namespace ossen
