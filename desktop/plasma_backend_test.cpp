// Plasma against fakes of plasma-apply-wallpaperimage and qdbus: a fresh copy per change,
// the script interface where the tool cannot help, and the Image its configuration named.

#include <gtest/gtest.h>

#include "desktop/backend_common.h"
#include "desktop/test/fake_desktop_tools.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

using PlasmaBackendTest = testing::FakeDesktopToolsTest;

TEST_F(PlasmaBackendTest, EveryChangeGetsANewNameAndOlderCopiesGo) {
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  const std::string folder = fs::path(picture_).parent_path().string();
  const std::unique_ptr<DesktopBackend> plasma = Backend(DesktopKind::kPlasma);
  EXPECT_TRUE(plasma->ShowWallpaper(picture_));
  EXPECT_TRUE(fs::exists(folder + "/ossen-1.bmp"));
  EXPECT_TRUE(plasma->ShowWallpaper(picture_));
  const std::vector<std::string> expected = {"plasma-apply-wallpaperimage|" + folder + "/ossen-1.bmp",
                                             "plasma-apply-wallpaperimage|" + folder + "/ossen-2.bmp"};
  EXPECT_EQ(Calls(), expected);
  EXPECT_FALSE(fs::exists(folder + "/ossen-1.bmp"));
  EXPECT_TRUE(fs::exists(folder + "/ossen-2.bmp"));
  EXPECT_TRUE(fs::exists(picture_)) << "the records still name the original file";
}

TEST_F(PlasmaBackendTest, CopyNamesCountPastTheLargestCopyOfOursOnly) {
  const std::string folder = prefix_.programDir();
  const std::string wallpaper = folder + "/ossen.bmp";
  EXPECT_EQ(NextPlasmaCopyPath(wallpaper), folder + "/ossen-1.bmp");
  for (const char* name : {"ossen-7.bmp", "ossen-12.bmp", "OSSEN-99.bmp", "ossen-x3.bmp", "ossen-40.jpg",
                           "ossen-99999999999999999999.bmp"})
    std::ofstream(folder + "/" + name) << "BM";
  EXPECT_EQ(NextPlasmaCopyPath(wallpaper), folder + "/ossen-13.bmp");
}

TEST_F(PlasmaBackendTest, WithoutItsToolOrWithAQuoteInTheNameTheScriptInterfaceIsUsed) {
  FakeTool("qdbus", "exit 0");
  const std::unique_ptr<DesktopBackend> plasma = Backend(DesktopKind::kPlasma);
  plasma->ShowWallpaper(picture_);
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
  plasma->ShowWallpaper(quoted);
  calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].starts_with("qdbus|"));
}

TEST_F(PlasmaBackendTest, TheImageItsConfigurationNamedComesBack) {
  fs::create_directories(prefix_.root() + "/config");
  std::ofstream(prefix_.root() + "/config/plasma-org.kde.plasma.desktop-appletsrc")
      << "[Containments][1]\nplugin=org.kde.desktopcontainment\n\n"
      << "[Containments][1][Wallpaper][org.kde.image][General]\r\nImage=file:///home/p/Bilder/mein%20Bild.png\r\n";
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  const std::unique_ptr<DesktopBackend> plasma = Backend(DesktopKind::kPlasma);
  plasma->ShowWallpaper(picture_);
  ClearCalls();
  EXPECT_TRUE(plasma->RestoreOwnWallpaper());
  const std::vector<std::string> expected = {"plasma-apply-wallpaperimage|/home/p/Bilder/mein Bild.png"};
  EXPECT_EQ(Calls(), expected);
}

}  // namespace
}  // namespace ossen
