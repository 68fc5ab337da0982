#include "image/arle_codec.h"

#include <gtest/gtest.h>

#include "image/four_cc.h"
#include "image/memo_block.h"
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

// The token bytes ArleEncode writes for one row.
Bytes EncodeRow(const Bytes& row) {
  GlobalBlock arle = ArleEncode(MakeEightBitRows({row}));
  EXPECT_TRUE(arle);
  if (!arle) return {};
  const std::size_t start = kEightBitHeader + 4;
  return Bytes(arle.data() + start, arle.data() + arle.size());
}

Bytes Repeated(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

TEST(ArleEncode, WritesTheTokensOfTheWorkedRows) {
  EXPECT_EQ(EncodeRow({5, 5, 5, 5, 5, 1, 2, 3, 9, 9}), (Bytes{0x45, 5, 0x05, 1, 2, 3, 9, 9}));
  EXPECT_EQ(EncodeRow({1, 2, 3}), (Bytes{0x03, 1, 2, 3})) << "short row: one literal";
  EXPECT_EQ(EncodeRow({4}), (Bytes{0x01, 4}));
  EXPECT_EQ(EncodeRow(Repeated(640, 0x33)), (Bytes{0xC2, 0x80, 0x33}));
  EXPECT_EQ(EncodeRow(Repeated(63, 9)), (Bytes{0x7F, 9}));
  EXPECT_EQ(EncodeRow(Repeated(64, 9)), (Bytes{0xC0, 0x40, 9}));
  EXPECT_EQ(EncodeRow({1, 2, 7, 7, 7}), (Bytes{0x05, 1, 2, 7, 7, 7})) << "three equal at the end stay in the literal";
  EXPECT_EQ(EncodeRow({1, 2, 7, 7, 7, 7, 3, 4}), (Bytes{0x02, 1, 2, 0x44, 7, 0x02, 3, 4}))
      << "four equal in the middle end the literal";
}

TEST(ArleEncode, WritesTheRowTableTopRowFirst) {
  GlobalBlock arle = ArleEncode(MakeEightBitRows({{1, 1, 1, 1}, {2, 3, 4, 5}}));
  ASSERT_TRUE(arle);
  const Bytes data(arle.data() + kEightBitHeader, arle.data() + arle.size());
  EXPECT_EQ(data, (Bytes{8, 0, 0, 0, 10, 0, 0, 0, 0x44, 1, 0x04, 2, 3, 4, 5}));
  EXPECT_EQ(HeaderOf(arle.view()).compression, kCompressionArle);
  EXPECT_EQ(HeaderOf(arle.view()).imageSize, data.size());
}

TEST(ArleEncode, SplitsRunsAndLiteralsLongerThanOneToken) {
  std::mt19937 rng(21);
  Bytes noise(40000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng() % 3 == 0 ? 1 : rng());
  for (const Bytes& row : {Repeated(40000, 6), Repeated(16384, 6), Repeated(16386, 6), noise}) {
    const Bytes dib = MakeEightBitRows({row, row});
    GlobalBlock arle = ArleEncode(dib);
    ASSERT_TRUE(arle);
    GlobalBlock back = ArleDecode(arle.view());
    ASSERT_TRUE(back);
    EXPECT_EQ(ToBytes(back.view().subspan(40)), Bytes(dib.begin() + 40, dib.end())) << row.size();
  }
  EXPECT_EQ(EncodeRow(Repeated(16386, 6)), (Bytes{0xFF, 0xFF, 6, 0x03, 6, 6, 6}));
  EXPECT_EQ(EncodeRow(Repeated(16387, 6)), (Bytes{0xFF, 0xFF, 6, 0x44, 6}));
}

TEST(ArleCodec, RoundTripsRandomImagesOfEveryWidth) {
  std::mt19937 rng(22);
  for (int width = 1; width <= 70; ++width) {
    const Bytes dib = testing::MakeDib(width, 1 + width % 7, 8, BI_RGB, rng);
    GlobalBlock arle = ArleEncode(dib);
    ASSERT_TRUE(arle) << width;
    ASSERT_EQ(PackedDibTotalSize(arle.view()), arle.size());
    GlobalBlock back = ArleDecode(arle.view());
    ASSERT_TRUE(back) << width;
    Bytes expected = dib;
    PutWord(expected, 16, BI_RGB);
    ASSERT_EQ(ToBytes(back.view()), expected) << width;

    GlobalBlock prle = PrleEncode(dib);
    ASSERT_TRUE(prle) << width;
    ASSERT_EQ(HeaderOf(prle.view()).compression, kCompressionPrle);
    ASSERT_EQ(HeaderOf(prle.view()).imageSize, MemoPackedSize(prle.view().subspan(kEightBitHeader)));
    GlobalBlock viaPrle = PrleDecode(prle.view());
    ASSERT_TRUE(viaPrle) << width;
    ASSERT_EQ(ToBytes(viaPrle.view()), expected) << width;
  }
}

TEST(ArleCodec, PrleCarriesTheIdenticalArleData) {
  std::mt19937 rng(23);
  GlobalBlock arle = ArleEncode(testing::MakeDib(37, 9, 8, BI_RGB, rng));
  ASSERT_TRUE(arle);
  GlobalBlock prle = ArleToPrle(arle.view());
  ASSERT_TRUE(prle);
  GlobalBlock again = PrleToArle(prle.view());
  ASSERT_TRUE(again);
  EXPECT_EQ(ToBytes(again.view()), ToBytes(arle.view()));
}

TEST(ArleDecode, PaddingBytesComeOutZero) {
  GlobalBlock arle = ArleEncode(MakeEightBitRows({{9, 9, 9, 9, 9}}));
  ASSERT_TRUE(arle);
  GlobalBlock back = ArleDecode(arle.view());
  ASSERT_TRUE(back);
  EXPECT_EQ(Bytes(back.data() + kEightBitHeader, back.data() + back.size()), (Bytes{9, 9, 9, 9, 9, 0, 0, 0}));
  EXPECT_EQ(HeaderOf(back.view()).imageSize, 0u);
}

TEST(ArleCodec, RefusesOtherDepthsAndCodes) {
  std::mt19937 rng(24);
  EXPECT_FALSE(ArleEncode(testing::MakeDib(8, 2, 4, BI_RGB, rng)));
  EXPECT_FALSE(ArleEncode(testing::MakeDib(8, 2, 24, BI_RGB, rng)));
  EXPECT_FALSE(PrleEncode(testing::MakeDib(8, 2, 16, BI_BITFIELDS, rng)));
  const Bytes raw = testing::MakeDib(8, 2, 8, BI_RGB, rng);
  EXPECT_FALSE(ArleDecode(raw));
  EXPECT_FALSE(PrleDecode(raw));
  EXPECT_FALSE(ArleToPrle(raw));
  EXPECT_FALSE(PrleToArle(raw));
  GlobalBlock arle = ArleEncode(raw);
  ASSERT_TRUE(arle);
  EXPECT_FALSE(ArleEncode(arle.view()));
  EXPECT_FALSE(PrleDecode(arle.view()));
}

// One 8-pixel row whose ARLE data is given; the image size is the data's length.
Bytes ArleImage(const Bytes& data, std::size_t width = 8) {
  Bytes dib = MakeEightBitRows({Bytes(width, 0)});
  dib.resize(kEightBitHeader);
  dib.insert(dib.end(), data.begin(), data.end());
  PutWord(dib, 16, kCompressionArle);
  PutWord(dib, 20, static_cast<std::uint32_t>(data.size()));
  return dib;
}

TEST(ArleDecode, RefusesDamagedStreams) {
  ASSERT_TRUE(ArleDecode(ArleImage({4, 0, 0, 0, 0x48, 1})));
  const Bytes damaged[] = {
      {4, 0, 0, 0},                              // the row has no tokens
      {9, 0, 0, 0, 0x48, 1},                     // offset past the data
      {0xFF, 0xFF, 0xFF, 0xFF, 0x48, 1},         // offset far outside
      {4, 0, 0, 0, 0x49, 1},                     // run longer than the row
      {4, 0, 0, 0, 0xC0, 0x40, 1},               // long run longer than the row
      {4, 0, 0, 0, 0x09, 1, 2, 3, 4, 5, 6, 7, 8, 9},  // literal longer than the row
      {4, 0, 0, 0, 0x08, 1, 2, 3},               // literal past the data
      {4, 0, 0, 0, 0x44, 1, 0x44},               // run value missing
      {4, 0, 0, 0, 0x84},                        // long token's length byte missing
      {4, 0, 0, 0, 0x00, 0x00, 0x00},            // empty tokens until the data ends
      {4, 0, 0},                                 // row table cut short
  };
  for (const Bytes& data : damaged) EXPECT_FALSE(ArleDecode(ArleImage(data))) << ::testing::PrintToString(data);

  Bytes cut = ArleImage({4, 0, 0, 0, 0x48, 1});
  EXPECT_FALSE(ArleDecode(ByteView(cut.data(), cut.size() - 1))) << "image size beyond the bytes";
}

TEST(PrleDecode, RefusesAnInnerBlockThatDoesNotInflate) {
  std::mt19937 rng(25);
  GlobalBlock prle = PrleEncode(testing::MakeDib(20, 4, 8, BI_RGB, rng));
  ASSERT_TRUE(prle);
  Bytes damaged = ToBytes(prle.view());
  damaged[damaged.size() - 2] ^= 0x40;
  EXPECT_FALSE(PrleToArle(damaged));
  EXPECT_FALSE(PrleDecode(damaged));
  Bytes cut = ToBytes(prle.view());
  PutWord(cut, 20, HeaderOf(cut).imageSize - 1);
  EXPECT_FALSE(PrleDecode(cut)) << "block longer than the image's data";
}

}  // namespace
}  // namespace ossen
