// The desktop bridge against fakes of each desktop's tool: small scripts on PATH that
// record their arguments, one invocation per line, and answer what the real tool would.

#include "desktop/desktop_bridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "desktop/desktop_kind.h"
#include "desktop/desktop_wallpaper.h"
#include "platform/win32/desktop_settings.h"
#include "desktop/own_wallpaper.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

// Every variable the desktop is detected from, cleared for the test and put back after.
constexpr const char* kSessionVariables[] = {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                             "KDE_SESSION_VERSION", "SWAYSOCK",        "XDG_SESSION_DESKTOP",
                                             "DISPLAY",             "WAYLAND_DISPLAY", "PATH",
                                             "OSSEN_DESKTOP_BRIDGE"};

class DesktopBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kSessionVariables) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      ::unsetenv(name);
    }
    bin_ = prefix_.root() + "/bin";
    log_ = prefix_.root() + "/tools.log";
    fs::create_directories(bin_);
    // Only the fakes: a real tool on this machine must never answer.
    ::setenv("PATH", bin_.c_str(), 1);
    fs::create_directories(prefix_.programDir() + "/my pics");
    picture_ = prefix_.programDir() + "/my pics/ossen#1.bmp";
    std::ofstream(picture_) << "BM";
    SetDesktopToolTimeout(400);
  }
  void TearDown() override {
    SetDesktopToolTimeout(0);
    for (const char* name : kSessionVariables) {
      auto it = saved_.find(name);
      if (it != saved_.end())
        ::setenv(name, it->second.c_str(), 1);
      else
        ::unsetenv(name);
    }
  }

  // A fake tool: records "name|arg|arg..." and then runs `answer` (shell, "$@" are the
  // arguments).
  void FakeTool(const std::string& name, const std::string& answer = "") {
    const std::string path = bin_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n"
                        << "{ printf '%s' \"${0##*/}\"; for a in \"$@\"; do printf '|%s' \"$a\"; done; echo; } >> '"
                        << log_ << "'\n"
                        << answer << "\n";
    fs::permissions(path, fs::perms::owner_all);
  }

  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void ClearCalls() const { fs::remove(log_); }

  BOOL SetWallpaper(const std::string& winPath) {
    return SetDesktopWallpaper(winPath.c_str(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
  }
  std::string PictureWinPath() const { return WinPathFromHost(picture_); }

  std::string RecordedWinIni() const {
    char buffer[MAX_PATH] = "";
    GetPrivateProfileString("Desktop", "Wallpaper", "<none>", buffer, sizeof buffer, "win.ini");
    return buffer;
  }
  std::string RecordedRegistry(const char* value) const {
    char buffer[MAX_PATH] = "";
    if (!RegReadString(HKEY_CURRENT_USER, "Control Panel\\Desktop", value, buffer, sizeof buffer)) return "<none>";
    return buffer;
  }
  void ExpectRecords(const std::string& wallpaper) const {
    EXPECT_EQ(RecordedWinIni(), wallpaper);
    EXPECT_EQ(RecordedRegistry("Wallpaper"), wallpaper);
  }

  testing::TempPrefix prefix_;
  std::map<std::string, std::string> saved_;
  std::string bin_, log_, picture_;
};

TEST_F(DesktopBridgeTest, GnomeGetsBothKeysAsEncodedFileUrisAndTheOwnPictureBack) {
  ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
  FakeTool("gsettings", "[ \"$1\" = get ] && echo \"'file:///home/p/own%20pic.jpg'\"; exit 0");
  const std::string uri = "'" + FileUriFromPath(picture_) + "'";
  ASSERT_NE(uri.find("/my%20pics/ossen%231.bmp'"), std::string::npos);

  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  const std::vector<std::string> expected = {
      "gsettings|get|org.gnome.desktop.background|picture-uri",
      "gsettings|get|org.gnome.desktop.background|picture-uri-dark",
      "gsettings|set|org.gnome.desktop.background|picture-uri|" + uri,
      "gsettings|set|org.gnome.desktop.background|picture-uri-dark|" + uri,
      // The second time the own setting is already kept; the picture still goes out.
      "gsettings|set|org.gnome.desktop.background|picture-uri|" + uri,
      "gsettings|set|org.gnome.desktop.background|picture-uri-dark|" + uri,
  };
  EXPECT_EQ(Calls(), expected);
  ExpectRecords(PictureWinPath());

  ClearCalls();
  EXPECT_TRUE(SetWallpaper(""));
  const std::vector<std::string> restored = {
      "gsettings|set|org.gnome.desktop.background|picture-uri|'file:///home/p/own%20pic.jpg'",
      "gsettings|set|org.gnome.desktop.background|picture-uri-dark|'file:///home/p/own%20pic.jpg'",
  };
  EXPECT_EQ(Calls(), restored);
  ExpectRecords("");  // the records still say "no wallpaper", as Windows keeps them
  EXPECT_FALSE(LoadOwnWallpaper("gnome")) << "what was given back is forgotten";
}

TEST_F(DesktopBridgeTest, OtherGSettingsDesktopsUseTheirOwnSchemaAndForm) {
  FakeTool("gsettings", "[ \"$1\" = get ] && echo \"'/home/p/mine.png'\"; exit 0");
  ::setenv("XDG_CURRENT_DESKTOP", "X-Cinnamon", 1);
  SetWallpaper(PictureWinPath());
  ::setenv("XDG_CURRENT_DESKTOP", "MATE", 1);
  SetWallpaper(PictureWinPath());
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[1], "gsettings|set|org.cinnamon.desktop.background|picture-uri|'" + FileUriFromPath(picture_) + "'");
  // MATE takes a plain path.
  EXPECT_EQ(calls[3], "gsettings|set|org.mate.background|picture-filename|'" + picture_ + "'");
}

TEST_F(DesktopBridgeTest, AKeptValueThatNamesOurOwnPictureIsNotGivenBack) {
  ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  FakeTool("gsettings", "[ \"$1\" = get ] && echo \"'file:///old/program/ossen-12.bmp'\"; exit 0");
  SetWallpaper(PictureWinPath());
  ClearCalls();
  EXPECT_FALSE(RestoreOwnWallpaper(DesktopKind::kGnome));
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(LoadOwnWallpaper("gnome")) << "an empty keep is forgotten, so the next painting keeps afresh";
}

TEST_F(DesktopBridgeTest, XfceClearsEveryImagePropertyFirstSoTheSameFileReloads) {
  ::setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
  FakeTool("xfconf-query",
           "case \"$*\" in *' -l -v') printf '%s\\n' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/color-style  0' "
           "'/backdrop/screen0/monitorHDMI-1/workspace0/last-image   /usr/share/backdrops/a b.png' "
           "'/backdrop/screen0/monitorDP-2/workspace1/last-image     /home/p/x.jpg';; esac; exit 0");
  SetWallpaper(PictureWinPath());
  SetWallpaper(PictureWinPath());
  const std::string hdmi = "/backdrop/screen0/monitorHDMI-1/workspace0/last-image";
  const std::string dp = "/backdrop/screen0/monitorDP-2/workspace1/last-image";
  const std::string list = "xfconf-query|-c|xfce4-desktop|-p|/backdrop|-l|-v";
  auto set = [&](const std::string& property, const std::string& value) {
    return "xfconf-query|-c|xfce4-desktop|-p|" + property + "|-s|" + value;
  };
  const std::vector<std::string> once = {set(hdmi, ""), set(hdmi, picture_), set(dp, ""), set(dp, picture_)};
  std::vector<std::string> expected = {list, list};  // keep, then find the properties
  expected.insert(expected.end(), once.begin(), once.end());
  expected.push_back(list);
  expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(Calls(), expected);

  ClearCalls();
  EXPECT_TRUE(RestoreOwnWallpaper(DesktopKind::kXfce));
  const std::vector<std::string> restored = {list, set(hdmi, "/usr/share/backdrops/a b.png"), set(dp, "/home/p/x.jpg")};
  EXPECT_EQ(Calls(), restored);
}

TEST_F(DesktopBridgeTest, XfceOnAFreshInstallCreatesOnePropertyPerConnectedOutput) {
  ::setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
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
  SetWallpaper(PictureWinPath());
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
  EXPECT_TRUE(RestoreOwnWallpaper(DesktopKind::kXfce));
  const std::vector<std::string> restored = {"xfconf-query|-c|xfce4-desktop|-p|/backdrop|-l|-v", hdmi + "|-r",
                                             dp + "|-r"};
  EXPECT_EQ(Calls(), restored);
}

TEST_F(DesktopBridgeTest, PlasmaGetsANewNameEveryTimeAndOlderCopiesGo) {
  ::setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  const std::string folder = fs::path(picture_).parent_path().string();
  SetWallpaper(PictureWinPath());
  EXPECT_TRUE(fs::exists(folder + "/ossen-1.bmp"));
  SetWallpaper(PictureWinPath());
  const std::vector<std::string> expected = {"plasma-apply-wallpaperimage|" + folder + "/ossen-1.bmp",
                                             "plasma-apply-wallpaperimage|" + folder + "/ossen-2.bmp"};
  EXPECT_EQ(Calls(), expected);
  EXPECT_FALSE(fs::exists(folder + "/ossen-1.bmp"));
  EXPECT_TRUE(fs::exists(folder + "/ossen-2.bmp"));
  EXPECT_TRUE(fs::exists(picture_)) << "the records still name the original file";
  ExpectRecords(PictureWinPath());
}

TEST_F(DesktopBridgeTest, PlasmaWithoutItsToolOrWithAQuoteInTheNameUsesTheScriptInterface) {
  ::setenv("KDE_FULL_SESSION", "true", 1);
  FakeTool("qdbus", "exit 0");
  SetWallpaper(PictureWinPath());
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].starts_with("qdbus|org.kde.plasmashell|/PlasmaShell|org.kde.PlasmaShell.evaluateScript|"));
  EXPECT_NE(calls[0].find("d.writeConfig('Image', '" + FileUriFromPath(fs::path(picture_).parent_path().string()) +
                          "/ossen-1.bmp')"),
            std::string::npos)
      << calls[0];

  // A folder with a quote: the tool would refuse it, the script gets it escaped.
  ClearCalls();
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  fs::create_directories(prefix_.programDir() + "/Pat's");
  const std::string quoted = prefix_.programDir() + "/Pat's/ossen.bmp";
  std::ofstream(quoted) << "BM";
  SetWallpaper(WinPathFromHost(quoted));
  calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].starts_with("qdbus|"));
}

TEST_F(DesktopBridgeTest, PlasmaGivesBackTheImageItsConfigurationNamed) {
  ::setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
  fs::create_directories(prefix_.root() + "/config");
  std::ofstream(prefix_.root() + "/config/plasma-org.kde.plasma.desktop-appletsrc")
      << "[Containments][1]\nplugin=org.kde.desktopcontainment\n\n"
      << "[Containments][1][Wallpaper][org.kde.image][General]\r\nImage=file:///home/p/Bilder/mein%20Bild.png\r\n";
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  SetWallpaper(PictureWinPath());
  ClearCalls();
  SetWallpaper("");
  const std::vector<std::string> expected = {"plasma-apply-wallpaperimage|/home/p/Bilder/mein Bild.png"};
  EXPECT_EQ(Calls(), expected);
}

TEST_F(DesktopBridgeTest, SwaySetsEveryOutputAndReloadsItsConfigurationForTheOwnPicture) {
  ::setenv("SWAYSOCK", "/run/user/1000/sway-ipc.sock", 1);
  FakeTool("swaymsg", "exit 0");
  SetWallpaper(PictureWinPath());
  SetWallpaper("");
  const std::vector<std::string> expected = {"swaymsg|output|*|bg|\"" + picture_ + "\"|fill", "swaymsg|reload"};
  EXPECT_EQ(Calls(), expected);
}

TEST_F(DesktopBridgeTest, AnUnknownOrMissingDesktopGetsOnlyTheRecords) {
  FakeTool("gsettings", "exit 0");
  ::setenv("WAYLAND_DISPLAY", "wayland-1", 1);
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  ::unsetenv("WAYLAND_DISPLAY");
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  EXPECT_TRUE(SetWallpaper(""));
  EXPECT_TRUE(Calls().empty());
  ExpectRecords("");
}

TEST_F(DesktopBridgeTest, AMissingFailingOrHangingToolIsNoError) {
  ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));  // no gsettings at all
  ExpectRecords(PictureWinPath());

  FakeTool("gsettings", "exit 3");
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  EXPECT_EQ(Calls().size(), 3u) << "a failed get keeps nothing, the picture still goes out";

  FakeTool("gsettings", "exec /bin/sleep 30");
  ClearCalls();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(Calls().size(), 1u) << "after one tool hung, the rest of the change is skipped";
  ExpectRecords(PictureWinPath());
  EXPECT_FALSE(LoadOwnWallpaper("gnome"));
}

TEST_F(DesktopBridgeTest, TheSwitchKeepsTheBridgeAwayFromTheDesktop) {
  ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  ::setenv("OSSEN_DESKTOP_BRIDGE", "off", 1);
  FakeTool("gsettings", "exit 0");
  EXPECT_TRUE(SetWallpaper(PictureWinPath()));
  RestoreDesktopWallpaper();
  EXPECT_TRUE(Calls().empty());
  ExpectRecords(PictureWinPath());
}

TEST_F(DesktopBridgeTest, RecordsFollowTheUpdateFlag) {
  char path[] = "C:\\WINDOWS\\ossen.bmp";
  EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, path, 0));
  EXPECT_EQ(RecordedWinIni(), "<none>");
  EXPECT_EQ(RecordedRegistry("Wallpaper"), "<none>");
  EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, path, SPIF_UPDATEINIFILE));
  ExpectRecords(path);
  EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_UPDATEINIFILE));
  ExpectRecords("");

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
