#include "image/packed_dib.h"

#include <utility>

#include <gtest/gtest.h>

#include "image/four_cc.h"
#include "image/test/test_images.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::PatchHeader;
using testing::PutWord;

Bytes HeaderBytes(int width, int height, int bitCount, DWORD compression, DWORD colorsUsed = 0,
                  DWORD imageSize = 0) {
  BitmapInfoHeader header{};
  header.size = 40;
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = static_cast<WORD>(bitCount);
  header.compression = compression;
  header.imageSize = imageSize;
  header.colorsUsed = colorsUsed;
  Bytes bytes(52, 0);
  PatchHeader(bytes, header);
  return bytes;
}

TEST(FourCC, CodesAreTheirAsciiBytesInOrder) {
  const Bytes pkc1 = {0x50, 0x4B, 0x43, 0x31};
  DWORD word;
  std::memcpy(&word, pkc1.data(), 4);
  EXPECT_EQ(kCompressionPkc1, word);
  EXPECT_EQ(FourCCFromString("PKC1"), kCompressionPkc1);
  EXPECT_EQ(FourCCFromString("arle"), MakeFourCC('a', 'r', 'l', 'e')) << "no case folding";
  EXPECT_EQ(FourCCFromString("AB"), MakeFourCC('A', 'B', ' ', ' '));
  EXPECT_EQ(FourCCFromString(nullptr), 0u);
  EXPECT_EQ(FourCCText(kCompressionPrle), "PRLE");
  EXPECT_EQ(FourCCText(BI_BITFIELDS), "0x00000003");
}

TEST(PackedDibSizes, HeaderSizeFollowsBitCountColoursAndCompression) {
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 1, BI_RGB)), 40u + 8);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 2, BI_RGB)), 40u + 16);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 4, BI_RGB)), 40u + 64);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 8, BI_RGB)), 40u + 1024);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 8, BI_RGB, 16)), 40u + 64);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 16, BI_BITFIELDS)), 52u);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 32, kCompressionPkc2)), 52u);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 24, BI_RGB)), 40u);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 24, kCompressionTrle)), 40u);
  EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, 16, BI_RGB, 3)), 52u);
  for (int bits : {0, 3, 12, 48}) EXPECT_EQ(PackedDibHeaderSize(HeaderBytes(8, 8, bits, BI_RGB)), 0u) << bits;
}

TEST(PackedDibSizes, ImageSizeIsStrideTimesHeightOnlyForRawRows) {
  EXPECT_EQ(PackedDibImageSize(HeaderBytes(33, 10, 1, BI_RGB)), 80u);
  EXPECT_EQ(PackedDibImageSize(HeaderBytes(3, 2, 24, BI_RGB)), 24u);
  EXPECT_EQ(PackedDibImageSize(HeaderBytes(3, 2, 16, BI_BITFIELDS)), 16u);
  EXPECT_EQ(PackedDibImageSize(HeaderBytes(640, 1920, 8, kCompressionPkc1, 0, 365453)), 365453u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(640, 1920, 8, kCompressionPkc1, 0, 365453)), 1064u + 365453);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(640, 1920, 8, BI_RGB)), 1064u + 1228800);
}

TEST(PackedDibSizes, RowStrideRoundsBitsToBytesThenToFourBytes) {
  EXPECT_EQ(RowStride(kFormatIndexed1, 33), 8u);
  EXPECT_EQ(RowStride(kFormatIndexed1, 32), 4u);
  EXPECT_EQ(RowStride(kFormatIndexed4, 9), 8u);
  EXPECT_EQ(RowStride(kFormatIndexed8, 5), 8u);
  EXPECT_EQ(RowStride(kFormatRgb565, 3), 8u);
  EXPECT_EQ(RowStride(kFormatRgb888, 3), 12u);
  EXPECT_EQ(RowStride(kFormatXrgb8888, 1), 4u);
  EXPECT_EQ(RowStride(kFormatIndexed8, 0), 0u);
  EXPECT_EQ(RowStride(kFormatIndexed8, -1), 0u);
  EXPECT_EQ(RowStride(kFormatXrgb8888, 0x7FFFFFFF), 0u) << "would not fit 32 bits";
}

TEST(PackedDibSizes, RefusesMissingWrongOrAbsurdHeaders) {
  EXPECT_EQ(PackedDibTotalSize(ByteView(HeaderBytes(8, 8, 8, BI_RGB).data(), 39)), 0u);
  Bytes wrongSize = HeaderBytes(8, 8, 8, BI_RGB);
  PutWord(wrongSize, 0, 12);
  EXPECT_EQ(PackedDibTotalSize(wrongSize), 0u);
  EXPECT_EQ(PackedDibHeaderSize(wrongSize), 0u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(0, 8, 8, BI_RGB)), 0u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(8, -8, 8, BI_RGB)), 0u) << "top-down rows are not handled";
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(65536, 8, 8, BI_RGB)), 0u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(0x7FFFFFFF, 0x7FFFFFFF, 32, BI_RGB)), 0u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(65535, 65535, 32, BI_RGB)), 0u) << "16 GiB of rows";
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(65535, 65535, 32, kCompressionPkc1, 0, 100)), 0u)
      << "the decoded rows would not fit either";
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(8, 8, 8, kCompressionArle, 0, 0xFFFFFFFF)), 0u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(8, 8, 8, BI_RGB, 257)), 0u) << "more colours than 8 bits index";
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(8, 8, 4, BI_RGB, 17)), 0u);
  EXPECT_EQ(PackedDibTotalSize(HeaderBytes(8, 8, 24, BI_RGB, 0xFFFFFFFF)), 0u);
}

TEST(PackedDibSizes, ReadPackedDibWantsEveryByteTheHeaderCounts) {
  std::mt19937 rng(1);
  const Bytes dib = testing::MakeDib(5, 3, 8, BI_RGB, rng);
  PackedDibLayout layout;
  ASSERT_TRUE(ReadPackedDib(dib, layout));
  EXPECT_EQ(layout.headerSize, 1064u);
  EXPECT_EQ(layout.imageSize, 24u);
  EXPECT_EQ(layout.stride, 8u);
  EXPECT_FALSE(ReadPackedDib(ByteView(dib.data(), dib.size() - 1), layout));
}

TEST(PixelFormat, CodeFollowsBitCountAndTheGreenMask) {
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 1, BI_RGB)), 0x41000000u);
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 2, BI_RGB)), 0x42000000u);
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 4, BI_RGB)), 0x44000000u);
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 8, kCompressionPkc1)), 0x48000000u);
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 24, BI_RGB)), 0x18E40888u);
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 32, BI_RGB)), 0x20E40888u);
  EXPECT_EQ(FormatCodeFromHeader(HeaderBytes(1, 1, 12, BI_RGB)), 0u);

  Bytes sixteen = HeaderBytes(1, 1, 16, BI_RGB);
  PutWord(sixteen, 44, 0x7E0);
  EXPECT_EQ(FormatCodeFromHeader(sixteen), 0x10E40555u) << "raw 16-bit rows are 5-5-5 whatever follows";
  for (DWORD compression : {BI_BITFIELDS, kCompressionPkc2, kCompressionTrle}) {
    Bytes masked = HeaderBytes(1, 1, 16, compression);
    PutWord(masked, 44, 0x7E0);
    EXPECT_EQ(FormatCodeFromHeader(masked), 0x10E40565u);
    PutWord(masked, 44, 0x3E0);
    EXPECT_EQ(FormatCodeFromHeader(masked), 0x10E40555u);
    EXPECT_EQ(FormatCodeFromHeader(ByteView(masked.data(), 47)), 0u) << "mask cut off";
  }
}

TEST(PixelFormat, BuildHeaderGivesAHeaderThatReadsBackAsItsCode) {
  for (DWORD code : {kFormatIndexed1, kFormatIndexed2, kFormatIndexed4, kFormatIndexed8, kFormatRgb555,
                     kFormatRgb565, kFormatRgb888, kFormatXrgb8888}) {
    Bytes out(2000, 0xAA);
    const DWORD size = BuildHeader(7, 9, code, out);
    ASSERT_NE(size, 0u) << std::hex << code;
    EXPECT_EQ(FormatCodeFromHeader(out), code) << std::hex << code;
    EXPECT_EQ(PackedDibHeaderSize(out), size) << std::hex << code;
    EXPECT_EQ(PackedDibImageSize(out), RowStride(code, 7) * 9) << std::hex << code;
    EXPECT_EQ(out[size - 1], 0) << "table zeroed, high bytes of the fields clear";
    EXPECT_EQ(out[size], 0xAA) << "nothing written past the header";
  }
  Bytes out(2000);
  EXPECT_EQ(BuildHeader(7, 9, kFormatRgb555, out), 52u);
  DWORD masks[3];
  std::memcpy(masks, out.data() + 40, sizeof masks);
  EXPECT_EQ(masks[0], 0x7C00u);
  EXPECT_EQ(masks[2], 0x1Fu);
  EXPECT_EQ(BuildHeader(7, 9, 0x12345678, out), 0u);
  EXPECT_EQ(BuildHeader(7, 9, kFormatIndexed8, std::span(out.data(), 1063)), 0u) << "no room";
}

TEST(StoredImage, FileHeaderIsSkippedWhenPresent) {
  const Bytes info = HeaderBytes(640, 1920, 8, kCompressionPkc1, 0, 365453);
  Bytes stored = {'B', 'M', 0x45, 0x00, 0x94, 0x0C, 159, 0, 0, 0, 0x36, 0x04, 0, 0};
  stored.insert(stored.end(), info.begin(), info.end());
  EXPECT_EQ(FindInfoHeader(stored).data(), stored.data() + 14);
  EXPECT_EQ(FindInfoHeader(info).data(), info.data());
  EXPECT_EQ(PackedDibTotalSize(FindInfoHeader(stored)), PackedDibTotalSize(info));
  EXPECT_TRUE(FindInfoHeader(ByteView(stored.data(), 53)).empty());
  EXPECT_TRUE(FindInfoHeader(ByteView(info.data(), 39)).empty());
}

// The pixel data of a written bitmap file starts right after its colour table, however
// many entries that table has: readers that trust the offset must find the rows there.
TEST(StoredImage, BitmapFileOffsetCountsTheTableThatIsThere) {
  struct Case {
    int bitCount;
    DWORD colorsUsed;
    DWORD compression;
    DWORD offset;
  };
  for (const Case& c : {Case{8, 0, BI_RGB, 1078}, Case{8, 16, BI_RGB, 118}, Case{8, 1, BI_RGB, 58},
                        Case{4, 0, BI_RGB, 118}, Case{1, 0, BI_RGB, 62}, Case{24, 0, BI_RGB, 54},
                        Case{16, 0, BI_BITFIELDS, 66}}) {
    SCOPED_TRACE(::testing::Message() << c.bitCount << " bits, " << c.colorsUsed << " colours");
    Bytes dib = HeaderBytes(5, 3, c.bitCount, c.compression, c.colorsUsed);
    dib.resize(PackedDibTotalSize(dib), 0x5A);
    const std::vector<std::uint8_t> file = BitmapFileFromPackedDib(dib);
    ASSERT_EQ(file.size(), 14 + dib.size());
    DWORD size = 0, offset = 0;
    std::memcpy(&size, file.data() + 2, 4);
    std::memcpy(&offset, file.data() + 10, 4);
    EXPECT_EQ(size, file.size());
    EXPECT_EQ(offset, c.offset);
    EXPECT_EQ(file.size() - offset, PackedDibImageSize(dib)) << "the rows run from the offset to the end";
  }
  EXPECT_TRUE(BitmapFileFromPackedDib(Bytes(30, 0)).empty());
}

}  // namespace
}  // namespace ossen
