#include "image/word_copy.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace ossen {
namespace {

// Each length from 0 to 70 at each alignment of source and destination: the word-at-a-time
// copy and fill must give exactly what a byte loop gives and touch no byte beyond.
TEST(WordCopy, CopyAndFillMatchAByteLoopAtEveryLengthAndAlignment) {
  std::mt19937 rng(1);
  std::vector<std::uint8_t> source(96);
  for (auto& b : source) b = static_cast<std::uint8_t>(rng());
  for (std::size_t length = 0; length <= 70; ++length) {
    for (std::size_t dstAt = 0; dstAt < 4; ++dstAt) {
      for (std::size_t srcAt = 0; srcAt < 4; ++srcAt) {
        std::vector<std::uint8_t> fast(96, 0xEE), plain(96, 0xEE);
        CopyBytes(fast.data() + dstAt, source.data() + srcAt, length);
        for (std::size_t i = 0; i < length; ++i) plain[dstAt + i] = source[srcAt + i];
        ASSERT_EQ(fast, plain) << "copy length " << length << " at " << dstAt << "/" << srcAt;
      }
      std::vector<std::uint8_t> fast(96, 0xEE), plain(96, 0xEE);
      const auto value = static_cast<std::uint8_t>(0x80 + length);  // high bit set: no sign spill
      FillBytes(fast.data() + dstAt, value, length);
      for (std::size_t i = 0; i < length; ++i) plain[dstAt + i] = value;
      ASSERT_EQ(fast, plain) << "fill length " << length << " at " << dstAt;
    }
  }
}

}  // namespace
}  // namespace ossen
