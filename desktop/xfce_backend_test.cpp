// XFCE against a fake xfconf-query (and xrandr): every image property gets the placement's
// style and is cleared before it is set, a fresh install gets one property per connected
// output, and giving back restores what was there and removes only what ossen created.

#include <gtest/gtest.h>

#include "desktop/test/fake_desktop_tools.h"

namespace ossen {
namespace {

using XfceBackendTest = testing::FakeDesktopToolsTest;

const std::string kList = "xfconf-query|-c|xfce4-desktop|-p|/backdrop|-l|-v";

TEST_F(XfceBackendTest, EveryImagePropertyGetsItsStyleAndIsClearedFirstAndGiveBackRestoresOldValues) {
  FakeTool("xfconf-query",
           "case \"$*\" in *' -l -v') printf '%s\\n' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/color-style  0' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/image-style  3' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/last-image   /usr/share/backdrops/a b.png' "
           "'/backdrop/screen0/monitorDP-2/workspace1/last-image     /home/p/x.jpg';; esac; exit 0");
  const std::unique_ptr<DesktopBackend> xfce = Backend(DesktopKind::kXfce);
  const std::string copy = PictureCopy();
  EXPECT_TRUE(xfce->ShowWallpaper({copy}).shown);
  EXPECT_TRUE(xfce->ShowWallpaper({copy, WallpaperPlacement::Center}).shown);
  const std::string hdmi = "/backdrop/screen0/monitorHDMI-1/workspace0/";
  const std::string dp = "/backdrop/screen0/monitorDP-2/workspace1/";
  auto set = [&](const std::string& property, const std::string& value) {
    return "xfconf-query|-c|xfce4-desktop|-p|" + property + "|-s|" + value;
  };
  auto create = [&](const std::string& property, const std::string& value) {
    return "xfconf-query|-c|xfce4-desktop|-p|" + property + "|-n|-t|int|-s|" + value;
  };
  auto once = [&](const std::string& style) {
    return std::vector<std::string>{set(hdmi + "image-style", style), set(hdmi + "last-image", ""),
                                    set(hdmi + "last-image", copy),   create(dp + "image-style", style),
                                    set(dp + "last-image", ""),       set(dp + "last-image", copy)};
  };
  std::vector<std::string> expected = {kList, kList};  // keep, then find the properties
  for (const std::string& call : once("5")) expected.push_back(call);  // fill: zoomed
  expected.push_back(kList);
  for (const std::string& call : once("1")) expected.push_back(call);  // centre: centred
  EXPECT_EQ(Calls(), expected);

  // What was there gets its old value back; only the style ossen created goes.
  ClearCalls();
  EXPECT_TRUE(xfce->RestoreOwnWallpaper());
  const std::vector<std::string> restored = {
      set(hdmi + "image-style", "3"), set(hdmi + "last-image", "/usr/share/backdrops/a b.png"),
      set(dp + "last-image", "/home/p/x.jpg"), "xfconf-query|-c|xfce4-desktop|-p|" + dp + "image-style|-r"};
  EXPECT_EQ(Calls(), restored);
  EXPECT_FALSE(std::filesystem::exists(copy)) << "the full-colour copy goes with the give-back";
}

TEST_F(XfceBackendTest, EachPlacementHasItsImageStyle) {
  FakeTool("xfconf-query",
           "case \"$*\" in *' -l -v') echo '/backdrop/screen0/monitorscreen/workspace0/last-image  /a.png';; esac");
  const std::unique_ptr<DesktopBackend> xfce = Backend(DesktopKind::kXfce);
  const std::pair<WallpaperPlacement, const char*> styles[] = {
      {WallpaperPlacement::Fill, "5"}, {WallpaperPlacement::Fit, "4"},  {WallpaperPlacement::Stretch, "3"},
      {WallpaperPlacement::Center, "1"}, {WallpaperPlacement::Tile, "2"}, {WallpaperPlacement::Span, "6"}};
  for (const auto& [placement, style] : styles) {
    ClearCalls();
    xfce->ShowWallpaper({picture_, placement});
    const std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_TRUE(calls[calls.size() - 3].ends_with("/workspace0/image-style|-n|-t|int|-s|" + std::string(style)))
        << calls[calls.size() - 3];
  }
}

TEST_F(XfceBackendTest, AFreshInstallGetsOnePropertyPerConnectedOutputAndLosesThemAgain) {
  // Remembers what is set, as xfconf does, so that the give-back sees the created properties.
  const std::string state = prefix_.root() + "/xfconf.state";
  FakeTool("xfconf-query", "S='" + state + "'\n"
           "case \"$*\" in *' -l -v') [ -s \"$S\" ] && /bin/cat \"$S\" && exit 0; exit 1;; *' -r') exit 0;; esac\n"
           "eval last=\\${$#}; : >> \"$S\"; /bin/grep -v \"^$4 \" \"$S\" > \"$S.new\"; "
           "echo \"$4  $last\" >> \"$S.new\"; /bin/mv \"$S.new\" \"$S\"");
  FakeTool("xrandr",
           "printf '%s\\n' 'Screen 0: minimum 8 x 8, current 3200 x 1080' "
           "'HDMI-1 connected primary 1920x1080+0+0 (normal left inverted right) 510mm x 290mm' "
           "'   1920x1080     60.00*+' 'DP-1 disconnected (normal left inverted right)' "
           "'DP-2 connected 1280x1024+1920+0 (normal) 0mm x 0mm'");
  const std::unique_ptr<DesktopBackend> xfce = Backend(DesktopKind::kXfce);
  xfce->ShowWallpaper({picture_});
  std::vector<std::string> created;
  for (const std::string& call : Calls())
    if (call.find("|-s|") != std::string::npos) created.push_back(call);
  const std::string hdmi = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorHDMI-1/workspace0/";
  const std::string dp = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorDP-2/workspace0/";
  const std::vector<std::string> expected = {
      hdmi + "image-style|-n|-t|int|-s|5", hdmi + "last-image|-n|-t|string|-s|", hdmi + "last-image|-s|" + picture_,
      dp + "image-style|-n|-t|int|-s|5",   dp + "last-image|-n|-t|string|-s|",   dp + "last-image|-s|" + picture_};
  EXPECT_EQ(created, expected);

  // Giving back removes what ossen created, so xfdesktop shows its own default again.
  ClearCalls();
  EXPECT_TRUE(xfce->RestoreOwnWallpaper());
  const std::vector<std::string> restored = {hdmi + "image-style|-r", hdmi + "last-image|-r", dp + "image-style|-r",
                                             dp + "last-image|-r"};
  EXPECT_EQ(Calls(), restored);
}

}  // namespace
}  // namespace ossen
