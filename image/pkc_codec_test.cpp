#include "image/pkc_codec.h"

#include <gtest/gtest.h>

#include "image/four_cc.h"
#include "image/memo_block.h"
#include "image/packed_dib.h"
#include "image/test/test_images.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::HeaderOf;
using testing::PutWord;
using testing::ToBytes;

struct Depth {
  int bitCount;
  DWORD compression;
  DWORD stored;
};

TEST(PkcCodec, RoundTripsEveryDepthAndWidth) {
  const Depth depths[] = {{1, BI_RGB, kCompressionPkc1},        {2, BI_RGB, kCompressionPkc1},
                          {4, BI_RGB, kCompressionPkc1},        {8, BI_RGB, kCompressionPkc1},
                          {16, BI_RGB, kCompressionPkc1},       {16, BI_BITFIELDS, kCompressionPkc2},
                          {24, BI_RGB, kCompressionPkc1},       {32, BI_RGB, kCompressionPkc1},
                          {32, BI_BITFIELDS, kCompressionPkc2}};
  std::mt19937 rng(11);
  for (const Depth& depth : depths) {
    for (int width = 1; width <= 70; ++width) {
      const Bytes dib = testing::MakeDib(width, 1 + width % 5, depth.bitCount, depth.compression, rng);
      GlobalBlock packed = PkcCompress(dib);
      ASSERT_TRUE(packed) << depth.bitCount << " bits, width " << width;
      const BitmapInfoHeader header = HeaderOf(packed.view());
      ASSERT_EQ(header.compression, depth.stored);
      const DWORD headerSize = PackedDibHeaderSize(packed.view());
      ASSERT_EQ(header.imageSize, MemoPackedSize(packed.view().subspan(headerSize)));
      ASSERT_EQ(PackedDibTotalSize(packed.view()), packed.size());

      GlobalBlock restored = PkcDecompress(packed.view());
      ASSERT_TRUE(restored) << depth.bitCount << " bits, width " << width;
      ASSERT_EQ(ToBytes(restored.view()), dib) << depth.bitCount << " bits, width " << width;
    }
  }
}

TEST(PkcCodec, BitFieldsKeepTheirMasksInA52ByteHeader) {
  std::mt19937 rng(12);
  const Bytes dib = testing::MakeDib(10, 4, 16, BI_BITFIELDS, rng);
  GlobalBlock packed = PkcCompress(dib);
  ASSERT_TRUE(packed);
  EXPECT_EQ(PackedDibHeaderSize(packed.view()), 52u);
  EXPECT_EQ(FormatCodeFromHeader(packed.view()), kFormatRgb565);
  EXPECT_EQ(Bytes(packed.data() + 40, packed.data() + 52), Bytes(dib.begin() + 40, dib.begin() + 52));
  GlobalBlock restored = PkcDecompress(packed.view());
  ASSERT_TRUE(restored);
  EXPECT_EQ(HeaderOf(restored.view()).compression, BI_BITFIELDS);
  EXPECT_EQ(HeaderOf(restored.view()).imageSize, 0u);
}

TEST(PkcCodec, RefusesWhatItDoesNotTake) {
  std::mt19937 rng(13);
  Bytes dib = testing::MakeDib(8, 8, 8, BI_RGB, rng);
  EXPECT_FALSE(PkcDecompress(dib)) << "not compressed";
  GlobalBlock packed = PkcCompress(dib);
  ASSERT_TRUE(packed);
  EXPECT_FALSE(PkcCompress(packed.view())) << "already compressed";

  Bytes arle = dib;
  PutWord(arle, 16, kCompressionArle);
  PutWord(arle, 20, 64);
  EXPECT_FALSE(PkcCompress(arle));
  EXPECT_FALSE(PkcDecompress(arle));

  Bytes wrongSize = ToBytes(packed.view());
  PutWord(wrongSize, 0, 108);
  EXPECT_FALSE(PkcDecompress(wrongSize));
  EXPECT_FALSE(PkcCompress(ByteView(dib.data(), dib.size() - 1))) << "rows cut short";
}

TEST(PkcCodec, RefusesABlockThatDoesNotHoldTheRows) {
  std::mt19937 rng(14);
  const Bytes dib = testing::MakeDib(16, 16, 8, BI_RGB, rng);
  const Bytes packed = ToBytes(PkcCompress(dib).view());

  EXPECT_FALSE(PkcDecompress(ByteView(packed.data(), packed.size() - 1))) << "block cut short";
  Bytes shortImageSize = packed;
  PutWord(shortImageSize, 20, HeaderOf(packed).imageSize - 1);
  EXPECT_FALSE(PkcDecompress(shortImageSize)) << "the block reaches past the image's data";

  // A well-formed block with fewer bytes than 16 rows of 16.
  GlobalBlock small = MemoCompress(Bytes(16 * 15, 1));
  Bytes fewRows(1064 + small.size());
  std::memcpy(fewRows.data(), packed.data(), 1064);
  std::memcpy(fewRows.data() + 1064, small.data(), small.size());
  PutWord(fewRows, 20, static_cast<std::uint32_t>(small.size()));
  EXPECT_FALSE(PkcDecompress(fewRows));
}

TEST(PkcCodec, LargePageImageDecodesToItsFullSize) {
  std::mt19937 rng(15);
  const Bytes dib = testing::MakeDib(640, 1920, 8, BI_RGB, rng);
  GlobalBlock packed = PkcCompress(dib);
  ASSERT_TRUE(packed);
  EXPECT_EQ(MemoUnpackedSize(packed.view().subspan(1064)), 1228800u);
  GlobalBlock restored = PkcDecompress(packed.view());
  ASSERT_TRUE(restored);
  EXPECT_EQ(restored.size(), 1064u + 1228800u);
  EXPECT_EQ(Bytes(restored.data() + 40, restored.data() + 1064), Bytes(dib.begin() + 40, dib.begin() + 1064));
}

}  // namespace
}  // namespace ossen
