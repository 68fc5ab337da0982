// The window surface and the display view on real windows: offscreen for the drawing and the
// view's rules, and a 16-bit X server for the format a window reports.
#include "gfx/display_view.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "gfx/graphics_context.h"
#include "test_support/xvfb_display.h"

namespace ossen {
namespace {

class DisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!std::getenv("OSSEN_DEPTH_CHILD")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  void SetUp() override {
    ASSERT_TRUE(OpenDisplay());
    window_ = ScreenWindow::Create(200, 100, 0, "display test");
    ASSERT_TRUE(window_);
    window_->Show();
    ProcessDisplayEvents(50);
  }

  // The window's client pixel as blue, green, red bytes in a COLORREF-like 0x00RRGGBB word.
  DWORD ClientPixel(int x, int y) {
    DeviceContext* dc = window_->GetDC();
    EXPECT_NE(dc, nullptr);
    if (!dc) return 0xFFFFFFFF;
    const PixelTarget& t = dc->target();
    const BYTE* p = t.bits + y * t.stride + x * 4;
    const DWORD value = static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[1]) << 8 | p[0];
    window_->ReleaseDC(dc);
    return value;
  }

  std::unique_ptr<ScreenWindow> window_;
};

TEST(DisplayDepth, EachDepthHasItsFormatAndSixteenBitsAreAlways555) {
  EXPECT_EQ(FormatForDisplayDepth(1), 0x41000000u);
  EXPECT_EQ(FormatForDisplayDepth(4), 0x44000000u);
  EXPECT_EQ(FormatForDisplayDepth(8), 0x48000000u);
  EXPECT_EQ(FormatForDisplayDepth(16), 0x10E40555u);
  EXPECT_EQ(FormatForDisplayDepth(24), 0x18E40888u);
  EXPECT_EQ(FormatForDisplayDepth(32), 0x20E40888u);
  EXPECT_EQ(FormatForDisplayDepth(15), 0u);
  EXPECT_EQ(FormatForDisplayDepth(0), 0u);
}

TEST_F(DisplayTest, WindowSurfaceReadsItsSizeLiveAndHasNoImageWithoutWindow) {
  SurfaceRef<WindowSurface> surface = WindowSurface::New();
  EXPECT_EQ(surface->Width(), 0);
  EXPECT_EQ(surface->FillRect(0, 0, 1, 1, 0), kGfxNoImage);
  EXPECT_EQ(surface->GetDC(), nullptr);

  ASSERT_EQ(surface->Attach(window_.get(), TRUE), kGfxOk);
  EXPECT_EQ(surface->TypeId(), 5);
  EXPECT_NE(surface->format, 0u);
  EXPECT_EQ(surface->Width(), 200);
  window_->SetClientSize(120, 90);
  ProcessDisplayEvents(50);
  EXPECT_EQ(surface->Width(), 120);
  EXPECT_EQ(surface->Height(), 90);

  // Nested DCs are one DC, given back with the last release.
  DeviceContext* first = surface->GetDC();
  DeviceContext* second = surface->GetDC();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(surface->accessCount, 2);
  surface->ReleaseDC(second);
  surface->ReleaseDC(first);
  surface->ReleaseDC(first);  // a release too many does nothing
  EXPECT_EQ(surface->accessCount, 0);
}

TEST_F(DisplayTest, WindowFillTakesAColorrefWhereASectionTakesAPixelValue) {
  SurfaceRef<WindowSurface> surface = WindowSurface::New();
  ASSERT_EQ(surface->Attach(window_.get(), FALSE), kGfxOk);
  ASSERT_EQ(surface->FillRect(10, 10, 5, 5, 0x0000FF), kGfxOk);
  EXPECT_EQ(ClientPixel(12, 12), 0xFF0000u);  // red: 0x0000FF is RGB(255, 0, 0)
  EXPECT_EQ(ClientPixel(15, 15), 0x000000u);  // the right and bottom edges stay out

  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  ASSERT_EQ(section->CreateBlank(4, 4, 0x20E40888), kGfxOk);
  ASSERT_EQ(section->FillRect(0, 0, 4, 4, 0x0000FF), kGfxOk);
  EXPECT_EQ(section->GetPixel(1, 1), 0x0000FFu);  // blue: the low byte of a pixel is blue
}

TEST_F(DisplayTest, WindowLineLeavesItsLastPointAndBlitsStretchBothWays) {
  SurfaceRef<WindowSurface> surface = WindowSurface::New();
  ASSERT_EQ(surface->Attach(window_.get(), FALSE), kGfxOk);
  ASSERT_EQ(surface->LineTo(0, 0, 5, 0, RGB(0, 255, 0)), kGfxOk);
  EXPECT_EQ(ClientPixel(0, 0), 0x00FF00u);
  EXPECT_EQ(ClientPixel(4, 0), 0x00FF00u);
  EXPECT_EQ(ClientPixel(5, 0), 0x000000u);

  // A 2 x 1 section stretched over 40 x 20 pixels of the window.
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  ASSERT_EQ(section->CreateBlank(2, 1, 0x20E40888), kGfxOk);
  section->SetPixel(0, 0, 0x112233);
  section->SetPixel(1, 0, 0x445566);
  ASSERT_EQ(surface->BltTo(100, 50, 40, 20, section.get(), 0, 0, 2, 1, 0, {}), kGfxOk);
  EXPECT_EQ(ClientPixel(100, 50), 0x112233u);
  EXPECT_EQ(ClientPixel(119, 69), 0x112233u);
  EXPECT_EQ(ClientPixel(120, 50), 0x445566u);
  // Off the window: clipped, nothing drawn, still success.
  EXPECT_EQ(surface->BltTo(5000, 0, 4, 4, section.get(), 0, 0, 2, 1, 0, {}), kGfxOk);
  // An invalid source rectangle is refused before anything is drawn.
  EXPECT_EQ(surface->BltTo(0, 0, 4, 4, section.get(), 0, 0, 9, 1, 0, {}), kGfxFailed);
  EXPECT_EQ(surface->BltTo(0, 0, 4, 4, nullptr, 0, 0, 2, 1, 0, {}), kGfxFailed);

  // And back: the window's pixels into a section.
  SurfaceRef<DibSectionSurface> copy = DibSectionSurface::New();
  ASSERT_EQ(copy->CreateBlank(2, 1, 0x20E40888), kGfxOk);
  ASSERT_EQ(surface->Blt(copy.get(), 0, 0, 2, 1, 119, 50, 2, 1, 0, {}), kGfxOk);
  EXPECT_EQ(copy->GetPixel(0, 0) & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(copy->GetPixel(1, 0) & 0xFFFFFF, 0x445566u);
  EXPECT_EQ(surface->Blt(nullptr, 0, 0, 2, 1, 0, 0, 2, 1, 0, {}), kGfxFailed);
}

TEST_F(DisplayTest, FullScreenOpenCoversTheScreenAndCloseGivesTheWindowBack) {
  DisplayView view;
  EXPECT_EQ(view.Open(640, 480, 0x48000000, nullptr, 3), kGfxFailed);
  EXPECT_EQ(view.window, nullptr);

  // A back buffer of the screen's own size: nothing to switch, and the flag stays set.
  const int screenWidth = window_->ScreenWidth();
  const int screenHeight = window_->ScreenHeight();
  ASSERT_EQ(view.Open(screenWidth, screenHeight, 0x48000000, window_.get(), 3), kGfxOk);
  EXPECT_EQ(view.modeChanged, 1u);
  EXPECT_EQ(view.paletteManaged, 1u);
  EXPECT_EQ(view.resizeWithWindow, 0u);
  EXPECT_EQ(view.windowSurface->forceBackground(), TRUE);
  ProcessDisplayEvents(100);
  EXPECT_TRUE(window_->IsCovering());
  EXPECT_FALSE(window_->HasFrame());
  EXPECT_EQ(window_->ClientWidth(), screenWidth);
  EXPECT_EQ(window_->ClientHeight(), screenHeight);

  ASSERT_EQ(view.Close(), kGfxOk);
  ProcessDisplayEvents(100);
  EXPECT_FALSE(window_->IsCovering());
  EXPECT_TRUE(window_->HasFrame());
  EXPECT_EQ(window_->ClientWidth(), 200);
  EXPECT_EQ(window_->ClientHeight(), 100);
  EXPECT_EQ(view.window, nullptr);
  EXPECT_FALSE(view.backBuffer);

  // Another size is covered the same way: the screen keeps its resolution.
  ASSERT_EQ(view.Open(640, 480, 0x48000000, window_.get(), 3), kGfxOk);
  EXPECT_EQ(view.modeChanged, 1u);
  EXPECT_EQ(window_->ScreenWidth(), screenWidth);
  // The switch without palette management is not asked for at all.
  ASSERT_EQ(view.Open(640, 480, 0x48000000, window_.get(), 1), kGfxOk);  // closes the first
  ProcessDisplayEvents(100);
  EXPECT_EQ(view.modeChanged, 0u);
  EXPECT_FALSE(window_->IsCovering());
  EXPECT_EQ(window_->ClientWidth(), 200);
}

TEST_F(DisplayTest, ResizeRemakesTheBackBufferOnlyWithoutFullScreen) {
  PaletteRef palette = Palette::New();
  std::vector<PaletteEntry> entries(256, PaletteEntry{1, 2, 3, 0});
  ASSERT_EQ(palette->Create(256), kGfxOk);
  ASSERT_EQ(palette->SetEntries(entries, 0, 256), kGfxOk);

  DisplayView view;
  ASSERT_EQ(view.Open(64, 48, 0x48000000, window_.get(), 4), kGfxOk);
  EXPECT_EQ(view.resizeWithWindow, 1u);
  ASSERT_EQ(view.backBuffer->SetPalette(palette.get()), kGfxOk);
  view.backBuffer->SetPixel(1, 1, 7);
  view.Resize(0, 120, 90);
  EXPECT_EQ(view.backBuffer->Width(), 120);
  EXPECT_EQ(view.backBuffer->Height(), 90);
  EXPECT_EQ(view.backBuffer->format, 0x48000000u);
  EXPECT_EQ(view.backBuffer->GetPalette(), palette.get());
  EXPECT_EQ(view.backBuffer->GetPixel(1, 1), 0u);  // the picture is not kept

  ASSERT_EQ(view.Open(64, 48, 0x48000000, window_.get(), 7), kGfxOk);
  EXPECT_EQ(view.resizeWithWindow, 0u);
  view.Resize(0, 120, 90);
  EXPECT_EQ(view.backBuffer->Width(), 64);
  view.Close();
}

TEST_F(DisplayTest, PresentStretchesTheBackBufferAndTintsOnlySixteenBits) {
  DisplayView view;
  ASSERT_EQ(view.Open(2, 2, 0x48000000, window_.get(), 0), kGfxOk);
  PaletteRef palette = Palette::New();
  std::vector<PaletteEntry> entries(256, PaletteEntry{0, 0, 0, 0});
  entries[5] = PaletteEntry{200, 100, 50, 0};
  ASSERT_EQ(palette->Create(256), kGfxOk);
  ASSERT_EQ(palette->SetEntries(entries, 0, 256), kGfxOk);
  ASSERT_EQ(view.backBuffer->SetPalette(palette.get()), kGfxOk);
  view.backBuffer->SetPixel(1, 1, 5);

  // An 8-bit back buffer is presented as it is, whatever the tint asks for.
  ASSERT_EQ(view.Present(1, 0xFFFFFF, 128), kGfxOk);
  EXPECT_EQ(view.backBuffer->GetPixel(1, 1), 5u);
  EXPECT_FALSE(window_->NeedsPaint());
  EXPECT_EQ(ClientPixel(150, 75), 0xC86432u);  // the bottom-right quarter
  EXPECT_EQ(ClientPixel(50, 25), 0x000000u);

  // A 16-bit one is tinted before it is shown.
  ASSERT_EQ(view.Open(2, 2, 0x10E40555, window_.get(), 0), kGfxOk);
  view.backBuffer->SetPixel(0, 0, 0);
  ASSERT_EQ(view.Present(1, 0x7FFF, 128), kGfxOk);
  EXPECT_NE(view.backBuffer->GetPixel(0, 0), 0u);
  ASSERT_EQ(view.Present(0, 0, 0), kGfxOk);

  // A 24-bit back buffer lands on the 32-bit window as it is, column by column.
  ASSERT_EQ(view.Open(3, 1, 0x18E40888, window_.get(), 0), kGfxOk);
  view.backBuffer->SetPixel(0, 0, 0x010203);
  view.backBuffer->SetPixel(1, 0, 0xA0B0C0);
  view.backBuffer->SetPixel(2, 0, 0xFFFFFF);
  ASSERT_EQ(view.Present(0, 0, 0), kGfxOk);
  EXPECT_EQ(ClientPixel(0, 0), 0x010203u);
  EXPECT_EQ(ClientPixel(66, 99), 0x010203u);
  EXPECT_EQ(ClientPixel(67, 0), 0xA0B0C0u);
  EXPECT_EQ(ClientPixel(133, 50), 0xA0B0C0u);
  EXPECT_EQ(ClientPixel(134, 50), 0xFFFFFFu);
  EXPECT_EQ(ClientPixel(199, 99), 0xFFFFFFu);

  // Paint draws the same stretch into the window on its own.
  ASSERT_EQ(view.Open(2, 2, 0x20E40888, window_.get(), 0), kGfxOk);
  view.backBuffer->SetPixel(0, 0, 0x0000FF);
  window_->SetPaintHandler([&view] { view.Paint(); });
  window_->Invalidate();
  ProcessDisplayEvents(100);
  EXPECT_EQ(ClientPixel(10, 10), 0x0000FFu);
  EXPECT_FALSE(window_->NeedsPaint());
  window_->SetPaintHandler(nullptr);
  view.Close();
}

TEST_F(DisplayTest, TheContextMakesClosedViews) {
  std::unique_ptr<GraphicsContext> context = GraphicsContext::Create();
  ASSERT_TRUE(context);
  std::unique_ptr<DisplayView> view = context->NewView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->window, nullptr);
  EXPECT_EQ(view->RealizePalette(), 0);
  EXPECT_EQ(view->Present(0, 0, 0), kGfxOk);  // closed: nothing to show
  ASSERT_EQ(view->Open(16, 16, 0x48000000, window_.get(), 2), kGfxOk);
  // A true-colour display changes no colours when a palette is realised.
  EXPECT_EQ(view->OnPaletteChanged(), 0);
  view->Close();
}

// The child half runs on a 16-bit X server (a 5:6:5 display), started by the parent half.
TEST(DisplayOnXServer, SixteenBitDisplayIsTaken555) {
  if (std::getenv("OSSEN_DEPTH_CHILD")) {
    ASSERT_TRUE(OpenDisplay());
    std::unique_ptr<ScreenWindow> window = ScreenWindow::Create(100, 100, 0, "depth");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->BitsPerPixel(), 16);
    SurfaceRef<WindowSurface> surface = WindowSurface::New();
    ASSERT_EQ(surface->Attach(window.get(), FALSE), kGfxOk);
    EXPECT_EQ(surface->format, 0x10E40555u);
    return;
  }
  testing::XvfbDisplay server(320, 240, 16);
  ASSERT_TRUE(server.Running()) << "Xvfb did not start";
  const pid_t child = fork();
  if (child == 0) {
    setenv("OSSEN_DEPTH_CHILD", "1", 1);
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    execl("/proc/self/exe", "gfx_tests", "--gtest_filter=DisplayOnXServer.SixteenBitDisplayIsTaken555",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace ossen
