// The uninstaller gives the desktop back what the removal run gives back, on a GNOME desktop
// whose gsettings is a fake that records what it is told.
#include "setup/uninstaller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "desktop/own_wallpaper.h"
#include "desktop/test/fake_desktop_tools.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"

namespace ossen::setup {
namespace {

using UninstallGiveBackTest = testing::FakeDesktopToolsTest;

std::string ScreenSaveActive() {
  char text[8] = "";
  RegReadString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveActive", text, sizeof text);
  return text;
}

TEST_F(UninstallGiveBackTest, TheOwnWallpaperAndTheScreenSaverComeBackOnce) {
  FakeTool("gsettings", "[ \"$1\" = get ] && echo \"'file:///home/p/own.jpg'\"; exit 0");
  ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  // A painting was shown and the screen saver named, as an Apply leaves them.
  ASSERT_TRUE(MakeDesktopBackendForSession()->ShowWallpaper({picture_}).shown);
  WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SYSTEM\\ossen.scr", "system.ini");
  SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE);
  ClearCalls();

  const RemovalResult result = Uninstall();
  const std::vector<std::string> calls = Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      "gsettings|set|org.gnome.desktop.background|picture-uri|'file:///home/p/own.jpg'"),
            calls.end());
  EXPECT_FALSE(LoadOwnWallpaper("gnome")) << "what was given back is forgotten";
  char text[MAX_PATH] = "";
  EXPECT_EQ(GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", text, sizeof text, "system.ini"), 0u) << text;
  EXPECT_EQ(ScreenSaveActive(), "0");
  EXPECT_EQ(result.givenBack.size(), 2u);

  // Nothing is given twice, and a saver of another name is not ours to take.
  WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SYSTEM\\stars.scr", "system.ini");
  SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE);
  ClearCalls();
  EXPECT_TRUE(Uninstall().givenBack.empty());
  EXPECT_TRUE(Calls().empty());
  GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", text, sizeof text, "system.ini");
  EXPECT_STREQ(text, "C:\\WINDOWS\\SYSTEM\\stars.scr");
  EXPECT_EQ(ScreenSaveActive(), "1");
}

}  // namespace
}  // namespace ossen::setup
