#include "image/trle_codec.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "image/four_cc.h"
#include "image/packed_dib.h"
#include "image/test/test_images.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::HeaderOf;
using testing::MakeEightBitRows;
using testing::PutWord;
using testing::ToBytes;

constexpr std::size_t kEightBitHeader = 1064;

TrleRowEntry EntryOf(const GlobalBlock& trle, std::size_t headerSize, std::size_t row) {
  TrleRowEntry entry;
  std::memcpy(&entry, trle.data() + headerSize + 16 + 8 * row, sizeof entry);
  return entry;
}

TEST(TrleEncode, KeepsTheSpanBetweenTheOuterNonZeroPixels) {
  GlobalBlock trle = TrleEncode(MakeEightBitRows({{0, 0, 7, 0, 8, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 4}}));
  ASSERT_TRUE(trle);
  const TrleRowEntry first = EntryOf(trle, kEightBitHeader, 0);
  EXPECT_EQ(first.leading, 2);
  EXPECT_EQ(first.kept, 3);
  EXPECT_EQ(first.offset, 16u + 8 * 3) << "pixels follow the table";
  const TrleRowEntry empty = EntryOf(trle, kEightBitHeader, 1);
  EXPECT_EQ(empty.leading, 6);
  EXPECT_EQ(empty.kept, 0);
  const TrleRowEntry last = EntryOf(trle, kEightBitHeader, 2);
  EXPECT_EQ(last.leading, 5);
  EXPECT_EQ(last.kept, 1);
  EXPECT_EQ(last.offset, 16u + 8 * 3 + 3);

  const Bytes data(trle.data() + kEightBitHeader, trle.data() + trle.size());
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 16), Bytes(16, 0)) << "masks unset, code 0";
  EXPECT_EQ(Bytes(data.end() - 4, data.end()), (Bytes{7, 0, 8, 4}));
  EXPECT_EQ(HeaderOf(trle.view()).compression, kCompressionTrle);
  EXPECT_EQ(HeaderOf(trle.view()).imageSize, data.size());
}

TEST(TrleCodec, RoundTripsRandomEightBitImagesOfEveryWidth) {
  std::mt19937 rng(31);
  for (int width = 1; width <= 70; ++width) {
    const Bytes dib = testing::MakeDib(width, 1 + width % 6, 8, BI_RGB, rng);
    GlobalBlock trle = TrleEncode(dib);
    ASSERT_TRUE(trle) << width;
    ASSERT_EQ(PackedDibTotalSize(trle.view()), trle.size());
    GlobalBlock back = TrleDecode(trle.view());
    ASSERT_TRUE(back) << width;
    ASSERT_EQ(ToBytes(back.view()), dib) << width;
  }
}

// A TRLE image made by hand from raw rows at 16, 24 or 32 bits, the way a writer of such
// images would trim them.
Bytes TrimmedImage(const Bytes& dib, DWORD rowsCompression) {
  const BitmapInfoHeader header = HeaderOf(dib);
  const std::size_t headerSize = PackedDibHeaderSize(dib);
  const std::size_t pixelBytes = header.bitCount / 8;
  const std::size_t width = header.width, height = header.height;
  const std::size_t stride = (pixelBytes * width + 3) & ~std::size_t{3};
  Bytes out(dib.begin(), dib.begin() + 40);
  Bytes preamble(16 + 8 * height, 0);
  if (rowsCompression == BI_BITFIELDS) std::memcpy(preamble.data(), dib.data() + 40, 12);
  PutWord(preamble, 12, rowsCompression);
  Bytes kept;
  for (std::size_t r = 0; r < height; ++r) {
    const std::uint8_t* row = dib.data() + headerSize + (height - 1 - r) * stride;
    auto zero = [&](std::size_t x) { return std::all_of(row + x * pixelBytes, row + (x + 1) * pixelBytes, [](auto b) { return b == 0; }); };
    std::size_t leading = 0, last = width;
    while (leading < width && zero(leading)) ++leading;
    while (last > leading && zero(last - 1)) --last;
    const TrleRowEntry entry{static_cast<DWORD>(preamble.size() + kept.size()), static_cast<WORD>(leading),
                             static_cast<WORD>(last - leading)};
    std::memcpy(preamble.data() + 16 + 8 * r, &entry, 8);
    kept.insert(kept.end(), row + leading * pixelBytes, row + last * pixelBytes);
  }
  out.insert(out.end(), preamble.begin(), preamble.end());
  out.insert(out.end(), kept.begin(), kept.end());
  PutWord(out, 16, kCompressionTrle);
  PutWord(out, 20, static_cast<std::uint32_t>(preamble.size() + kept.size()));
  return out;
}

TEST(TrleDecode, ReadsDeeperImagesWithTheirMasks) {
  std::mt19937 rng(32);
  const struct {
    int bitCount;
    DWORD compression;
  } depths[] = {{16, BI_RGB}, {16, BI_BITFIELDS}, {24, BI_RGB}, {32, BI_RGB}, {32, BI_BITFIELDS}};
  for (const auto& depth : depths) {
    for (int width = 1; width <= 70; width += 3) {
      const Bytes dib = testing::MakeDib(width, 1 + width % 5, depth.bitCount, depth.compression, rng);
      GlobalBlock back = TrleDecode(TrimmedImage(dib, depth.compression));
      ASSERT_TRUE(back) << depth.bitCount << " bits, width " << width;
      ASSERT_EQ(ToBytes(back.view()), dib) << depth.bitCount << " bits, width " << width;
    }
  }
}

TEST(TrleDecode, SixteenBitGreenMaskChoosesFiveSixFive) {
  std::mt19937 rng(33);
  const Bytes trle = TrimmedImage(testing::MakeDib(9, 3, 16, BI_BITFIELDS, rng), BI_BITFIELDS);
  EXPECT_EQ(FormatCodeFromHeader(trle), kFormatRgb565) << "green mask 0x7E0 at byte 44";
  GlobalBlock back = TrleDecode(trle);
  ASSERT_TRUE(back);
  EXPECT_EQ(PackedDibHeaderSize(back.view()), 52u);
  EXPECT_EQ(FormatCodeFromHeader(back.view()), kFormatRgb565);
}

// One 8-pixel row given as TRLE table entry and pixel bytes.
Bytes TrleImage(const TrleRowEntry& entry, const Bytes& pixels, DWORD preambleCode = 0) {
  Bytes dib = MakeEightBitRows({Bytes(8, 0)});
  dib.resize(kEightBitHeader + 24);
  PutWord(dib, kEightBitHeader + 12, preambleCode);
  std::memcpy(dib.data() + kEightBitHeader + 16, &entry, 8);
  dib.insert(dib.end(), pixels.begin(), pixels.end());
  PutWord(dib, 16, kCompressionTrle);
  PutWord(dib, 20, static_cast<std::uint32_t>(24 + pixels.size()));
  return dib;
}

TEST(TrleDecode, RefusesDamagedTablesAndData) {
  GlobalBlock good = TrleDecode(TrleImage({24, 2, 3}, {1, 2, 3}));
  ASSERT_TRUE(good);
  EXPECT_EQ(Bytes(good.data() + kEightBitHeader, good.data() + good.size()), (Bytes{0, 0, 1, 2, 3, 0, 0, 0}));

  EXPECT_FALSE(TrleDecode(TrleImage({24, 6, 3}, {1, 2, 3}))) << "leading and kept beyond the width";
  EXPECT_FALSE(TrleDecode(TrleImage({24, 0, 0xFFFF}, {1, 2, 3}))) << "kept count beyond the width";
  EXPECT_FALSE(TrleDecode(TrleImage({25, 2, 3}, {1, 2, 3}))) << "pixels past the data";
  EXPECT_FALSE(TrleDecode(TrleImage({0xFFFFFFFF, 2, 3}, {1, 2, 3}))) << "offset far outside";
  EXPECT_FALSE(TrleDecode(TrleImage({24, 2, 3}, {1, 2, 3}, 7))) << "unknown code in the preamble";
  EXPECT_FALSE(TrleDecode(TrleImage({24, 2, 3}, {1, 2, 3}, BI_BITFIELDS))) << "bit fields at 8 bits";

  Bytes shortTable = TrleImage({24, 2, 3}, {1, 2, 3});
  PutWord(shortTable, 20, 20);
  EXPECT_FALSE(TrleDecode(shortTable)) << "table cut by the image size";
  const Bytes whole = TrleImage({24, 2, 3}, {1, 2, 3});
  EXPECT_FALSE(TrleDecode(ByteView(whole.data(), whole.size() - 1)));
}

TEST(TrleCodec, RefusesWhatItDoesNotTake) {
  std::mt19937 rng(34);
  EXPECT_FALSE(TrleEncode(testing::MakeDib(8, 2, 24, BI_RGB, rng)));
  EXPECT_FALSE(TrleEncode(testing::MakeDib(8, 2, 4, BI_RGB, rng)));
  EXPECT_FALSE(TrleDecode(testing::MakeDib(8, 2, 8, BI_RGB, rng)));
  Bytes fourBit = TrleImage({24, 2, 3}, {1, 2, 3});
  PutWord(fourBit, 12, 4 << 16 | 1);  // planes 1, 4 bits
  EXPECT_FALSE(TrleDecode(fourBit));

  // A 24-bit image with a colour table: the preamble would not be where the rows' header ends.
  Bytes withTable = TrimmedImage(testing::MakeDib(4, 2, 24, BI_RGB, rng), BI_RGB);
  PutWord(withTable, 32, 4);
  withTable.insert(withTable.begin() + 40, 16, 0);
  EXPECT_FALSE(TrleDecode(withTable));
}

}  // namespace
}  // namespace ossen
