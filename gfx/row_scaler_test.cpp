#include "gfx/row_scaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ossen {
namespace {

// Every pair of widths gives the pixel the definition names, reads only the source row
// (a vector of exactly its size, which the sanitizer build watches) and writes exactly the
// target row (a guard byte after it stays).
TEST(RowScaler8, PicksTheDefinedSourcePixelForEveryPairOfWidths) {
  const int widths[] = {1, 3, 15, 16, 17, 31, 320, 800, 1000, 1023, 1024, 1025, 1366, 1920, 2560, 3840, 5120};
  for (int sourceWidth : widths) {
    std::vector<std::uint8_t> source(static_cast<std::size_t>(sourceWidth));
    for (int x = 0; x < sourceWidth; ++x) source[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(x * 29 + 5);
    for (int targetWidth : widths) {
      const RowScaler8 scaler(sourceWidth, targetWidth);
      std::vector<std::uint8_t> target(static_cast<std::size_t>(targetWidth) + 1, 0xA5);
      scaler.Scale(source.data(), target.data());
      for (int x = 0; x < targetWidth; ++x) {
        const auto from = static_cast<std::size_t>(std::int64_t{x} * sourceWidth / targetWidth);
        ASSERT_EQ(target[static_cast<std::size_t>(x)], source[from]) << sourceWidth << " to " << targetWidth << " at " << x;
      }
      EXPECT_EQ(target.back(), 0xA5) << sourceWidth << " to " << targetWidth;
    }
  }
}

}  // namespace
}  // namespace ossen
