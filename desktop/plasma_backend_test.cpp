// Plasma against fakes of plasma-apply-wallpaperimage and qdbus: the FillMode of each
// placement, the script interface where the tool cannot help, and the Image and FillMode its
// configuration named.

#include <gtest/gtest.h>

#include "desktop/backend_common.h"
#include "desktop/test/fake_desktop_tools.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

using PlasmaBackendTest = testing::FakeDesktopToolsTest;

TEST_F(PlasmaBackendTest, EachPlacementHasItsFillModeAndEveryChangeANewName) {
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  const std::unique_ptr<DesktopBackend> plasma = Backend(DesktopKind::kPlasma);
  const std::pair<WallpaperPlacement, const char*> modes[] = {
      {WallpaperPlacement::Fill, "preserveAspectCrop"}, {WallpaperPlacement::Fit, "preserveAspectFit"},
      {WallpaperPlacement::Stretch, "stretch"},         {WallpaperPlacement::Center, "pad"},
      {WallpaperPlacement::Tile, "tile"},               {WallpaperPlacement::Span, "preserveAspectCrop"}};
  std::vector<std::string> expected;
  std::string last;
  for (const auto& [placement, mode] : modes) {
    const std::string copy = PictureCopy();
    EXPECT_NE(copy, last) << "Plasma caches by name: every change needs a new one";
    last = copy;
    EXPECT_TRUE(plasma->ShowWallpaper({copy, placement}).shown);
    expected.push_back(std::string("plasma-apply-wallpaperimage|-f|") + mode + "|" + copy);
  }
  EXPECT_EQ(Calls(), expected);
  // Plasma had its default picture (no configuration named one): an empty Image gives it back.
  FakeTool("qdbus", "exit 0");
  ClearCalls();
  EXPECT_TRUE(plasma->RestoreOwnWallpaper());
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_NE(Calls()[0].find("d.writeConfig('Image', ''); d.writeConfig('FillMode', 2);"), std::string::npos);
  EXPECT_FALSE(fs::exists(last)) << "the copies go with the give-back";
}

TEST_F(PlasmaBackendTest, CopyNamesCountPastTheLargestCopyOfOursOnly) {
  const std::string folder = prefix_.programDir();
  EXPECT_EQ(NextPictureCopyPath(folder, ".jpg"), folder + "/ossen-1.jpg");
  for (const char* name : {"ossen-7.bmp", "ossen-12.jpg", "OSSEN-99.bmp", "ossen-x3.bmp", "ossen-40.png",
                           "ossen-99999999999999999999.bmp"})
    std::ofstream(folder + "/" + name) << "BM";
  EXPECT_EQ(NextPictureCopyPath(folder, ".jpg"), folder + "/ossen-13.jpg");
  std::ofstream(folder + "/ossen.bmp") << "BM";
  EXPECT_EQ(RemovePictureCopies(folder, folder + "/ossen-12.jpg"), 2) << "ossen-7.bmp and the long-numbered one";
  EXPECT_TRUE(fs::exists(folder + "/ossen.bmp")) << "the Windows records' file is no copy";
  EXPECT_TRUE(fs::exists(folder + "/ossen-12.jpg"));
}

TEST_F(PlasmaBackendTest, WithoutItsToolOrWithAQuoteInTheNameTheScriptInterfaceIsUsed) {
  FakeTool("qdbus", "exit 0");
  const std::unique_ptr<DesktopBackend> plasma = Backend(DesktopKind::kPlasma);
  plasma->ShowWallpaper({picture_, WallpaperPlacement::Fit});
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].starts_with("qdbus|org.kde.plasmashell|/PlasmaShell|org.kde.PlasmaShell.evaluateScript|"));
  EXPECT_NE(calls[0].find("d.writeConfig('Image', '" + FileUriFromPath(picture_) + "'); d.writeConfig('FillMode', 1);"),
            std::string::npos)
      << calls[0];

  // A folder with a quote: the tool would refuse it, the script gets it escaped.
  ClearCalls();
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  fs::create_directories(prefix_.programDir() + "/Pat's");
  const std::string quoted = prefix_.programDir() + "/Pat's/ossen.bmp";
  std::ofstream(quoted) << "BM";
  plasma->ShowWallpaper({quoted});
  calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].starts_with("qdbus|"));

  // A tool that knows no -f (Plasma 5.27's): the script sets the picture and its FillMode.
  ClearCalls();
  FakeTool("plasma-apply-wallpaperimage", "[ \"$1\" = -f ] && exit 1; exit 0");
  EXPECT_TRUE(plasma->ShowWallpaper({picture_}).shown);
  calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_NE(calls[1].find("d.writeConfig('FillMode', 2);"), std::string::npos) << calls[1];
}

TEST_F(PlasmaBackendTest, TheImageItsConfigurationNamedComesBack) {
  fs::create_directories(prefix_.root() + "/config");
  std::ofstream(prefix_.root() + "/config/plasma-org.kde.plasma.desktop-appletsrc")
      << "[Containments][1]\nplugin=org.kde.desktopcontainment\n\n"
      << "[Containments][1][Wallpaper][org.kde.image][General]\r\nFillMode=1\r\n"
      << "Image=file:///home/p/Bilder/mein%20Bild.png\r\n";
  FakeTool("plasma-apply-wallpaperimage", "exit 0");
  const std::unique_ptr<DesktopBackend> plasma = Backend(DesktopKind::kPlasma);
  plasma->ShowWallpaper({picture_});
  // Plasma still names a copy an earlier version made beside the program's wallpaper.
  const std::string old = prefix_.programDir() + "/ossen-4.bmp";
  std::ofstream(old) << "BM";
  std::ofstream(prefix_.root() + "/config/plasma-org.kde.plasma.desktop-appletsrc")
      << "[Containments][1][Wallpaper][org.kde.image][General]\nImage=file://" << old << "\n";
  ClearCalls();
  EXPECT_TRUE(plasma->RestoreOwnWallpaper());
  const std::vector<std::string> expected = {
      "plasma-apply-wallpaperimage|-f|preserveAspectFit|/home/p/Bilder/mein Bild.png"};
  EXPECT_EQ(Calls(), expected);
  EXPECT_FALSE(fs::exists(old)) << "the copy an earlier version made goes too";
}

}  // namespace
}  // namespace ossen
