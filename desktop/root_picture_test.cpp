// The root picture of several monitors against ImageMagick: each monitor's rectangle must
// hold what `convert` makes of the whole painting at that monitor's size and shape.

#include "desktop/root_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "test_support/temp_prefix.h"
#include "test_support/xvfb_display.h"

namespace ossen {
namespace {

constexpr std::uint32_t kBackground = 0x2050A0;

// A 4:3 painting with broad soft fields and finer waves: a placement off by a few pixels or
// a wrong shape shows as a large difference.
RgbPicture TestPainting() {
  RgbPicture painting;
  painting.width = 400;
  painting.height = 300;
  for (int y = 0; y < painting.height; ++y) {
    for (int x = 0; x < painting.width; ++x) {
      const double r = 128 + 100 * std::sin(x / 23.0) * std::cos(y / 31.0);
      const double g = 128 + 90 * std::sin((x + 2 * y) / 17.0);
      const double b = 255.0 * x / painting.width * y / painting.height;
      painting.pixels.push_back((std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b));
    }
  }
  return painting;
}

void WritePpm(const std::string& path, const RgbPicture& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
  for (const std::uint32_t pixel : picture.pixels) {
    const char rgb[] = {char(pixel >> 16), char(pixel >> 8), char(pixel)};
    out.write(rgb, 3);
  }
}

// A binary PPM as ImageMagick writes it; empty when it is not one.
RgbPicture ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  RgbPicture picture;
  if (magic != "P6" || maxValue != 255 || width <= 0 || height <= 0) return picture;
  std::vector<unsigned char> bytes(std::size_t(width) * height * 3);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) return picture;
  picture.width = width;
  picture.height = height;
  for (std::size_t i = 0; i < bytes.size(); i += 3)
    picture.pixels.push_back((std::uint32_t(bytes[i]) << 16) | (std::uint32_t(bytes[i + 1]) << 8) | bytes[i + 2]);
  return picture;
}

// Mean absolute difference per channel (0 to 255) between the monitor's part of the root
// picture and the reference; 255 when the sizes differ.
double MeanAbsError(const RgbPicture& root, const MonitorRect& monitor, const RgbPicture& reference) {
  if (reference.width != monitor.width || reference.height != monitor.height) return 255;
  std::uint64_t sum = 0;
  for (int y = 0; y < monitor.height; ++y) {
    for (int x = 0; x < monitor.width; ++x) {
      const std::uint32_t a = root.pixels[std::size_t(monitor.y + y) * root.width + monitor.x + x];
      const std::uint32_t b = reference.pixels[std::size_t(y) * reference.width + x];
      for (int shift = 0; shift < 24; shift += 8)
        sum += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
    }
  }
  return double(sum) / (3.0 * monitor.width * monitor.height);
}

class RootPictureLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveProgram("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
    WritePpm(paintingPath_, painting_);
  }

  // ImageMagick's picture of the painting on a monitor: bilinear ("Triangle") scaling, fill
  // covering and cut in the middle, fit whole in the middle with the background around it.
  RgbPicture Reference(const MonitorRect& monitor, WallpaperPlacement placement) {
    const std::string size = std::to_string(monitor.width) + "x" + std::to_string(monitor.height);
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%06X", kBackground);
    const std::string out = prefix_.root() + "/reference.ppm";
    const std::string command = "convert " + paintingPath_ + " -filter Triangle -resize " + size +
                                (placement == WallpaperPlacement::Fill ? "^" : "") + " -background '" + colour +
                                "' -gravity center -extent " + size + " " + out;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadPpm(out);
  }

  // Builds the root picture of `monitors` and compares every monitor with ImageMagick's.
  void ExpectEachMonitorHoldsThePainting(int screenWidth, int screenHeight, const std::vector<MonitorRect>& monitors,
                                         WallpaperPlacement placement) {
    const RgbPicture root = BuildRootPicture(painting_, screenWidth, screenHeight, monitors, placement, kBackground);
    ASSERT_EQ(root.width, screenWidth);
    ASSERT_EQ(root.height, screenHeight);
    for (const MonitorRect& monitor : monitors) {
      const RgbPicture reference = Reference(monitor, placement);
      EXPECT_LT(MeanAbsError(root, monitor, reference), 1.5)
          << "monitor " << monitor.width << "x" << monitor.height << " at " << monitor.x << "," << monitor.y;
    }
    // A screen part no monitor shows has the background colour.
    if (monitors.size() == 2 && monitors[1].height < screenHeight) {
      const MonitorRect& right = monitors[1];
      EXPECT_EQ(root.pixels[std::size_t(screenHeight - 1) * screenWidth + right.x] & 0xFFFFFF, kBackground);
    }
  }

  testing::TempPrefix prefix_;
  RgbPicture painting_ = TestPainting();
  std::string paintingPath_ = prefix_.root() + "/painting.ppm";
};

TEST_F(RootPictureLayoutTest, MonitorsOfDifferentSizesEachHoldTheWholePaintingAtItsShape) {
  // 1920 x 1080 beside 1280 x 1024: each filled, the painting cut to the monitor's shape.
  const std::vector<MonitorRect> monitors = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  ExpectEachMonitorHoldsThePainting(3200, 1080, monitors, WallpaperPlacement::Fill);
  // Fit: the whole painting on each, with plain bars of the background colour.
  ExpectEachMonitorHoldsThePainting(3200, 1080, monitors, WallpaperPlacement::Fit);
}

TEST_F(RootPictureLayoutTest, AMonitorAtTwiceThePixelsIsFilledAtItsDeviceSize) {
  // A 1920 x 1080 monitor at a device pixel ratio of 2 is 3840 x 2160 device pixels.
  const std::vector<MonitorRect> monitors = {{0, 0, 3840, 2160}, {3840, 0, 1280, 1024}};
  ExpectEachMonitorHoldsThePainting(5120, 2160, monitors, WallpaperPlacement::Fill);
}

TEST(RootPictureTest, MonitorsAreClippedToTheScreenAndMirrorsCountOnce) {
  const std::vector<MonitorRect> reported = {
      {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {1800, -50, 400, 2000}, {5000, 0, 10, 10}, {0, 0, 0, 0}};
  EXPECT_EQ(UsableMonitors(reported, 2000, 1080),
            (std::vector<MonitorRect>{{0, 0, 1920, 1080}, {1800, 0, 200, 1080}}));
  EXPECT_EQ(UsableMonitors({}, 640, 480), (std::vector<MonitorRect>{{0, 0, 640, 480}})) << "no monitor: the screen";

  // Span: one painting over the box around both monitors, not one per monitor.
  RgbPicture stripes;
  stripes.width = 2;
  stripes.height = 1;
  stripes.pixels = {0xFF0000, 0x0000FF};
  const std::vector<MonitorRect> pair = {{0, 0, 100, 50}, {100, 0, 100, 50}};
  const RgbPicture spanned = BuildRootPicture(stripes, 200, 50, pair, WallpaperPlacement::Span, 0);
  ASSERT_EQ(spanned.pixels.size(), 200u * 50);
  EXPECT_EQ(spanned.pixels[25 * 200 + 10] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(spanned.pixels[25 * 200 + 190] & 0xFFFFFF, 0x0000FFu);
  const RgbPicture each = BuildRootPicture(stripes, 200, 50, pair, WallpaperPlacement::Stretch, 0);
  EXPECT_EQ(each.pixels[25 * 200 + 110] & 0xFFFFFF, 0xFF0000u) << "the second monitor starts with red again";
}

}  // namespace
}  // namespace ossen
