#include "engine/painting_picture.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/palette.h"
#include "image/packed_dib.h"
#include "platform/base/file_io.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit painting of the library's size whose every row and column differs, with a
// palette of 256 distinct colours.
SurfaceRef<DibImage> GeneratedPainting() {
  SurfaceRef<DibImage> picture = DibImage::New();
  PaletteRef palette = Palette::New();
  if (!picture || !palette || picture->CreateBlank(1024, 768, kFormatIndexed8) != 0 || palette->Create(256) != 0)
    return {};
  std::vector<PaletteEntry> entries(256);
  for (int i = 0; i < 256; ++i)
    entries[static_cast<std::size_t>(i)] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                            static_cast<BYTE>(i * 37), 0};
  if (palette->SetEntries(entries, 0, 256) != 0 || picture->SetPalette(palette.get()) != 0) return {};
  std::uint8_t* bits = nullptr;
  int stride = 0;
  if (picture->LockBits(bits, stride) != 0) return {};
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      bits[y * stride + x] = static_cast<std::uint8_t>(x * 7 + y * 13 + ((x * y) >> 5));
  picture->UnlockBits();
  return picture;
}

Bytes FileBytes(const std::string& path) {
  Bytes bytes;
  EXPECT_EQ(ReadFileBytes(path, std::size_t{64} << 20, bytes), ReadResult::kOk) << path;
  return bytes;
}

std::uint64_t Fnv1a(const Bytes& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

// The file made straight from the picture is the file of its scaled copy, for every
// relation of the sizes: enlarged, reduced, one and the other, the same size, padded rows.
TEST(ScaledBitmapFile, IsByteForByteTheFileOfTheScaledCopy) {
  testing::TempPrefix temp;
  SurfaceRef<DibImage> painting = GeneratedPainting();
  ASSERT_TRUE(painting);
  const std::string direct = temp.programDir() + "/direct.bmp";
  const std::string copied = temp.programDir() + "/copied.bmp";
  const int sizes[][2] = {{1920, 1080}, {3840, 2160}, {800, 600}, {1024, 768}, {320, 400},
                          {1366, 768}, {1023, 7},    {1, 1},     {2048, 3}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    SurfaceRef<DibImage> scaled = ScaledPicture(*painting, size[0], size[1]);
    ASSERT_TRUE(scaled);
    ASSERT_TRUE(WriteBitmapFile(copied, *scaled));
    ASSERT_TRUE(WriteScaledBitmapFile(direct, *painting, size[0], size[1]));
    EXPECT_EQ(FileBytes(direct), FileBytes(copied));
  }
  // Pinned: the 1920 x 1080 file as the wallpaper's writing has always made it.
  ASSERT_TRUE(WriteScaledBitmapFile(direct, *painting, 1920, 1080));
  EXPECT_EQ(Fnv1a(FileBytes(direct)), 0xdc406fc566efb1dfull);
}

TEST(ScaledBitmapFile, WritesNothingForAPictureWithoutPaletteOrAnImpossibleSize) {
  testing::TempPrefix temp;
  const std::string path = temp.programDir() + "/wall.bmp";
  ASSERT_TRUE(WriteFileAtomically(path, "old", 3));
  SurfaceRef<DibImage> painting = GeneratedPainting();
  ASSERT_TRUE(painting);
  EXPECT_FALSE(WriteScaledBitmapFile(path, *painting, 0, 10));
  EXPECT_FALSE(WriteScaledBitmapFile(path, *painting, 70000, 10));
  EXPECT_FALSE(WriteScaledBitmapFile(path, *painting, 60000, 60000));  // over the image size cap
  SurfaceRef<DibImage> full = DibImage::New();
  ASSERT_TRUE(full && full->CreateBlank(16, 16, kFormatRgb888) == 0);
  EXPECT_FALSE(WriteScaledBitmapFile(path, *full, 32, 32));
  EXPECT_EQ(FileBytes(path), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.programDir()), {}), 1);
}

}  // namespace
}  // namespace ossen
