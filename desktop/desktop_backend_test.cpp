// Choosing the desktop's backend, the backends that show nothing, and the pieces every
// backend shares: the desktop's detection, the texts the tools take and print, the kept
// file. The Windows records that SystemParametersInfo writes beside them are here too.

#include "desktop/desktop_backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "desktop/backend_common.h"
#include "desktop/own_wallpaper.h"
#include "desktop/test/fake_desktop_tools.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {
namespace {

using DesktopBackendTest = testing::FakeDesktopToolsTest;

TEST_F(DesktopBackendTest, EachDesktopGetsItsOwnBackendAndTheSessionTheDetectedOne) {
  ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
  EXPECT_STREQ(MakeDesktopBackendForSession()->Name(), "gnome");
  ::setenv("XDG_CURRENT_DESKTOP", "X-Cinnamon", 1);
  EXPECT_STREQ(MakeDesktopBackendForSession()->Name(), "cinnamon");
  ::unsetenv("XDG_CURRENT_DESKTOP");
  ::setenv("KDE_FULL_SESSION", "true", 1);
  EXPECT_STREQ(MakeDesktopBackendForSession()->Name(), "plasma");
  ::unsetenv("KDE_FULL_SESSION");
  ::setenv("DISPLAY", ":7", 1);
  EXPECT_STREQ(MakeDesktopBackendForSession()->Name(), "x11");
  for (const DesktopKind kind : {DesktopKind::kUnity, DesktopKind::kBudgie, DesktopKind::kMate, DesktopKind::kXfce,
                                 DesktopKind::kSway, DesktopKind::kNone, DesktopKind::kUnknown})
    EXPECT_STREQ(Backend(kind)->Name(), DesktopKindName(kind));
}

TEST_F(DesktopBackendTest, AnUnknownOrMissingDesktopIsNeitherAskedNorChanged) {
  FakeTool("gsettings", "exit 0");
  ::setenv("WAYLAND_DISPLAY", "wayland-1", 1);
  const std::unique_ptr<DesktopBackend> unknown = MakeDesktopBackendForSession();
  EXPECT_STREQ(unknown->Name(), "unknown");
  EXPECT_FALSE(unknown->ShowWallpaper({picture_}).shown);
  ::unsetenv("WAYLAND_DISPLAY");
  const std::unique_ptr<DesktopBackend> none = MakeDesktopBackendForSession();
  EXPECT_STREQ(none->Name(), "none");
  EXPECT_FALSE(none->ShowWallpaper({picture_}).shown);
  EXPECT_FALSE(none->RestoreOwnWallpaper());
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(LoadOwnWallpaper("none")) << "nothing is kept for a desktop that was never asked";
}

TEST_F(DesktopBackendTest, TheSwitchKeepsTheBackendAwayFromTheDesktop) {
  ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  ::setenv("OSSEN_DESKTOP_BRIDGE", "off", 1);
  FakeTool("gsettings", "exit 0");
  const OwnSettings own = {{"picture-uri", "file:///home/p/own.png"}};
  ASSERT_TRUE(SaveOwnWallpaper("gnome", own));
  const std::unique_ptr<DesktopBackend> off = MakeDesktopBackendForSession();
  EXPECT_STREQ(off->Name(), "off");
  EXPECT_FALSE(off->ShowWallpaper({picture_}).shown);
  EXPECT_FALSE(off->RestoreOwnWallpaper());
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(LoadOwnWallpaper("gnome"), own) << "what is kept stays for a later run with the bridge on";
}

std::string RecordedWinIni() {
  char buffer[MAX_PATH] = "";
  GetPrivateProfileString("Desktop", "Wallpaper", "<none>", buffer, sizeof buffer, "win.ini");
  return buffer;
}

std::string RecordedRegistry(const char* value) {
  char buffer[MAX_PATH] = "";
  if (!RegReadString(HKEY_CURRENT_USER, "Control Panel\\Desktop", value, buffer, sizeof buffer)) return "<none>";
  return buffer;
}

TEST_F(DesktopBackendTest, ThePlacementIsWhatTheWindowsRecordsChoose) {
  constexpr char kKey[] = "Control Panel\\Desktop";
  EXPECT_EQ(ReadWallpaperPlacement(), WallpaperPlacement::Fill) << "no records at all";
  struct Case {
    const char* style;
    const char* tile;
    WallpaperPlacement placement;
  };
  const Case cases[] = {{"10", "0", WallpaperPlacement::Fill},   {"6", "1", WallpaperPlacement::Fit},
                        {"2", "1", WallpaperPlacement::Stretch}, {"0", "0", WallpaperPlacement::Center},
                        {"0", "1", WallpaperPlacement::Tile},    {" 0 ", " 1", WallpaperPlacement::Tile},
                        {"22", "", WallpaperPlacement::Span},    {"7", "1", WallpaperPlacement::Fill},
                        {"", "1", WallpaperPlacement::Fill},     {"0x6", "", WallpaperPlacement::Fill}};
  for (const Case& c : cases) {
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "WallpaperStyle", c.style), 1);
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "TileWallpaper", c.tile), 1);
    EXPECT_EQ(ReadWallpaperPlacement(), c.placement) << '"' << c.style << "\" \"" << c.tile << '"';
  }
  // A style of another type or one too long for any known value is no known style.
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kKey, "WallpaperStyle", 6), 1);
  EXPECT_EQ(ReadWallpaperPlacement(), WallpaperPlacement::Fill);
  ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "WallpaperStyle", std::string(300, '6').c_str()), 1);
  EXPECT_EQ(ReadWallpaperPlacement(), WallpaperPlacement::Fill);
}

TEST_F(DesktopBackendTest, RecordsFollowTheUpdateFlag) {
  char path[] = "C:\\WINDOWS\\ossen.bmp";
  EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, path, 0));
  EXPECT_EQ(RecordedWinIni(), "<none>");
  EXPECT_EQ(RecordedRegistry("Wallpaper"), "<none>");
  EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, path, SPIF_UPDATEINIFILE));
  EXPECT_EQ(RecordedWinIni(), path);
  EXPECT_EQ(RecordedRegistry("Wallpaper"), path);
  EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_UPDATEINIFILE));
  EXPECT_EQ(RecordedWinIni(), "");
  EXPECT_EQ(RecordedRegistry("Wallpaper"), "");

  EXPECT_TRUE(SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE));
  EXPECT_EQ(RecordedRegistry("ScreenSaveActive"), "1");
  EXPECT_TRUE(SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0));
  EXPECT_EQ(RecordedRegistry("ScreenSaveActive"), "1");
  EXPECT_TRUE(SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_UPDATEINIFILE));
  EXPECT_EQ(RecordedRegistry("ScreenSaveActive"), "0");
  EXPECT_FALSE(SystemParametersInfo(99, 0, nullptr, SPIF_UPDATEINIFILE));
}

TEST(DesktopSettingsTest, VersionAndScreenSize) {
  OSVERSIONINFO info{};
  ASSERT_TRUE(GetVersionEx(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
  EXPECT_EQ(info.dwBuildNumber, 950u);
  EXPECT_FALSE(GetVersionEx(nullptr));

  SetScreenSizeOverride(800, 600);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  SetScreenSizeOverride(0, 0);
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  ::unsetenv("DISPLAY");
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);  // no Qt, no display
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  if (display) ::setenv("DISPLAY", saved.c_str(), 1);
}

TEST(DesktopKindTest, EachComponentIsMatchedBudgieBeforeGnome) {
  auto detect = [](std::map<std::string, std::string> env) {
    return DetectDesktop([&env](const char* name) -> const char* {
      auto it = env.find(name);
      return it == env.end() ? nullptr : it->second.c_str();
    });
  };
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}), DesktopKind::kGnome);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "GNOME:Budgie"}}), DesktopKind::kBudgie);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}), DesktopKind::kBudgie);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "Unity:Unity7:ubuntu"}}), DesktopKind::kUnity);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}), DesktopKind::kCinnamon);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "Foo:XFCE"}}), DesktopKind::kXfce);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":1"}}),
            DesktopKind::kUnknown);
  EXPECT_EQ(detect({{"DESKTOP_SESSION", "mate"}}), DesktopKind::kMate);
  EXPECT_EQ(detect({{"KDE_FULL_SESSION", "true"}}), DesktopKind::kPlasma);
  EXPECT_EQ(detect({{"KDE_SESSION_VERSION", "5"}}), DesktopKind::kPlasma);
  EXPECT_EQ(detect({{"SWAYSOCK", "/run/s"}, {"WAYLAND_DISPLAY", "w"}}), DesktopKind::kSway);
  EXPECT_EQ(detect({{"XDG_SESSION_DESKTOP", "cinnamon"}}), DesktopKind::kCinnamon);
  EXPECT_EQ(detect({{"XDG_CURRENT_DESKTOP", "openbox"}, {"DISPLAY", ":3"}}), DesktopKind::kBareX11);
  EXPECT_EQ(detect({}), DesktopKind::kNone);
}

TEST(DesktopTextTest, UrisAndGVariantLiteralsRoundTrip) {
  const std::string path = "/home/p/100% sure/it's \"ü\".bmp";
  const std::string uri = FileUriFromPath(path);
  EXPECT_EQ(uri, "file:///home/p/100%25%20sure/it%27s%20%22%C3%BC%22.bmp");
  EXPECT_EQ(PathFromFileUri(uri), path);
  EXPECT_EQ(PathFromFileUri("file://localhost/a%2Fb"), "/a/b");
  EXPECT_EQ(PathFromFileUri("/plain/path"), "/plain/path");
  EXPECT_FALSE(PathFromFileUri("file:///bad%2"));
  EXPECT_FALSE(PathFromFileUri("file:///nul%00"));
  EXPECT_FALSE(PathFromFileUri("file:///bad%zz"));

  EXPECT_EQ(GVariantStringLiteral("it's a\\b"), "'it\\'s a\\\\b'");
  EXPECT_EQ(ParseGVariantString(GVariantStringLiteral("it's a\\b") + "\n"), "it's a\\b");
  EXPECT_EQ(ParseGVariantString("@s 'x'\n"), "x");
  EXPECT_EQ(ParseGVariantString("\"it's\""), "it's");
  EXPECT_EQ(ParseGVariantString("''"), "");
  EXPECT_FALSE(ParseGVariantString("'a'b'"));
  EXPECT_FALSE(ParseGVariantString("42"));
  EXPECT_FALSE(ParseGVariantString("'unterminated\\'"));
}

TEST(DesktopTextTest, OurOwnPicturesAreKnownInAnyCaseAndAnyForm) {
  EXPECT_TRUE(NamesOurPicture("file:///old/program/OSSEN.BMP"));
  EXPECT_TRUE(NamesOurPicture("/old/program/Ossen-12.Bmp"));
  EXPECT_TRUE(NamesOurPicture("file:///my%20pics/ossen-3.bmp"));
  EXPECT_FALSE(NamesOurPicture("/home/p/ossen-.bmp"));
  EXPECT_FALSE(NamesOurPicture("/home/p/ossen-1a.bmp"));
  EXPECT_FALSE(NamesOurPicture("/home/p/my-ossen.bmp"));
  EXPECT_FALSE(NamesOurPicture("file:///bad%zz/ossen.bmp")) << "no path, nothing of ours";
}

TEST(OwnWallpaperTest, KeptTextIsReadBackAsHostileInput) {
  const OwnSettings own = {{"picture-uri", " 'quoted' with blanks "}, {"picture-uri-dark", ""}};
  const std::string text = OwnSettingsIntoText("[xfce]\r\nkept=1\r\n/backdrop/a=\"x\"\r\n", "gnome", &own);
  EXPECT_EQ(OwnSettingsFromText(text, "gnome"), own);
  EXPECT_EQ(OwnSettingsFromText(text, "xfce"), (OwnSettings{{"/backdrop/a", "x"}}));
  EXPECT_FALSE(OwnSettingsFromText(text, "plasma"));
  EXPECT_EQ(OwnSettingsFromText(OwnSettingsIntoText(text, "gnome", nullptr), "gnome"), std::nullopt);

  // Lines no desktop could have written are dropped, the rest is kept.
  const std::string hostile = "[gnome]\nkept=1\npicture-uri=\"a\tb\"\nbad name=x\npicture-uri-dark=\"ok\"\n";
  EXPECT_EQ(OwnSettingsFromText(hostile, "gnome"), (OwnSettings{{"picture-uri-dark", "ok"}}));
  EXPECT_EQ(OwnSettingsFromText("[gnome]\nkept=1\n", "gnome"), OwnSettings{});
  EXPECT_FALSE(IsAcceptableOwnSetting("a", std::string(kMaxOwnSettingBytes + 1, 'x')));
}

}  // namespace
}  // namespace ossen
