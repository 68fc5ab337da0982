// The show's pictures: the canvas that keeps a painting's shape, the dimming of the change,
// the library lookup and the order of a random show, on off-screen windows.
#include "saver/saver_show.h"

#include <cstdlib>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "gfx/blit_engine.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "saver/canvas.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

SurfaceRef<DibSectionSurface> Filled(int width, int height, DWORD pixel) {
  SurfaceRef<DibSectionSurface> surface = DibSectionSurface::New();
  EXPECT_EQ(surface->CreateBlank(width, height, kFormatRgb888), kGfxOk);
  surface->FillRect(0, 0, width, height, pixel);
  return surface;
}

PaintingLibrary BuiltLibrary() {
  return PaintingLibrary::OpenFile(WinPathFromHost(OSSEN_PICTURE_LIBRARY_FILE).c_str());
}

TEST(Canvas, KeepsThePicturesShapeWithBarsWhereTheScreenDiffers) {
  const CanvasLayout same = FitCanvas(1024, 768, 640, 480);
  EXPECT_EQ(same.canvasWidth, 1024);
  EXPECT_EQ(same.canvasHeight, 768);
  EXPECT_EQ(same.x, 0);
  EXPECT_EQ(same.y, 0);

  const CanvasLayout wide = FitCanvas(1024, 768, 1024, 600);  // bars left and right
  EXPECT_EQ(wide.canvasWidth, 1311);
  EXPECT_EQ(wide.canvasHeight, 768);
  EXPECT_EQ(wide.x, 143);
  EXPECT_EQ(wide.y, 0);

  const CanvasLayout tall = FitCanvas(1024, 768, 1280, 1024);  // bars above and below
  EXPECT_EQ(tall.canvasWidth, 1024);
  EXPECT_EQ(tall.canvasHeight, 820);
  EXPECT_EQ(tall.y, 26);

  // Nothing to fit to, or a shape no section can hold.
  EXPECT_EQ(FitCanvas(1024, 768, 0, 480).canvasWidth, 1024);
  EXPECT_EQ(FitCanvas(0, 0, 640, 480).canvasWidth, 0);
  EXPECT_EQ(FitCanvas(1024, 768, 2000000000, 1).canvasWidth, 65535);
}

TEST(Canvas, ComposesThePictureOnBlackAndDimsIt) {
  SurfaceRef<DibSectionSurface> picture = Filled(4, 2, 0x806040);
  SurfaceRef<DibSectionSurface> canvas = DibSectionSurface::New();
  ASSERT_TRUE(ComposeCanvas(picture.get(), canvas.get(), 100, 100));
  EXPECT_EQ(canvas->Width(), 4);
  EXPECT_EQ(canvas->Height(), 4);
  EXPECT_EQ(canvas->GetPixel(0, 0), 0u);
  EXPECT_EQ(canvas->GetPixel(3, 1), 0x806040u);
  EXPECT_EQ(canvas->GetPixel(0, 2), 0x806040u);
  EXPECT_EQ(canvas->GetPixel(2, 3), 0u);
  SurfaceRef<DibSectionSurface> empty = DibSectionSurface::New();
  EXPECT_FALSE(ComposeCanvas(nullptr, empty.get(), 10, 10));
  EXPECT_EQ(empty->format, 0u);

  SurfaceRef<DibSectionSurface> dimmed = Filled(4, 4, 0);
  ASSERT_TRUE(DarkenInto(canvas.get(), dimmed.get(), 128));
  EXPECT_EQ(dimmed->GetPixel(1, 1), 0x403020u);
  ASSERT_TRUE(DarkenInto(canvas.get(), dimmed.get(), 256));
  EXPECT_EQ(dimmed->GetPixel(1, 1), 0x806040u);
  ASSERT_TRUE(DarkenInto(canvas.get(), dimmed.get(), 0));
  EXPECT_EQ(dimmed->GetPixel(1, 1), 0u);
  SurfaceRef<DibSectionSurface> other = Filled(5, 4, 0);
  EXPECT_FALSE(DarkenInto(canvas.get(), other.get(), 128));
}

TEST(PaintingLibrary, FindsTheInstalledLibraryAndRefusesWhatIsNotThere) {
  testing::TempPrefix prefix;
  EXPECT_FALSE(PaintingLibrary::OpenFile("C:\\nowhere\\OssenDLL").IsOpen());
  EXPECT_FALSE(PaintingLibrary().LoadPainting(1));

  const std::string folder = WinPathFromHost(std::filesystem::path(OSSEN_PICTURE_LIBRARY_FILE).parent_path().string());
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, folder.c_str()), 1);
  const PaintingLibrary library = PaintingLibrary::Open();
  ASSERT_TRUE(library.IsOpen());
  EXPECT_FALSE(library.LoadPainting(0));
  EXPECT_FALSE(library.LoadPainting(36));
  SurfaceRef<DibSectionSurface> painting = library.LoadPainting(35);
  ASSERT_TRUE(painting);
  EXPECT_EQ(painting->format, kFormatRgb888);
  EXPECT_GT(painting->Width(), 0);
}

class ShowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
  void SetUp() override {
    ASSERT_TRUE(OpenDisplay());
    window_ = ScreenWindow::Create(320, 240, 0, "show");
    ASSERT_TRUE(window_);
  }
  // The back buffer's mean brightness over a row through its middle.
  static double Brightness(DibSectionSurface* back) {
    double sum = 0;
    const int y = back->Height() / 2;
    for (int x = 0; x < back->Width(); ++x) {
      const DWORD pixel = back->GetPixel(x, y);
      sum += (pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF);
    }
    return sum / back->Width();
  }

  testing::TempPrefix prefix_;
  std::unique_ptr<ScreenWindow> window_;
};

TEST_F(ShowTest, OnePaintingStaysAndAClosedLibraryIsBlack) {
  const PaintingLibrary library = BuiltLibrary();
  SaverShow show(library, ShowPlan{ShowPlan::kPainting, 12}, 1);
  show.AddWindow(window_.get(), false);
  show.Start();
  EXPECT_EQ(show.CurrentPainting(), 12);
  EXPECT_FALSE(show.Changes());
  show.Tick(kPaintingMilliseconds * 3);
  EXPECT_EQ(show.CurrentPainting(), 12);

  const PaintingLibrary none;
  SaverShow black(none, ShowPlan{ShowPlan::kPainting, 12}, 1);
  std::unique_ptr<ScreenWindow> other = ScreenWindow::Create(320, 240, 0, "black");
  black.AddWindow(other.get(), false);
  black.Start();
  EXPECT_EQ(black.CurrentPainting(), 0);
  EXPECT_FALSE(black.Changes());
}

TEST_F(ShowTest, TheRandomOrderChangesEveryThirtySecondsThroughBlack) {
  const PaintingLibrary library = BuiltLibrary();
  SaverShow show(library, ShowPlan{ShowPlan::kRandom, 0}, 7);
  show.AddWindow(window_.get(), false);
  show.Start();
  const int first = show.CurrentPainting();
  EXPECT_GE(first, 1);
  EXPECT_LE(first, kPaintingCount);
  EXPECT_TRUE(show.Changes());

  std::set<int> seen{first};
  std::int64_t now = 40;
  show.Tick(now);  // looks ahead
  EXPECT_EQ(show.CurrentPainting(), first);
  const double full = Brightness(show.BackBuffer(0));
  ASSERT_GT(full, 30);
  now = kPaintingMilliseconds;
  show.Tick(now);  // the fade begins
  show.Tick(now + kFadeMilliseconds / 2);
  EXPECT_EQ(show.CurrentPainting(), first);
  EXPECT_NEAR(Brightness(show.BackBuffer(0)), full / 2, full / 10);
  show.Tick(now + kFadeMilliseconds);  // black: the next painting is laid out
  EXPECT_EQ(Brightness(show.BackBuffer(0)), 0);
  const int second = show.CurrentPainting();
  EXPECT_NE(second, first);
  show.Tick(now + 2 * kFadeMilliseconds);
  EXPECT_GT(Brightness(show.BackBuffer(0)), 30);
  seen.insert(second);

  // Every painting comes before any comes again.
  for (int change = 2; change < kPaintingCount; ++change) {
    now += 2 * kFadeMilliseconds;
    show.Tick(now + 1);
    now += kPaintingMilliseconds + 1;
    show.Tick(now);
    show.Tick(now + kFadeMilliseconds);
    show.Tick(now + 2 * kFadeMilliseconds);
    seen.insert(show.CurrentPainting());
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kPaintingCount));
}

}  // namespace
}  // namespace ossen
