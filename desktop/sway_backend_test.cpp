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
  EXPECT_TRUE(sway->ShowWallpaper(picture_));
  EXPECT_TRUE(sway->RestoreOwnWallpaper());
  const std::vector<std::string> expected = {"swaymsg|output|*|bg|\"" + picture_ + "\"|fill", "swaymsg|reload"};
  EXPECT_EQ(Calls(), expected);

  // sway's own quoting cannot carry a double quote: nothing is sent.
  ClearCalls();
  EXPECT_FALSE(sway->ShowWallpaper(prefix_.programDir() + "/say \"hi\".bmp"));
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
}  // namespace ossen
