// The built OssenDLL.rcc as the program reads it, and the pieces that make it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "image/jpeg_loader.h"
#include "image/packed_dib.h"
#include "image/pkc_codec.h"
#include "platform/win32/module.h"
#include "platform/win32/paths.h"
#include "res/library/colour_error.h"
#include "res/library/colour_quantizer.h"
#include "res/library/painting_jpeg.h"
#include "res/library/preview_picture.h"
#include "schedule/picture_catalogue.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteAll(const std::string& path, ByteView bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ByteView ResourceBytes(HMODULE module, const std::string& name) {
  HRSRC found = FindResource(module, name.c_str(), "BIN");
  if (!found) return {};
  const void* bytes = LockResource(LoadResource(module, found));
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

// A stored preview must be what the book window and the apply step read: "BM", an 8-bit
// PKC1 image of 169 x 115 with a 256-entry palette, whose pixels use entries 0 to 99 only.
void ExpectStoredPreview(ByteView stored) {
  ASSERT_GE(stored.size(), kFileHeaderBytes + kInfoHeaderBytes);
  EXPECT_EQ(stored[0], 'B');
  EXPECT_EQ(stored[1], 'M');
  const ByteView dib = FindInfoHeader(stored);
  BitmapInfoHeader header{};
  ASSERT_TRUE(ReadInfoHeader(dib, header));
  EXPECT_EQ(header.width, kPreviewWidth);
  EXPECT_EQ(header.height, kPreviewHeight);
  EXPECT_EQ(header.bitCount, 8);
  EXPECT_EQ(std::memcmp(&header.compression, "PKC1", 4), 0);
  EXPECT_EQ(PackedDibHeaderSize(dib), kInfoHeaderBytes + 4 * 256);
  EXPECT_EQ(PackedDibTotalSize(dib), dib.size());
  const GlobalBlock plain = PkcDecompress(dib);
  PackedDibLayout layout{};
  ASSERT_TRUE(ReadPackedDib(plain.view(), layout));
  int highest = 0;
  for (int y = 0; y < kPreviewHeight; ++y) {
    const std::uint8_t* row = plain.data() + layout.headerSize + std::size_t{layout.stride} * y;
    for (int x = 0; x < kPreviewWidth; ++x) highest = std::max<int>(highest, row[x]);
  }
  EXPECT_LT(highest, kPreviewBandSize);
}

// Decodes JPEG bytes through the program's loader; width and height 0 when it fails.
HeapBytes DecodeJpegBytes(ByteView jpeg, DWORD& width, DWORD& height) {
  const std::string path = std::filesystem::absolute("painting.jpg").string();
  WriteAll(path, jpeg);
  return DecodeJpegFile(WinPathFromHost(path).c_str(), width, height);
}

bool IsBaselineJpeg(ByteView jpeg) {
  bool baseline = false;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] != 0xFF) continue;
    if (jpeg[i + 1] == 0xC0) baseline = true;
    if (jpeg[i + 1] >= 0xC1 && jpeg[i + 1] <= 0xCF && jpeg[i + 1] != 0xC4 && jpeg[i + 1] != 0xC8 &&
        jpeg[i + 1] != 0xCC) {
      return false;  // progressive, extended or lossless frames
    }
  }
  return baseline;
}

class BuiltLibraryTest : public ::testing::Test {
 protected:
  ossen::testing::TempPrefix prefix;
};

TEST_F(BuiltLibraryTest, AnswersEveryPaintingFromTheProgramFolderAndNothingElse) {
  std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, "OssenDLL.rcc");
  HMODULE module = LoadLibrary("OssenDLL");
  ASSERT_NE(module, nullptr);
  for (int n = 1; n <= 35; ++n) {
    SCOPED_TRACE("painting " + std::to_string(n));
    const std::string number = std::to_string(n);
    ExpectStoredPreview(ResourceBytes(module, "A" + number + "P"));

    const ByteView jpeg = ResourceBytes(module, "A" + number);
    EXPECT_TRUE(IsBaselineJpeg(jpeg));
    DWORD width = 0, height = 0;
    EXPECT_TRUE(DecodeJpegBytes(jpeg, width, height));
    EXPECT_EQ(width, 1024u);
    EXPECT_EQ(height, 768u);
  }
  for (const char* absent : {"A0P", "A0", "A36P", "A36"}) {
    EXPECT_EQ(FindResource(module, absent, "BIN"), nullptr) << absent;
  }
  EXPECT_NE(FindResource(module, "a7p", "bin"), nullptr);  // names compare without case
  EXPECT_TRUE(FreeLibrary(module));
}

// A picture whose colours all sit in different cells of the inverse table, one colour per
// 4 x 4 block; `count` colours in all.
Bytes FewColourPicture(int count, int& width, int& height) {
  width = 4 * 16;
  height = 4 * ((count + 15) / 16);
  Bytes pixels(static_cast<std::size_t>(width * height * 3));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int colour = ((y / 4) * 16 + x / 4) % count;
      std::uint8_t* p = pixels.data() + (y * width + x) * 3;
      p[0] = static_cast<std::uint8_t>(8 * (colour % 32));
      p[1] = static_cast<std::uint8_t>(8 * ((colour * 7) % 32));
      p[2] = static_cast<std::uint8_t>(8 * (colour / 32) + 3);
    }
  }
  return pixels;
}

TEST(QuantizerTest, PictureWithFewColoursMapsBackWithoutLoss) {
  for (int count : {1, 2, 100, 256}) {
    SCOPED_TRACE(count);
    int width = 0, height = 0;
    const Bytes pixels = FewColourPicture(count, width, height);
    const RgbPixels picture{pixels.data(), width, height};
    const PictureColours colours = QuantizeColours(picture);
    std::set<std::uint32_t> inPalette;
    for (const PaletteEntry& c : colours) inPalette.insert(c.red << 16 | c.green << 8 | c.blue);
    EXPECT_EQ(inPalette.size(), static_cast<std::size_t>(count));
    double error = -1;
    ASSERT_TRUE(MeanMappingError(picture, colours, kPaletteSize, error));
    EXPECT_EQ(error, 0.0);
  }
}

// A smooth picture with far more than 256 colours, and a small patch of a colour found
// nowhere else: the first 100 entries alone must still serve the whole picture.
TEST(QuantizerTest, FirstHundredEntriesServeTheWholePicture) {
  const int width = 256, height = 192;
  Bytes pixels(width * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = pixels.data() + (y * width + x) * 3;
      const bool patch = x < 24 && y < 16;  // under 1% of the picture
      p[0] = patch ? 20 : static_cast<std::uint8_t>(x);
      p[1] = patch ? 200 : static_cast<std::uint8_t>(y);
      p[2] = patch ? 40 : static_cast<std::uint8_t>(128 + (x ^ y) % 16);
    }
  }
  const RgbPixels picture{pixels.data(), width, height};
  const PictureColours colours = QuantizeColours(picture);
  ColourError error;
  ASSERT_TRUE(MeasureColourError(picture, colours, error));
  EXPECT_LT(error.wholePalette, error.previewBand);
  EXPECT_LT(error.previewBand, 16.0);
  EXPECT_LT(error.wholePalette, 12.0);
  bool patchInBand = false;
  for (int i = 0; i < kPreviewBandSize; ++i) {
    const PaletteEntry& c = colours[static_cast<std::size_t>(i)];
    patchInBand |= std::abs(c.red - 20) + std::abs(c.green - 200) + std::abs(c.blue - 40) < 12;
  }
  EXPECT_TRUE(patchInBand);
  // The same picture always gives the same palette.
  EXPECT_EQ(QuantizeColours(picture), colours);
}

TEST(ResampleTest, AveragesTheAreaEachPixelCovers) {
  // A fine checkerboard becomes grey, not one of its squares.
  const Bytes checker = {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0};
  EXPECT_EQ(ResampleByArea({checker.data(), 2, 2}, 1, 1), (Bytes{128, 128, 128}));
  // Three pixels into two: each output pixel covers one and a half source pixels.
  const Bytes row = {0, 30, 90, 255, 60, 90, 0, 90, 90};
  EXPECT_EQ(ResampleByArea({row.data(), 3, 1}, 2, 1), (Bytes{85, 40, 90, 85, 80, 90}));
  // Enlarging repeats colours without leaving the range.
  EXPECT_EQ(ResampleByArea({row.data(), 3, 1}, 6, 1).size(), 18u);
  EXPECT_TRUE(ResampleByArea({nullptr, 3, 1}, 2, 1).empty());
  EXPECT_TRUE(ResampleByArea({row.data(), 3, 1}, 0, 1).empty());
}

TEST_F(BuiltLibraryTest, PreviewAndJpegOfAnyPictureAreWhatTheProgramReads) {
  int width = 0, height = 0;
  const Bytes pixels = FewColourPicture(256, width, height);
  const RgbPixels picture{pixels.data(), width, height};
  const PictureColours colours = QuantizeColours(picture);
  const Bytes stored = BuildStoredPreview(picture, colours);
  ExpectStoredPreview(stored);
  const ByteView table = FindInfoHeader(stored).subspan(kInfoHeaderBytes, 1024);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    EXPECT_EQ(table[4 * i], colours[i].blue);
    EXPECT_EQ(table[4 * i + 2], colours[i].red);
  }

  const Bytes jpeg = EncodeBaselineJpeg(picture);
  EXPECT_EQ(EncodeBaselineJpeg(picture), jpeg);
  EXPECT_TRUE(IsBaselineJpeg(jpeg));
  DWORD decodedWidth = 0, decodedHeight = 0;
  EXPECT_TRUE(DecodeJpegBytes(jpeg, decodedWidth, decodedHeight));
  EXPECT_EQ(decodedWidth, static_cast<DWORD>(width));
  EXPECT_EQ(decodedHeight, static_cast<DWORD>(height));
  EXPECT_TRUE(EncodeBaselineJpeg(picture, 0).empty());
  EXPECT_TRUE(EncodeBaselineJpeg({pixels.data(), 0, 4}).empty());
}

TEST(CatalogueTest, ReadsPicturesInOrderSkippingCommentsAndBlanks) {
  std::vector<CataloguePicture> pictures;
  std::string error;
  ASSERT_TRUE(ParseCatalogue("# my pictures\r\n\n  harbour.jpg | Harbour at Dawn |A. Painter \r\n"
                             "sub/b.jpg|Second||\n",
                             pictures, error) == false);
  EXPECT_EQ(error, "line 4: expected file|title|painter");

  ASSERT_TRUE(ParseCatalogue("# my pictures\r\n\n  harbour.jpg | Harbour at Dawn |A. Painter \r\n"
                             "sub/b.jpg|Second|\n/abs/c.jpg|Third|Someone",
                             pictures, error))
      << error;
  ASSERT_EQ(pictures.size(), 3u);
  EXPECT_EQ(pictures[0].file, "harbour.jpg");
  EXPECT_EQ(pictures[0].title, "Harbour at Dawn");
  EXPECT_EQ(pictures[0].painter, "A. Painter");
  EXPECT_EQ(pictures[0].line, 3);
  EXPECT_EQ(pictures[1].painter, "");
  EXPECT_EQ(pictures[2].file, "/abs/c.jpg");
}

TEST(CatalogueTest, RefusesBadLinesAndTooManyPictures) {
  std::vector<CataloguePicture> pictures;
  std::string error;
  EXPECT_FALSE(ParseCatalogue("a.jpg|Title\n", pictures, error));
  EXPECT_EQ(error, "line 1: expected file|title|painter");
  EXPECT_FALSE(ParseCatalogue("#\n |Title|P\n", pictures, error));
  EXPECT_EQ(error, "line 2: no picture file named");
  EXPECT_FALSE(ParseCatalogue("a.jpg| |P\n", pictures, error));
  EXPECT_EQ(error, "line 1: no title");
  EXPECT_FALSE(ParseCatalogue("# nothing\n\n", pictures, error));
  EXPECT_FALSE(ParseCatalogue(std::string("a.jpg|T\0|P", 10), pictures, error));
  EXPECT_TRUE(pictures.empty());

  std::string many;
  for (int i = 1; i <= 35; ++i) many += "p" + std::to_string(i) + ".jpg|Title|P\n";
  EXPECT_TRUE(ParseCatalogue(many, pictures, error));
  EXPECT_EQ(pictures.size(), 35u);
  EXPECT_FALSE(ParseCatalogue(many + "# fine\nlast.jpg|One too many|P\n", pictures, error));
  EXPECT_EQ(error, "line 37: more than 35 pictures");
  EXPECT_TRUE(pictures.empty());
}

}  // namespace
}  // namespace ossen
