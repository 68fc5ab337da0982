#include "image/bmp_rle_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/packed_dib.h"
#include "image/test/test_images.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::HeaderOf;
using testing::PatchHeader;

// A packed DIB with a `colours`-entry table (entry i = i, i, i) and the stream behind it.
Bytes RleDib(int width, int height, int bits, const Bytes& stream, DWORD imageSize, DWORD colours = 16) {
  BitmapInfoHeader header{};
  header.size = 40;
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = static_cast<WORD>(bits);
  header.compression = bits == 8 ? BI_RLE8 : BI_RLE4;
  header.imageSize = imageSize;
  header.colorsUsed = colours;
  Bytes dib(40);
  PatchHeader(dib, header);
  for (DWORD i = 0; i < colours; ++i) dib.insert(dib.end(), {BYTE(i), BYTE(i), BYTE(i), 0});
  dib.insert(dib.end(), stream.begin(), stream.end());
  return dib;
}

Bytes RleDib(int width, int height, int bits, const Bytes& stream) {
  return RleDib(width, height, bits, stream, static_cast<DWORD>(stream.size()));
}

// The decoded rows, bottom row first, each cut to `rowBytes`.
std::vector<Bytes> Rows(const GlobalBlock& decoded, std::size_t rowBytes) {
  const BitmapInfoHeader header = HeaderOf(decoded.view());
  const std::size_t headerSize = PackedDibHeaderSize(decoded.view());
  const std::size_t stride = RowStride(header.bitCount == 8 ? kFormatIndexed8 : kFormatIndexed4, header.width);
  std::vector<Bytes> rows;
  for (LONG y = 0; y < header.height; ++y) {
    const std::uint8_t* row = decoded.data() + headerSize + y * stride;
    rows.emplace_back(row, row + rowBytes);
  }
  return rows;
}

TEST(BmpRle, EightBitRunsLiteralsDeltasAndLineEndsLandWhereTheySay) {
  const Bytes stream = {
      3, 7,              // row 0: 7 7 7
      0, 3, 1, 2, 3, 0,  // then a literal of three (padded to four bytes): 1 2 3
      0, 0,              // end of line
      0, 2, 2, 1,        // delta: two right, one up: row 2, column 2
      2, 9,              // 9 9
      0, 0,              // end of line: row 3
      6, 5,              // 5 5 5 5 5 5
      0, 1,              // end of bitmap
  };
  std::string reason;
  const GlobalBlock decoded = BmpRleDecode(RleDib(6, 4, 8, stream), reason);
  ASSERT_TRUE(decoded) << reason;
  EXPECT_EQ(HeaderOf(decoded.view()).compression, BI_RGB);
  EXPECT_EQ(HeaderOf(decoded.view()).imageSize, 0u);
  EXPECT_EQ(decoded.size(), PackedDibTotalSize(decoded.view()));
  const std::vector<Bytes> rows = Rows(decoded, 6);
  EXPECT_EQ(rows[0], Bytes({7, 7, 7, 1, 2, 3}));
  EXPECT_EQ(rows[1], Bytes({0, 0, 0, 0, 0, 0}));  // skipped by the delta
  EXPECT_EQ(rows[2], Bytes({0, 0, 9, 9, 0, 0}));
  EXPECT_EQ(rows[3], Bytes({5, 5, 5, 5, 5, 5}));
  EXPECT_EQ(Bytes(decoded.data() + 40, decoded.data() + 48), Bytes({0, 0, 0, 0, 1, 1, 1, 0}));  // table kept
}

TEST(BmpRle, FourBitRunsAlternateNibblesAndOddLiteralsArePadded) {
  const Bytes stream = {
      5, 0x12,           // row 0: 1 2 1 2 1
      0, 0,              //
      0, 3, 0x34, 0x50,  // row 1: literal 3 4 5 (two bytes, already even)
      1, 0xF0,           // F
      0, 0,              //
      0, 5, 0xAB, 0xCD, 0xE0, 0x00,  // row 2: literal A B C D E (three bytes + one pad)
      0, 1,
  };
  std::string reason;
  const GlobalBlock decoded = BmpRleDecode(RleDib(5, 3, 4, stream), reason);
  ASSERT_TRUE(decoded) << reason;
  const std::vector<Bytes> rows = Rows(decoded, 3);
  EXPECT_EQ(rows[0], Bytes({0x12, 0x12, 0x10}));
  EXPECT_EQ(rows[1], Bytes({0x34, 0x5F, 0x00}));
  EXPECT_EQ(rows[2], Bytes({0xAB, 0xCD, 0xE0}));
}

// ImageMagick encodes whole stored rows: a 31-pixel row as 32 pixels, the last one padding.
TEST(BmpRle, PixelsInTheRowPaddingAreAcceptedAndDropped) {
  std::string reason;
  const GlobalBlock eight = BmpRleDecode(RleDib(3, 2, 8, {4, 9, 0, 0, 0, 4, 8, 8, 8, 7, 0, 1}), reason);
  ASSERT_TRUE(eight) << reason;
  EXPECT_EQ(Rows(eight, 4)[0], Bytes({9, 9, 9, 0}));
  EXPECT_EQ(Rows(eight, 4)[1], Bytes({8, 8, 8, 0}));  // a literal into the padding too
  const GlobalBlock four = BmpRleDecode(RleDib(3, 1, 4, {8, 0x12, 0, 1}), reason);
  ASSERT_TRUE(four) << reason;
  EXPECT_EQ(Rows(four, 4)[0], Bytes({0x12, 0x10, 0, 0}));
}

TEST(BmpRle, AnImageSizeOfZeroTakesEveryByteAfterTheTable) {
  const Bytes stream = {2, 4, 0, 1};
  std::string reason;
  const GlobalBlock decoded = BmpRleDecode(RleDib(2, 1, 8, stream, 0), reason);
  ASSERT_TRUE(decoded) << reason;
  EXPECT_EQ(Rows(decoded, 2)[0], Bytes({4, 4}));
}

TEST(BmpRle, HostileStreamsAreRefusedWithTheReason) {
  struct Case {
    const char* what;
    Bytes dib;
    const char* reason;  // a part of the reason
  };
  const Case cases[] = {
      {"run past the row", RleDib(4, 2, 8, {5, 1, 0, 1}), "run of 5 pixels at row 0, column 0 runs past the row's end (width 4, 4 with padding)"},
      {"second run past the row", RleDib(4, 2, 8, {3, 1, 2, 1, 0, 1}), "column 3 runs past"},
      {"literal past the row", RleDib(4, 2, 8, {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}), "literal of 5 pixels"},
      {"literal cut short", RleDib(8, 1, 8, {0, 6, 1, 2, 3}), "needs 6 bytes, 3 left"},
      {"odd literal without its pad", RleDib(8, 1, 8, {0, 3, 1, 2, 3}), "needs 4 bytes, 3 left"},
      {"delta beyond the top", RleDib(4, 2, 8, {0, 2, 0, 2, 0, 1}), "delta of 0 right, 2 up at row 0, column 0 leaves"},
      {"delta beyond the right", RleDib(4, 2, 8, {2, 1, 0, 2, 3, 0, 0, 1}), "delta of 3 right"},
      {"delta cut short", RleDib(4, 2, 8, {0, 2, 1}), "ends inside a delta"},
      {"no end mark", RleDib(2, 1, 8, {2, 1}), "ends before its end-of-bitmap mark"},
      {"empty stream", RleDib(2, 1, 8, {}, 0), "ends before its end-of-bitmap mark"},
      {"pixels after the last row", RleDib(2, 1, 8, {2, 1, 0, 0, 1, 1, 0, 1}), "run after the last row"},
      {"line end after the last row", RleDib(2, 1, 8, {0, 0, 0, 0, 0, 1}), "end-of-line mark after the last row"},
      {"four-bit run past the padding", RleDib(3, 1, 4, {9, 0x11, 0, 1}), "BI_RLE4 run of 9 pixels"},
      {"more data announced than there is", RleDib(2, 1, 8, {2, 1, 0, 1}, 400), "announces 400 bytes"},
      {"RLE8 with four bits", [] {
         Bytes dib = RleDib(2, 1, 4, {2, 1, 0, 1});
         testing::PutWord(dib, 16, BI_RLE8);
         return dib;
       }(), "BI_RLE8 needs 8 bits per pixel, the header says 4"},
      {"not run-length", [] {
         Bytes dib = RleDib(2, 1, 8, {2, 1, 0, 1});
         testing::PutWord(dib, 16, BI_RGB);
         return dib;
       }(), "not run-length compressed"},
      {"table cut", [] {
         Bytes dib = RleDib(2, 1, 8, {});
         dib.resize(50);
         return dib;
       }(), "inside the colour table"},
      {"no header", Bytes(20, 0), "no 40-byte information header"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string reason;
    EXPECT_FALSE(BmpRleDecode(c.dib, reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace ossen
