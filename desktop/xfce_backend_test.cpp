// XFCE against a fake xfconf-query (and xrandr): every image property is cleared before it
// is set, a fresh install gets one property per connected output, and giving back removes
// what ossen created.

#include <gtest/gtest.h>

#include "desktop/test/fake_desktop_tools.h"

namespace ossen {
namespace {

using XfceBackendTest = testing::FakeDesktopToolsTest;

const std::string kList = "xfconf-query|-c|xfce4-desktop|-p|/backdrop|-l|-v";

TEST_F(XfceBackendTest, EveryImagePropertyIsClearedFirstSoTheSameFileReloads) {
  FakeTool("xfconf-query",
           "case \"$*\" in *' -l -v') printf '%s\\n' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/color-style  0' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/last-image   /usr/share/backdrops/a b.png' "
           "'/backdrop/screen0/monitorDP-2/workspace1/last-image     /home/p/x.jpg';; esac; exit 0");
  const std::unique_ptr<DesktopBackend> xfce = Backend(DesktopKind::kXfce);
  EXPECT_TRUE(xfce->ShowWallpaper(picture_));
  EXPECT_TRUE(xfce->ShowWallpaper(picture_));
  const std::string hdmi = "/backdrop/screen0/monitorHDMI-1/workspace0/last-image";
  const std::string dp = "/backdrop/screen0/monitorDP-2/workspace1/last-image";
  auto set = [&](const std::string& property, const std::string& value) {
    return "xfconf-query|-c|xfce4-desktop|-p|" + property + "|-s|" + value;
  };
  const std::vector<std::string> once = {set(hdmi, ""), set(hdmi, picture_), set(dp, ""), set(dp, picture_)};
  std::vector<std::string> expected = {kList, kList};  // keep, then find the properties
  expected.insert(expected.end(), once.begin(), once.end());
  expected.push_back(kList);
  expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(Calls(), expected);

  ClearCalls();
  EXPECT_TRUE(xfce->RestoreOwnWallpaper());
  const std::vector<std::string> restored = {kList, set(hdmi, "/usr/share/backdrops/a b.png"), set(dp, "/home/p/x.jpg")};
  EXPECT_EQ(Calls(), restored);
}

TEST_F(XfceBackendTest, AFreshInstallGetsOnePropertyPerConnectedOutput) {
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
  xfce->ShowWallpaper(picture_);
  std::vector<std::string> created;
  for (const std::string& call : Calls())
    if (call.find("|-s|") != std::string::npos) created.push_back(call);
  const std::string hdmi = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorHDMI-1/workspace0/last-image";
  const std::string dp = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorDP-2/workspace0/last-image";
  const std::vector<std::string> expected = {hdmi + "|-n|-t|string|-s|", hdmi + "|-s|" + picture_,
                                             dp + "|-n|-t|string|-s|", dp + "|-s|" + picture_};
  EXPECT_EQ(created, expected);

  // Giving back removes what ossen created, so xfdesktop shows its own default again.
  ClearCalls();
  EXPECT_TRUE(xfce->RestoreOwnWallpaper());
  const std::vector<std::string> restored = {kList, hdmi + "|-r", dp + "|-r"};
  EXPECT_EQ(Calls(), restored);
}

}  // namespace
}  // namespace ossen
