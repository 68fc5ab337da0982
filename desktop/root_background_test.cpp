// The root window's background on a private Xvfb: the pixels a person sees, the properties
// other programs read, and the pixmaps that outlive or are freed with each setter.

#include "desktop/root_background.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include "desktop/desktop_backend.h"
#include "image/packed_dib.h"
#include "platform/base/file_io.h"
#include "test_support/child_process.h"
#include "test_support/temp_prefix.h"
#include "test_support/xvfb_display.h"

namespace ossen {
namespace {

constexpr int kScreenWidth = 320, kScreenHeight = 240;

// An 8-bit BMP file, `rows` top-down as 0xRRGGBB, one palette entry per pixel.
std::vector<std::uint8_t> EightBitBmp(const std::vector<std::vector<std::uint32_t>>& rows) {
  const int height = static_cast<int>(rows.size()), width = static_cast<int>(rows[0].size());
  const DWORD headerSize = BuiltHeaderSize(kFormatIndexed8);
  const DWORD stride = RowStride(kFormatIndexed8, width);
  std::vector<std::uint8_t> dib(headerSize + std::size_t(stride) * height);
  BuildHeader(width, height, kFormatIndexed8, dib);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int index = y * width + x;
      std::uint8_t* entry = dib.data() + kInfoHeaderBytes + index * 4;
      entry[0] = rows[y][x] & 0xFF;
      entry[1] = (rows[y][x] >> 8) & 0xFF;
      entry[2] = (rows[y][x] >> 16) & 0xFF;
      dib[headerSize + std::size_t(height - 1 - y) * stride + x] = static_cast<std::uint8_t>(index);
    }
  }
  return BitmapFileFromPackedDib(dib);
}

int g_errors = 0;
int CountErrors(Display*, XErrorEvent*) {
  ++g_errors;
  return 0;
}

class RootBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb_.Running()) << "Xvfb did not start";
    for (const char* name : {"DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "KDE_SESSION_VERSION", "SWAYSOCK", "XDG_SESSION_DESKTOP", "WAYLAND_DISPLAY",
                             "OSSEN_DESKTOP_BRIDGE"}) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      ::unsetenv(name);
    }
    ::setenv("DISPLAY", xvfb_.Display().c_str(), 1);
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    oldHandler_ = XSetErrorHandler(CountErrors);
  }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
    XSetErrorHandler(oldHandler_);
    ::unsetenv("DISPLAY");
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }

  std::string WriteBmp(const std::string& name, const std::vector<std::vector<std::uint32_t>>& rows) {
    const std::string path = prefix_.programDir() + "/" + name;
    const std::vector<std::uint8_t> bytes = EightBitBmp(rows);
    EXPECT_TRUE(WriteFileAtomically(path, bytes.data(), bytes.size()));
    return path;
  }

  Pixmap Property(const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = 0;
    const Atom atom = XInternAtom(display_, name, False);
    if (XGetWindowProperty(display_, DefaultRootWindow(display_), atom, 0, 1, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_PIXMAP && format == 32 && count == 1)
      pixmap = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    return pixmap;
  }

  bool PixmapAlive(Pixmap pixmap) {
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    g_errors = 0;
    const Status status = XGetGeometry(display_, pixmap, &root, &x, &y, &w, &h, &border, &depth);
    XSync(display_, False);
    return status != 0 && g_errors == 0;
  }

  // The root window's pixels as 0xRRGGBB, rows top-down.
  std::vector<std::uint32_t> ScreenPixels() {
    std::vector<std::uint32_t> pixels;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 0, 0, kScreenWidth, kScreenHeight, AllPlanes,
                              ZPixmap);
    if (image == nullptr) return pixels;
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 0; x < kScreenWidth; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }

  // Counts the root pixels that differ from the root picture of `rows` placed on the screen.
  int DifferentPixels(const std::vector<std::vector<std::uint32_t>>& rows,
                      WallpaperPlacement placement = WallpaperPlacement::Fill) {
    const std::optional<RgbPicture> picture = DecodeBmpPicture(EightBitBmp(rows));
    const MonitorRect screen{0, 0, kScreenWidth, kScreenHeight};
    const RgbPicture expected = BuildRootPicture(*picture, kScreenWidth, kScreenHeight, std::span(&screen, 1),
                                                 placement, 0);
    const std::vector<std::uint32_t> shown = ScreenPixels();
    if (shown.size() != expected.pixels.size()) return -1;
    int different = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) different += shown[i] != (expected.pixels[i] & 0xFFFFFF);
    return different;
  }

  testing::TempPrefix prefix_;
  testing::XvfbDisplay xvfb_{kScreenWidth, kScreenHeight};
  Display* display_ = nullptr;
  int (*oldHandler_)(Display*, XErrorEvent*) = nullptr;
  std::map<std::string, std::string> saved_;
};

const std::vector<std::vector<std::uint32_t>> kFirst = {
    {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
    {0x102030, 0x405060, 0x708090, 0xA0B0C0},
    {0x000000, 0xFFFF00, 0x00FFFF, 0xFF00FF},
};
const std::vector<std::vector<std::uint32_t>> kSecond = {
    {0x336699, 0x996633},
    {0x123456, 0xFEDCBA},
};

TEST_F(RootBackgroundTest, TheScaledPictureStaysAfterTheSetterAndTheNextSetterFreesIt) {
  const std::string first = WriteBmp("first.bmp", kFirst);
  ASSERT_EQ(testing::RunInChild([&] { return SetRootPictureFromFile(first); }), 0);
  const Pixmap firstPixmap = Property("_XROOTPMAP_ID");
  ASSERT_NE(firstPixmap, 0u);
  EXPECT_EQ(Property("ESETROOT_PMAP_ID"), firstPixmap);
  EXPECT_TRUE(PixmapAlive(firstPixmap)) << "the pixmap outlives the process that set it";
  EXPECT_EQ(DifferentPixels(kFirst, WallpaperPlacement::Stretch), 0);

  const std::string second = WriteBmp("second.bmp", kSecond);
  ASSERT_EQ(testing::RunInChild([&] { return SetRootPictureFromFile(second); }), 0);
  const Pixmap secondPixmap = Property("_XROOTPMAP_ID");
  EXPECT_NE(secondPixmap, firstPixmap);
  EXPECT_EQ(Property("ESETROOT_PMAP_ID"), secondPixmap);
  EXPECT_FALSE(PixmapAlive(firstPixmap)) << "the previous setter's pixmap is freed";
  EXPECT_TRUE(PixmapAlive(secondPixmap));
  EXPECT_EQ(DifferentPixels(kSecond, WallpaperPlacement::Stretch), 0);
}

TEST_F(RootBackgroundTest, TheX11BackendKeepsThePersonsOwnBackgroundAndGivesItBack) {
  // The person's own background, set by another setter before ossen ran.
  const std::string own = WriteBmp("own.bmp", kFirst);
  ASSERT_EQ(testing::RunInChild([&] { return SetRootPictureFromFile(own); }), 0);
  const Pixmap ownPixmap = Property("_XROOTPMAP_ID");
  const std::vector<std::uint32_t> ownPixels = ScreenPixels();

  const std::string painting = WriteBmp("ossen.bmp", kSecond);
  ASSERT_EQ(testing::RunInChild([&] { return MakeDesktopBackendForSession()->ShowWallpaper({painting}).shown; }), 0);
  EXPECT_EQ(DifferentPixels(kSecond), 0);
  EXPECT_FALSE(PixmapAlive(ownPixmap));

  ASSERT_EQ(testing::RunInChild([&] { return MakeDesktopBackendForSession()->RestoreOwnWallpaper(); }), 0);
  EXPECT_TRUE(ScreenPixels() == ownPixels) << "\"no wallpaper\" shows the person's own picture again";
  EXPECT_FALSE(std::filesystem::exists(prefix_.prefix() + "/desktop-own-x11.bmp")) << "the kept copy goes with it";
  EXPECT_NE(Property("_XROOTPMAP_ID"), 0u);
}

// As ImageMagick's `display -window root` leaves it: the root's own background pixmap, named
// by no property. It is kept as the person sees it, without the windows above it.
TEST_F(RootBackgroundTest, ABackgroundNoPropertyNamesIsKeptWithoutTheWindowsAboveIt) {
  const std::optional<RgbPicture> own = DecodeBmpPicture(EightBitBmp(kFirst));
  Display* d = display_;
  const Window root = DefaultRootWindow(d);
  const Pixmap pixmap = XCreatePixmap(d, root, 4, 3, DefaultDepth(d, DefaultScreen(d)));
  const GC gc = XCreateGC(d, pixmap, 0, nullptr);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      XSetForeground(d, gc, own->pixels[y * 4 + x]);
      XDrawPoint(d, pixmap, gc, x, y);
    }
  }
  XFreeGC(d, gc);
  XSetWindowBackgroundPixmap(d, root, pixmap);  // tiled over the root
  XFreePixmap(d, pixmap);
  XClearWindow(d, root);
  XSync(d, False);
  const std::vector<std::uint32_t> ownPixels = ScreenPixels();
  ASSERT_EQ(Property("_XROOTPMAP_ID"), 0u);

  // Another program's window over part of the screen while ossen keeps the background.
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0x00FF00;
  attributes.override_redirect = True;
  const Window other = XCreateWindow(d, root, 20, 20, 100, 80, 0, CopyFromParent, InputOutput, CopyFromParent,
                                     CWBackPixel | CWOverrideRedirect, &attributes);
  XMapWindow(d, other);
  XSync(d, False);

  const std::string painting = WriteBmp("ossen.bmp", kSecond);
  ASSERT_EQ(testing::RunInChild([&] { return MakeDesktopBackendForSession()->ShowWallpaper({painting}).shown; }), 0);
  XUnmapWindow(d, other);
  XSync(d, False);
  EXPECT_EQ(DifferentPixels(kSecond), 0);

  ASSERT_EQ(testing::RunInChild([&] { return MakeDesktopBackendForSession()->RestoreOwnWallpaper(); }), 0);
  EXPECT_TRUE(ScreenPixels() == ownPixels) << "the screen shows the person's own background again, not black";
}

// A root nobody gave a background: what the server shows is kept and comes back, and the
// painting's pixmap is freed.
TEST_F(RootBackgroundTest, AnUntouchedRootComesBackAsItWas) {
  const std::vector<std::uint32_t> untouched = ScreenPixels();
  const std::string painting = WriteBmp("ossen.bmp", kSecond);
  ASSERT_EQ(testing::RunInChild([&] { return MakeDesktopBackendForSession()->ShowWallpaper({painting}).shown; }), 0);
  const Pixmap pixmap = Property("_XROOTPMAP_ID");
  ASSERT_NE(pixmap, 0u);
  ASSERT_EQ(testing::RunInChild([&] { return MakeDesktopBackendForSession()->RestoreOwnWallpaper(); }), 0);
  EXPECT_FALSE(PixmapAlive(pixmap));
  EXPECT_TRUE(ScreenPixels() == untouched);
}

TEST(RootPictureTest, DecodesTheBitDepthsAndRefusesWhatIsNoPicture) {
  const std::vector<std::uint8_t> bmp = EightBitBmp(kFirst);
  std::optional<RgbPicture> picture = DecodeBmpPicture(bmp);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 4);
  EXPECT_EQ(picture->height, 3);
  EXPECT_EQ(picture->pixels[0], 0xFF0000u);
  EXPECT_EQ(picture->pixels[4 * 2 + 3], 0xFF00FFu);

  // 24 bits, bottom-up rows of blue, green, red.
  std::vector<std::uint8_t> dib(BuiltHeaderSize(kFormatRgb888) + 8);
  BuildHeader(2, 1, kFormatRgb888, dib);
  const std::uint8_t pixels[] = {0x01, 0x02, 0x03, 0x0A, 0x0B, 0x0C};
  std::copy(std::begin(pixels), std::end(pixels), dib.begin() + BuiltHeaderSize(kFormatRgb888));
  picture = DecodeBmpPicture(dib);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, (PixelRow{0x030201, 0x0C0B0A}));

  EXPECT_FALSE(DecodeBmpPicture(std::vector<std::uint8_t>(bmp.begin(), bmp.end() - 1))) << "cut short";
  EXPECT_FALSE(DecodeBmpPicture(std::vector<std::uint8_t>{'B', 'M'}));
  std::vector<std::uint8_t> compressed = bmp;
  compressed[kFileHeaderBytes + 16] = 1;  // run-length compression
  EXPECT_FALSE(DecodeBmpPicture(compressed));
}

TEST(RootPictureTest, NoDisplayIsNoCrash) {
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  ::unsetenv("DISPLAY");
  testing::TempPrefix prefix;
  const std::vector<std::uint8_t> bmp = EightBitBmp(kSecond);
  const std::string path = prefix.programDir() + "/x.bmp";
  WriteFileAtomically(path, bmp.data(), bmp.size());
  EXPECT_FALSE(SetRootPictureFromFile(path));
  const DesktopResult result = ShowPictureOnRoot({path, WallpaperPlacement::Fill});
  EXPECT_FALSE(result.shown);
  EXPECT_EQ(result.reason, "there is no X display");
  EXPECT_TRUE(QueryRootMonitors().empty());
  EXPECT_FALSE(ClearRootBackground());
  EXPECT_FALSE(SaveRootBackgroundAsBmp(prefix.root() + "/kept.bmp"));
  if (display) ::setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace ossen
