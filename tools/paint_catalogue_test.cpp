// Runs the real paint_catalogue program and reads back the JPEG files it writes.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "res/painter/painter.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

int RunPaintCatalogue(const std::string& args) {
  const std::string command = std::string("'") + PAINT_CATALOGUE_PATH + "' " + args + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// Decodes a JPEG file the program wrote; an empty image when it cannot.
RgbImage ReadJpeg(const std::string& path) {
  RgbImage image;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return image;
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.pixels.data() + static_cast<std::size_t>(info.output_scanline) * image.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return image;
}

class PaintCatalogueTest : public ::testing::Test {
 protected:
  testing::TempPrefix temp_;
};

TEST_F(PaintCatalogueTest, WritesTheChosenPaintingsAtTheChosenSize) {
  ASSERT_EQ(mkdir("out", 0755), 0);
  ASSERT_EQ(RunPaintCatalogue("out 7 26 --size 96x72"), 0);
  EXPECT_FALSE(Exists("out/paint_01.jpg"));
  for (int number : {7, 26}) {
    const std::string path = number == 7 ? "out/paint_07.jpg" : "out/paint_26.jpg";
    const RgbImage written = ReadJpeg(path);
    ASSERT_EQ(written.width, 96) << path;
    ASSERT_EQ(written.height, 72) << path;
    // The file holds the painting itself, rows and channels in their places.
    const RgbImage painted = PaintCatalogueImage(number, 96, 72);
    long long difference = 0;
    for (std::size_t i = 0; i < painted.pixels.size(); ++i) difference += std::abs(painted.pixels[i] - written.pixels[i]);
    EXPECT_LT(static_cast<double>(difference) / static_cast<double>(painted.pixels.size()), 6.0) << path;
  }
}

TEST_F(PaintCatalogueTest, WritesAllThirtyFiveAtWallpaperSizeByDefault) {
  ASSERT_EQ(mkdir("all", 0755), 0);
  ASSERT_EQ(RunPaintCatalogue("all"), 0);
  for (int number = 1; number <= 35; ++number) {
    char path[32];
    std::snprintf(path, sizeof path, "all/paint_%02d.jpg", number);
    ASSERT_TRUE(Exists(path)) << path;
  }
  const RgbImage last = ReadJpeg("all/paint_35.jpg");
  EXPECT_EQ(last.width, 1024);
  EXPECT_EQ(last.height, 768);
}

TEST_F(PaintCatalogueTest, RefusesBadUsageAndReportsFilesItCannotWrite) {
  ASSERT_EQ(mkdir("out", 0755), 0);
  for (const char* args : {"", "out 0", "out 36", "out 3x", "out --size", "out --size 0x10", "out --size 5000x10",
                           "out --size 640", "out 4 --size 64x48x2"}) {
    EXPECT_EQ(RunPaintCatalogue(args), 2) << args;
  }
  EXPECT_EQ(RunPaintCatalogue("missing-folder 3 --size 32x24"), 1);
  EXPECT_FALSE(Exists("out/paint_04.jpg"));
}

}  // namespace
}  // namespace ossen
