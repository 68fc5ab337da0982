#include "image/memo_block.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

#include "image/test/test_images.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::PutWord;
using testing::ToBytes;

Bytes RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

// A block made by hand around a zlib stream at the given level.
Bytes HandMadeBlock(const Bytes& source, int level) {
  uLongf length = compressBound(source.size());
  Bytes block(12 + length);
  EXPECT_EQ(compress2(block.data() + 12, &length, source.data(), source.size(), level), Z_OK);
  block.resize(12 + length);
  PutWord(block, 0, kMemoMagic);
  PutWord(block, 4, static_cast<std::uint32_t>(block.size()));
  PutWord(block, 8, static_cast<std::uint32_t>(source.size()));
  return block;
}

TEST(MemoBlock, StoresMagicBothSizesAndADefaultLevelStream) {
  const Bytes source(5000, 'a');
  GlobalBlock block = MemoCompress(source);
  ASSERT_TRUE(block);
  const Bytes bytes = ToBytes(block.view());
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x4D, 0x45, 0x4D, 0x4F}));
  EXPECT_EQ(MemoPackedSize(block.view()), block.size());
  EXPECT_EQ(MemoUnpackedSize(block.view()), 5000u);
  EXPECT_EQ(bytes[12], 0x78);
  EXPECT_EQ(bytes[13], 0x9C);
}

TEST(MemoBlock, RoundTripsEmptyTextAndIncompressibleSources) {
  for (const Bytes& source : {Bytes{}, Bytes{'x'}, Bytes(1228800, 7), RandomBytes(70000, 3), RandomBytes(13, 4)}) {
    GlobalBlock block = MemoCompress(source);
    ASSERT_TRUE(block) << source.size();
    GlobalBlock back = MemoDecompress(block.view());
    ASSERT_TRUE(back) << source.size();
    EXPECT_EQ(back.size(), source.size());
    EXPECT_EQ(ToBytes(back.view()), source);
  }
}

TEST(MemoBlock, EmptySourceGivesTheMinimalStream) {
  GlobalBlock block = MemoCompress({});
  ASSERT_TRUE(block);
  EXPECT_EQ(block.size(), 12u + 8u);  // 78 9C, one empty final block, Adler-32 of nothing
  EXPECT_EQ(MemoUnpackedSize(block.view()), 0u);
}

TEST(MemoBlock, ReadsHighLevelStreamsAsShipped) {
  const Bytes source = RandomBytes(4096, 9);
  const Bytes block = HandMadeBlock(source, 9);
  EXPECT_EQ(block[12], 0x78);
  EXPECT_EQ(block[13], 0xDA);
  GlobalBlock back = MemoDecompress(block);
  ASSERT_TRUE(back);
  EXPECT_EQ(ToBytes(back.view()), source);
}

TEST(MemoBlock, ReversedMagicIsNotABlock) {
  Bytes block = HandMadeBlock(Bytes(100, 1), 6);
  std::memcpy(block.data(), "OMEM", 4);
  EXPECT_EQ(MemoPackedSize(block), 0u);
  EXPECT_EQ(MemoUnpackedSize(block), 0u);
  EXPECT_FALSE(MemoDecompress(block));
}

TEST(MemoBlock, RefusesSizesThatDoNotFitTheBytesHoldingTheBlock) {
  const Bytes good = HandMadeBlock(RandomBytes(300, 5), 6);
  ASSERT_TRUE(MemoDecompress(good));

  EXPECT_EQ(MemoPackedSize(ByteView(good.data(), 11)), 0u) << "a header cut short";
  for (std::uint32_t packed : {0u, 11u, static_cast<std::uint32_t>(good.size() + 1), 0xFFFFFFFFu}) {
    Bytes bad = good;
    PutWord(bad, 4, packed);
    EXPECT_FALSE(MemoDecompress(bad)) << "packed size " << packed;
  }
  // The same block cut off before its end.
  EXPECT_FALSE(MemoDecompress(ByteView(good.data(), good.size() - 1)));
}

TEST(MemoBlock, RefusesAnUnpackedSizeThatIsWrongOrAbsurd) {
  const Bytes good = HandMadeBlock(RandomBytes(300, 6), 6);
  for (std::uint32_t unpacked : {299u, 301u, 0u, 0x10000001u, 0xFFFFFFFFu}) {
    Bytes bad = good;
    PutWord(bad, 8, unpacked);
    EXPECT_FALSE(MemoDecompress(bad)) << "unpacked size " << unpacked;
  }
}

TEST(MemoBlock, RefusesADamagedStream) {
  Bytes bad = HandMadeBlock(RandomBytes(300, 8), 6);
  bad[bad.size() - 1] ^= 0x01;  // the Adler-32 trailer
  EXPECT_FALSE(MemoDecompress(bad));
  bad = HandMadeBlock(RandomBytes(300, 8), 6);
  bad[12] = 0x00;  // not a zlib header
  EXPECT_FALSE(MemoDecompress(bad));
}

TEST(MemoBlock, DecompressIntoWantsExactlyTheUnpackedSize) {
  const Bytes source = RandomBytes(64, 10);
  GlobalBlock block = MemoCompress(source);
  ASSERT_TRUE(block);
  Bytes out(65);
  EXPECT_FALSE(MemoDecompressInto(block.view(), std::span(out.data(), 65)));
  EXPECT_FALSE(MemoDecompressInto(block.view(), std::span(out.data(), 63)));
  ASSERT_TRUE(MemoDecompressInto(block.view(), std::span(out.data(), 64)));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 64), source);
}

TEST(GlobalBlockOwner, ReleaseHandsTheBlockOnAndMoveEmptiesTheSource) {
  GlobalBlock block = GlobalBlock::Allocate(0);
  EXPECT_TRUE(block) << "a zero-byte block is still a block";
  GlobalBlock zeroed = GlobalBlock::Allocate(16, true);
  ASSERT_TRUE(zeroed);
  EXPECT_EQ(ToBytes(zeroed.view()), Bytes(16, 0));
  GlobalBlock moved = std::move(zeroed);
  EXPECT_FALSE(zeroed);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
  EXPECT_EQ(moved.size(), 16u);
  std::uint8_t* raw = moved.Release();
  EXPECT_FALSE(moved);
  GlobalBlockFree(raw);
}

}  // namespace
}  // namespace ossen
