// Fills at every depth, lines with their clipping, and the 16-bit tint.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "gfx/blit_engine.h"

namespace ossen {
namespace {

struct Pixels {
  std::vector<std::uint8_t> data;
  PixelBuffer view;
  Pixels(int width, int height, std::uint32_t format, std::uint8_t fill = 0) {
    const int bits = FormatBitsPerPixel(format) ? FormatBitsPerPixel(format) : 8;
    view.stride = ((static_cast<std::ptrdiff_t>(width) * bits + 31) / 32) * 4 + 1;  // odd: every alignment
    data.assign(static_cast<std::size_t>(view.stride * height), fill);
    view.bits = data.data();
    view.width = width;
    view.height = height;
    view.format = format;
  }
  std::uint32_t At(int x, int y) const { return GetPixelAt(view, x, y); }
  // Packed pixels, leftmost in the most significant bits.
  std::uint32_t PackedAt(int x, int y) const {
    const int bits = FormatBitsPerPixel(view.format);
    const std::uint8_t byte = data[static_cast<std::size_t>(y * view.stride + x * bits / 8)];
    return (byte >> (8 - bits - (x * bits) % 8)) & ((1u << bits) - 1);
  }
};

TEST(FillPixels, WritesExactlyTheRectangleAtEveryDepthAndAlignment) {
  for (const std::uint32_t format : {0x41000000u, 0x42000000u, 0x44000000u, kFormatIndexed8, kFormatRgb565, kFormatRgb888,
                                     kFormatXrgb8888}) {
    const int bits = FormatBitsPerPixel(format);
    const std::uint32_t value = bits >= 32 ? 0xDEADBEEF : 0xDEADBEEF & ((1u << bits) - 1);
    for (int x = 0; x < 9; ++x) {
      for (int w = 1; w <= 67; w += (w < 20 ? 1 : 7)) {
        Pixels p(80, 3, format, 0xA5);
        const Pixels before = p;
        ASSERT_EQ(0, FillPixels(p.view, x, 1, w, 1, value));
        for (int y = 0; y < 3; ++y)
          for (int i = 0; i < 80; ++i) {
            const bool inside = y == 1 && i >= x && i < x + w;
            const std::uint32_t got = bits < 8 ? p.PackedAt(i, y) : p.At(i, y);
            const std::uint32_t was = bits < 8 ? before.PackedAt(i, y) : before.At(i, y);
            ASSERT_EQ(inside ? value : was, got) << "bits " << bits << " x " << x << " w " << w << " at " << i;
          }
        // Bytes past the last pixel of the row keep their value.
        for (std::ptrdiff_t b = (80 * bits + 7) / 8; b < p.view.stride; ++b)
          ASSERT_EQ(0xA5, p.data[static_cast<std::size_t>(p.view.stride + b)]);
      }
    }
  }
}

TEST(FillPixels, ThirtyTwoBitFillAtThreeStartsAtByteTwelve) {
  Pixels p(8, 1, kFormatXrgb8888);
  ASSERT_EQ(0, FillPixels(p.view, 3, 0, 1, 1, 0x11223344));
  EXPECT_EQ(0x44, p.data[12]);
  EXPECT_EQ(0x11, p.data[15]);
  EXPECT_EQ(0, p.data[11]);
  EXPECT_EQ(0, p.data[16]);
}

TEST(FillPixels, ClipsToTheBufferAndTheClipRectangle) {
  Pixels p(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, FillPixels(p.view, 20, 0, 5, 5, 1));
  EXPECT_EQ(0, FillPixels(p.view, 0, 0, -5, 5, 1));
  EXPECT_EQ(std::vector<std::uint8_t>(p.data.size(), 0), p.data);
  EXPECT_EQ(0, FillPixels(p.view, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1));  // ends at -1
  EXPECT_EQ(0, FillPixels(p.view, -5, 8, INT_MAX, INT_MAX, 2));
  EXPECT_EQ(2u, p.At(0, 8));
  EXPECT_EQ(2u, p.At(9, 9));
  EXPECT_EQ(0u, p.At(9, 7));
  const PixelRect clip{2, 2, 3, 3};
  EXPECT_EQ(0, FillPixels(p.view, 0, 0, 10, 10, 7, &clip));
  int sevens = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) sevens += p.At(x, y) == 7;
  EXPECT_EQ(9, sevens);
  EXPECT_EQ(7u, p.At(4, 4));
  Pixels empty(4, 4, 0);
  EXPECT_EQ(3, FillPixels(empty.view, 0, 0, 1, 1, 1));
}

std::vector<std::pair<int, int>> SetPoints(const Pixels& p) {
  std::vector<std::pair<int, int>> points;
  for (int y = 0; y < p.view.height; ++y)
    for (int x = 0; x < p.view.width; ++x)
      if (p.At(x, y) != 0) points.emplace_back(x, y);
  return points;
}

using Points = std::vector<std::pair<int, int>>;

TEST(DrawLine, SetsEveryPointButTheLast) {
  Pixels p(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, DrawLine(p.view, 5, 5, 5, 5, 1));
  EXPECT_TRUE(SetPoints(p).empty());
  EXPECT_EQ(0, DrawLine(p.view, 0, 0, 3, 0, 1));
  EXPECT_EQ((Points{{0, 0}, {1, 0}, {2, 0}}), SetPoints(p));
  Pixels q(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, DrawLine(q.view, 4, 4, 0, 2, 1));  // leftward, minor steps when the sum exceeds 4
  EXPECT_EQ((Points{{1, 3}, {2, 4}, {3, 4}, {4, 4}}), SetPoints(q));  // (4,4) (3,4) (2,4) (1,3)
}

TEST(DrawLine, ClipsWithCohenSutherland) {
  Pixels p(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, DrawLine(p.view, -5, 2, 20, 2, 1));  // clipped to (0,2)-(9,2), whose last point is not set
  Points expected;
  for (int x = 0; x < 9; ++x) expected.emplace_back(x, 2);
  EXPECT_EQ(expected, SetPoints(p));

  Pixels q(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, DrawLine(q.view, 3, 20, 3, -5, 1));  // below end moved to row 9, above end to row 0
  Points vertical;
  for (int y = 1; y <= 9; ++y) vertical.emplace_back(3, y);
  EXPECT_EQ(vertical, SetPoints(q));

  Pixels r(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, DrawLine(r.view, -5, -5, -1, 20, 1));  // both left: rejected
  EXPECT_EQ(0, DrawLine(r.view, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1));  // no overflow
  // A diagonal steps its minor axis only when the sum exceeds the major extent: one behind.
  for (const auto& [x, y] : SetPoints(r)) EXPECT_TRUE(y == x || y == x - 1) << x << "," << y;
  EXPECT_EQ(9u, SetPoints(r).size());
  const PixelRect clip{2, 2, 4, 4};
  Pixels s(10, 10, kFormatIndexed8);
  EXPECT_EQ(0, DrawLine(s.view, 0, 3, 10, 3, 1, &clip));
  EXPECT_EQ((Points{{2, 3}, {3, 3}, {4, 3}}), SetPoints(s));
}

TEST(DrawLine, DrawsEightToThirtyTwoBitsOnly) {
  for (const std::uint32_t format : {kFormatRgb555, kFormatRgb888, kFormatXrgb8888}) {
    Pixels p(5, 2, format);
    ASSERT_EQ(0, DrawLine(p.view, 0, 1, 4, 1, 0xAABBCCDD));
    const std::uint32_t whole = FormatBytesPerPixel(format) == 4 ? 0xFFFFFFFF : (1u << (8 * FormatBytesPerPixel(format))) - 1;
    for (int x = 0; x < 4; ++x) EXPECT_EQ(0xAABBCCDD & whole, p.At(x, 1));
    EXPECT_EQ(0u, p.At(0, 0));
  }
  Pixels packed(8, 2, 0x44000000);
  EXPECT_EQ(0, DrawLine(packed.view, 0, 0, 8, 0, 0xF));
  EXPECT_EQ(std::vector<std::uint8_t>(packed.data.size(), 0), packed.data);
}

TEST(TintPixels, BlendsSixteenBitPixelsTowardTheColour) {
  // Plain: per 5-bit channel ((w >> 3) p + ((256 - w) >> 3) c) >> 5.
  Pixels p(20, 2, kFormatRgb555);
  for (int x = 0; x < 20; ++x) SetPixelAt(p.view, x, 0, 0x7FFF);
  ASSERT_EQ(0, TintPixels(p.view, -3, 0, 10, 1, 1, 0x0000, 64, false));
  const std::uint32_t plain = (8 * 31 >> 5) * 0x421;  // (8 x 31 + 24 x 0) >> 5 = 7 per channel
  for (int x = 0; x < 7; ++x) EXPECT_EQ(plain, p.At(x, 0)) << x;
  EXPECT_EQ(0x7FFFu, p.At(7, 0));
  EXPECT_EQ(0u, p.At(0, 1));

  // MMX: per channel (p w + c (256 - w)) >> 8 at the channel's width, any alignment.
  for (const std::uint32_t format : {kFormatRgb555, kFormatRgb565}) {
    Pixels q(40, 1, format);
    for (int x = 0; x < 40; ++x) SetPixelAt(q.view, x, 0, 0xFFFF);
    ASSERT_EQ(0, TintPixels(q.view, 1, 0, 38, 1, 1, 0x0000, 200, true));
    const std::uint32_t expected = format == kFormatRgb565 ? ((31 * 200 >> 8) << 11) | ((63 * 200 >> 8) << 5) | (31 * 200 >> 8)
                                                           : ((31 * 200 >> 8) * 0x421);
    for (int x = 1; x < 39; ++x) ASSERT_EQ(expected, q.At(x, 0)) << x;
    EXPECT_EQ(0xFFFFu, q.At(0, 0));
    EXPECT_EQ(0xFFFFu, q.At(39, 0));
  }
}

TEST(TintPixels, OnlyModeOneOnSixteenBitsDoesAnything) {
  Pixels eight(8, 8, kFormatIndexed8, 3), sixteen(8, 8, kFormatRgb565, 3);
  const auto eightBefore = eight.data, sixteenBefore = sixteen.data;
  EXPECT_EQ(0, TintPixels(eight.view, 0, 0, 8, 8, 1, 0, 128, false));
  EXPECT_EQ(0, TintPixels(sixteen.view, 0, 0, 8, 8, 2, 0, 128, false));
  EXPECT_EQ(eightBefore, eight.data);
  EXPECT_EQ(sixteenBefore, sixteen.data);
  // Weights outside 1..255 are clamped.
  Pixels zero(4, 1, kFormatRgb565, 0xFF), one(4, 1, kFormatRgb565, 0xFF);
  TintPixels(zero.view, 0, 0, 4, 1, 1, 0x1234, 0, false);
  TintPixels(one.view, 0, 0, 4, 1, 1, 0x1234, 1, false);
  EXPECT_EQ(one.data, zero.data);
}

}  // namespace
}  // namespace ossen
