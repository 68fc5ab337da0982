// Clipping, dispatch and result codes of the blit engine, and its pixel helpers.
#include "gfx/blit_engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "gfx/blit_kernels.h"
#include "gfx/blit_tables.h"

namespace ossen {
namespace {

// Pixel memory with a view; pixel (x, y) of an 8-bit buffer starts as its own pattern.
struct Pixels {
  std::vector<std::uint8_t> data;
  PixelBuffer view;
  Pixels(int width, int height, std::uint32_t format) {
    const int bytes = FormatBytesPerPixel(format) ? FormatBytesPerPixel(format) : 1;
    view.stride = (static_cast<std::ptrdiff_t>(width) * bytes + 3) & ~3;
    data.assign(static_cast<std::size_t>(view.stride * height), 0);
    view.bits = data.data();
    view.width = width;
    view.height = height;
    view.format = format;
  }
  Pixels(const Pixels& other) : data(other.data), view(other.view) { view.bits = data.data(); }
  Pixels& operator=(const Pixels& other) {
    data = other.data;
    view = other.view;
    view.bits = data.data();
    return *this;
  }
  std::uint32_t At(int x, int y) const { return GetPixelAt(view, x, y); }
  void Put(int x, int y, std::uint32_t v) { SetPixelAt(view, x, y, v); }
  void Pattern() {
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x) Put(x, y, static_cast<std::uint32_t>(x + 7 * y) * 0x01030507u);
  }
};

TEST(BlitClip, CutsTheTargetAndScalesTheCutIntoTheSource) {
  BlitRects r{-10, -10, 20, 20, 0, 0, 20, 20};
  ASSERT_EQ(0, BlitClip(100, 100, 50, 50, 0, nullptr, r));
  EXPECT_EQ((std::vector<int>{0, 0, 10, 10, 10, 10, 10, 10}),
            (std::vector<int>{r.dx, r.dy, r.dw, r.dh, r.sx, r.sy, r.sw, r.sh}));

  // Mirrored and flipped, the cut at the target's top left removes source columns and
  // rows at the right and bottom: the visible part shows what the whole blit shows there.
  r = {-10, -10, 20, 20, 0, 0, 20, 20};
  ASSERT_EQ(0, BlitClip(100, 100, 50, 50, kBlitMirror | kBlitFlip, nullptr, r));
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), (std::vector<int>{r.dx, r.dy, r.sx, r.sy}));
  EXPECT_EQ(10, r.sw);

  r = {95, 0, 10, 1, 0, 0, 10, 1};  // cut at the right edge
  ASSERT_EQ(0, BlitClip(100, 100, 50, 50, kBlitMirror, nullptr, r));
  EXPECT_EQ(5, r.sx);
  EXPECT_EQ(5, r.sw);
}

TEST(BlitClip, ReportsInvalidAndInvisibleRectangles) {
  BlitRects r{0, 0, 10, 10, -11, 0, 10, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, 0, nullptr, r));  // sx + sw < 0
  r = {0, 0, 10, 10, 51, 0, 10, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, 0, nullptr, r));  // sx > width
  r = {0, 0, 10, 10, 45, 0, 10, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, 0, nullptr, r));  // past the source after clipping
  r = {0, 0, 10, 10, 0, 0, -5, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, 0, nullptr, r));  // negative source size
  for (BlitRects invisible : {BlitRects{100, 0, 10, 10, 0, 0, 10, 10}, BlitRects{-10, 0, 10, 10, 0, 0, 10, 10},
                              BlitRects{0, 0, 0, 10, 0, 0, 10, 10}, BlitRects{0, 0, -4, 10, 0, 0, 10, 10}}) {
    EXPECT_EQ(0, BlitClip(100, 100, 50, 50, 0, nullptr, invisible));
    EXPECT_EQ(0, invisible.dw);
  }
  // Sizes whose products overflow 32 bits are handled in 64 bits and refused.
  r = {-1000000, 0, INT_MAX, 10, 0, 0, INT_MAX, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, 0, nullptr, r));
  r = {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX};
  EXPECT_EQ(0, BlitClip(100, 100, 50, 50, 0, nullptr, r));  // ends at -1: invisible
  EXPECT_EQ(0, r.dw);
  r = {0, 0, INT_MAX, 10, 0, 0, 50, 10};  // a huge stretch: one source column visible
  EXPECT_EQ(0, BlitClip(100, 100, 50, 50, 0, nullptr, r));
  EXPECT_EQ((std::vector<int>{100, 0, 1}), (std::vector<int>{r.dw, r.sx, r.sw}));
}

TEST(BlitClip, NoClipFlagStillKeepsBlitsInsideTheBuffers) {
  BlitRects r{-1, 0, 10, 10, 0, 0, 10, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, kBlitNoClip, nullptr, r));
  r = {0, 0, 10, 10, 45, 0, 10, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, kBlitNoClip, nullptr, r));
  r = {90, 90, 10, 10, 40, 40, 10, 10};
  EXPECT_EQ(0, BlitClip(100, 100, 50, 50, kBlitNoClip, nullptr, r));
  EXPECT_EQ(90, r.dx);
  EXPECT_EQ(10, r.dw);
  // A zero-wide scaled source still reads its first column, which must exist.
  r = {0, 0, 10, 10, 50, 0, 0, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, kBlitNoClip, nullptr, r));
  r = {0, 0, 10, 10, 50, 0, 0, 10};
  EXPECT_EQ(2, BlitClip(100, 100, 50, 50, 0, nullptr, r));
}

TEST(BlitPixels, DrawsTheLowerRightOfAClippedSource) {
  for (const bool mmx : {false, true}) {
    Pixels source(20, 20, kFormatIndexed8), target(30, 30, kFormatIndexed8);
    source.Pattern();
    ASSERT_EQ(0, BlitPixels(target.view, -10, -10, 20, 20, source.view, 0, 0, 20, 20, 0, 255, nullptr, mmx));
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(x < 10 && y < 10 ? source.At(x + 10, y + 10) : 0u, target.At(x, y)) << x << "," << y;
  }
}

TEST(BlitPixels, MirroredClippedBlitShowsWhatTheWholeBlitShowsThere) {
  Pixels source(40, 8, kFormatIndexed8), whole(80, 8, kFormatIndexed8), cut(40, 8, kFormatIndexed8);
  source.Pattern();
  for (const std::uint32_t flags : {std::uint32_t{kBlitMirror}, kBlitMirror | kBlitFlip}) {
    // Same size and scaled: the whole blit at x = 10 on a wide target, the cut one at
    // x = 10 on a target that ends at 40.
    for (const int dw : {40, 60}) {
      ASSERT_EQ(0, BlitPixels(whole.view, 10, 0, dw, 8, source.view, 0, 0, 40, 8, flags, 255, nullptr, false));
      ASSERT_EQ(0, BlitPixels(cut.view, 10, 0, dw, 8, source.view, 0, 0, 40, 8, flags, 255, nullptr, false));
      for (int y = 0; y < 8; ++y)
        for (int x = 10; x < 40; ++x) ASSERT_EQ(whole.At(x, y), cut.At(x, y)) << dw << ": " << x << "," << y;
    }
  }
  // Cut at the target's top by flip: rows seen are those of the whole flipped blit.
  Pixels tall(10, 20, kFormatIndexed8), wholeTall(10, 40, kFormatIndexed8), cutTall(10, 20, kFormatIndexed8);
  tall.Pattern();
  ASSERT_EQ(0, BlitPixels(wholeTall.view, 0, 10, 10, 20, tall.view, 0, 0, 10, 20, kBlitFlip, 255, nullptr, false));
  ASSERT_EQ(0, BlitPixels(cutTall.view, 0, -10, 10, 20, tall.view, 0, 0, 10, 20, kBlitFlip, 255, nullptr, false));
  for (int y = 0; y < 10; ++y) ASSERT_EQ(wholeTall.At(3, y + 20), cutTall.At(3, y)) << y;
}

TEST(BlitPixels, ScalingRepeatsAndSkipsColumnsByTheAccumulator) {
  Pixels wide(640, 2, kFormatIndexed8), big(1024, 2, kFormatIndexed8);
  for (int x = 0; x < 640; ++x) wide.Put(x, 0, static_cast<std::uint32_t>(x & 0xFF));
  ASSERT_EQ(0, BlitPixels(big.view, 0, 0, 1024, 1, wide.view, 0, 0, 640, 1, 0, 255, nullptr, false));
  EXPECT_EQ(0u, big.At(0, 0));
  EXPECT_EQ(0u, big.At(1, 0));
  EXPECT_EQ(1u, big.At(2, 0));
  for (int x = 0; x < 1024; ++x) ASSERT_EQ(static_cast<std::uint32_t>((x * 640 / 1024) & 0xFF), big.At(x, 0));

  Pixels picture(1024, 768, kFormatRgb565), small(320, 400, kFormatRgb565);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) picture.Put(x, y, static_cast<std::uint32_t>(x * 64 + y));
  for (const bool mmx : {false, true}) {
    ASSERT_EQ(0, BlitPixels(small.view, 0, 0, 320, 400, picture.view, 0, 0, 1024, 768, 0, 255, nullptr, mmx));
    for (int y = 0; y < 400; y += 7)
      for (int x = 0; x < 320; x += 3)
        ASSERT_EQ((static_cast<std::uint32_t>(x * 1024 / 320 * 64 + y * 768 / 400)) & 0xFFFF, small.At(x, y));
  }
}

TEST(BlitPixels, SixteenBitCopyAtAnOddColumnCopiesEveryPixel) {
  for (const bool mmx : {false, true}) {
    Pixels source(8, 1, kFormatRgb555), target(8, 1, kFormatRgb555);
    for (int x = 0; x < 8; ++x) source.Put(x, 0, 0x1000u + static_cast<std::uint32_t>(x));
    ASSERT_EQ(0, BlitPixels(target.view, 1, 0, 5, 1, source.view, 1, 0, 5, 1, 0, 255, nullptr, mmx));
    EXPECT_EQ(0u, target.At(0, 0));
    for (int x = 1; x <= 5; ++x) EXPECT_EQ(0x1000u + x, target.At(x, 0));
    EXPECT_EQ(0u, target.At(6, 0));
  }
}

TEST(BlitPixels, KeysWorkAlikeAtEveryDepth) {
  for (const std::uint32_t format : {kFormatIndexed8, kFormatRgb565, kFormatRgb888, kFormatXrgb8888}) {
    for (const bool mmx : {false, true}) {
      const std::uint32_t sourceKey = 0x00A1B2C3, destKey = 0x00445566;
      const std::uint32_t whole = FormatBytesPerPixel(format) == 4 ? 0xFFFFFFFFu
                                                                     : (1u << (8 * FormatBytesPerPixel(format))) - 1;
      Pixels source(16, 4, format), target(16, 4, format);
      source.view.sourceKey = sourceKey;
      target.view.destKey = destKey;
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
          source.Put(x, y, (x + y) % 3 == 0 ? sourceKey : static_cast<std::uint32_t>(x * 16 + y + 1));
          target.Put(x, y, (x * y) % 2 == 0 ? destKey : 0x7u);
        }
      const Pixels before = target;
      // Destination key only: exactly the keyed target pixels change, source read left to
      // right whatever the height.
      ASSERT_EQ(0, BlitPixels(target.view, 0, 0, 16, 4, source.view, 0, 0, 16, 4, kBlitDestKey, 255, nullptr, mmx));
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x)
          ASSERT_EQ(before.At(x, y) == (destKey & whole) ? source.At(x, y) : before.At(x, y), target.At(x, y));
      target = before;
      ASSERT_EQ(0, BlitPixels(target.view, 0, 0, 16, 4, source.view, 0, 0, 16, 4, kBlitSourceKey | kBlitDestKey, 255,
                              nullptr, mmx));
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
          const bool writes = source.At(x, y) != (sourceKey & whole) && before.At(x, y) == (destKey & whole);
          ASSERT_EQ(writes ? source.At(x, y) : before.At(x, y), target.At(x, y)) << format << " " << x << "," << y;
        }
    }
  }
}

TEST(BlitPixels, LevelHalfCoversThresholdsUpToThirtyTwoWhateverTheSource) {
  for (const bool mmx : {false, true}) {
    for (const int sourceX : {0, 3}) {
      Pixels source(24, 16, kFormatIndexed8), target(16, 16, kFormatIndexed8);
      for (auto& b : source.data) b = 9;
      ASSERT_EQ(0, BlitPixels(target.view, 0, 0, 16, 16, source.view, sourceX, 0, 16, 16, kBlitLevelBlend, 128,
                              nullptr, mmx));
      int covered = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
          covered += target.At(x, y) == 9;
          ASSERT_EQ(DitherThreshold(x, y) <= 32, target.At(x, y) == 9);
        }
      EXPECT_EQ(128, covered);
    }
  }
}

TEST(BlitPixels, LevelsOutsideTheRangeAreClamped) {
  Pixels source(4, 1, kFormatRgb555), atZero(4, 1, kFormatRgb555), atOne(4, 1, kFormatRgb555);
  Pixels atHigh(4, 1, kFormatRgb555), at255(4, 1, kFormatRgb555);
  for (int x = 0; x < 4; ++x) source.Put(x, 0, 0x7FFF);
  for (const bool mmx : {false, true}) {
    BlitPixels(atZero.view, 0, 0, 4, 1, source.view, 0, 0, 4, 1, kBlitLevelBlend, 0, nullptr, mmx);
    BlitPixels(atOne.view, 0, 0, 4, 1, source.view, 0, 0, 4, 1, kBlitLevelBlend, 1, nullptr, mmx);
    BlitPixels(atHigh.view, 0, 0, 4, 1, source.view, 0, 0, 4, 1, kBlitLevelBlend, 100000, nullptr, mmx);
    BlitPixels(at255.view, 0, 0, 4, 1, source.view, 0, 0, 4, 1, kBlitLevelBlend, 255, nullptr, mmx);
    EXPECT_EQ(atOne.data, atZero.data);
    EXPECT_EQ(at255.data, atHigh.data);
  }
}

TEST(BlitPixels, MaskMustBeAnEightBitIndexedViewCoveringTheSource) {
  Pixels source(8, 8, kFormatRgb555), target(8, 8, kFormatRgb555), wrongMask(8, 8, kFormatRgb555);
  Pixels smallMask(4, 8, kFormatIndexed8), goodMask(8, 8, kFormatIndexed8);
  for (auto& b : source.data) b = 0x11;
  for (auto& b : wrongMask.data) b = 0xFF;
  for (auto& b : smallMask.data) b = 0xFF;
  for (auto& b : goodMask.data) b = 0xFF;
  const std::vector<std::uint8_t> blank = target.data;
  EXPECT_EQ(0, BlitPixels(target.view, 0, 0, 8, 8, source.view, 0, 0, 8, 8, kBlitMaskBlend, 0, &wrongMask.view, false));
  EXPECT_EQ(0, BlitPixels(target.view, 0, 0, 8, 8, source.view, 0, 0, 8, 8, kBlitMaskBlend, 0, nullptr, false));
  EXPECT_EQ(0, BlitPixels(target.view, 0, 0, 8, 8, source.view, 0, 0, 8, 8, kBlitMaskBlend, 0, &smallMask.view, true));
  EXPECT_EQ(blank, target.data);
  EXPECT_EQ(0, BlitPixels(target.view, 0, 0, 8, 8, source.view, 0, 0, 8, 8, kBlitMaskBlend, 0, &goodMask.view, true));
  EXPECT_EQ(source.data, target.data);
}

TEST(BlitPixels, ResultCodesAndRefusals) {
  Pixels source(8, 8, kFormatIndexed8), target(8, 8, kFormatIndexed8), deep(8, 8, kFormatXrgb8888);
  Pixels empty(8, 8, 0), packed(16, 8, 0x44000000);
  EXPECT_EQ(3, BlitPixels(empty.view, 0, 0, 4, 4, source.view, 0, 0, 4, 4, 0, 255, nullptr, false));
  EXPECT_EQ(3, BlitPixels(target.view, 0, 0, 4, 4, empty.view, 0, 0, 4, 4, 0, 255, nullptr, false));
  EXPECT_EQ(2, BlitPixels(target.view, 0, 0, 4, 4, source.view, 9, 0, 4, 4, 0, 255, nullptr, false));
  // A 32-bit source into an 8-bit target would write four times past each row.
  EXPECT_EQ(2, BlitPixels(target.view, 0, 0, 8, 8, deep.view, 0, 0, 8, 8, 0, 255, nullptr, false));
  PixelBuffer broken = target.view;
  broken.stride = 3;  // shorter than a row
  EXPECT_EQ(2, BlitPixels(broken, 0, 0, 4, 4, source.view, 0, 0, 4, 4, 0, 255, nullptr, false));
  // Sources below 8 bits have no kernel: nothing drawn, success.
  for (auto& b : packed.data) b = 0xFF;
  Pixels packedTarget(16, 8, 0x44000000);
  EXPECT_EQ(0, BlitPixels(packedTarget.view, 0, 0, 8, 8, packed.view, 0, 0, 8, 8, 0, 255, nullptr, false));
  EXPECT_EQ(std::vector<std::uint8_t>(packedTarget.data.size(), 0), packedTarget.data);
}

TEST(BlitPixels, ClipRectangleLimitsTheBlit) {
  Pixels source(10, 10, kFormatIndexed8), target(10, 10, kFormatIndexed8);
  for (auto& b : source.data) b = 5;
  const PixelRect clip{2, 3, 4, 2};
  ASSERT_EQ(0, BlitPixels(target.view, 0, 0, 10, 10, source.view, 0, 0, 10, 10, kBlitNoClip, 255, nullptr, false,
                          &clip));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(x >= 2 && x < 6 && y >= 3 && y < 5 ? 5u : 0u, target.At(x, y));
}

TEST(BlitKernelTable, RowsFollowTheDispatchRules) {
  auto name = [](std::uint32_t format, bool scaled, std::uint32_t flags, bool mmx) {
    const BlitKernelRow* row = FindBlitKernel(format, scaled, flags, mmx);
    return std::string(row ? row->name : "none");
  };
  EXPECT_EQ("Copy8", name(kFormatIndexed8, false, 0, false));
  EXPECT_EQ("KeyedCopy8Sse2", name(kFormatIndexed8, false, 0, true));
  EXPECT_EQ("KeyedCopy8", name(kFormatIndexed8, false, kBlitMirror, true));
  EXPECT_EQ("DitheredLevel8", name(kFormatIndexed8, false, kBlitLevelBlend | kBlitMirror, true));
  EXPECT_EQ("DitheredMask8", name(kFormatIndexed8, false, kBlitMaskBlend | kBlitLevelBlend, true));
  EXPECT_EQ("MaskBlend565Sse2", name(kFormatRgb565, false, kBlitMaskBlend | kBlitMirror, true));
  EXPECT_EQ("DitheredLevel16", name(kFormatRgb555, false, kBlitDitheredLevel | kBlitLevelBlend, true));
  EXPECT_EQ("LevelBlend24", name(kFormatRgb888, false, kBlitDitheredLevel | kBlitLevelBlend, true));
  EXPECT_EQ("Copy24", name(kFormatRgb888, false, kBlitNoClip, true));
  EXPECT_EQ("ScaledMaskBlend555", name(kFormatRgb555, true, kBlitMaskBlend, true));
  EXPECT_EQ("ScaledKeyedCopy8", name(kFormatIndexed8, true, kBlitMaskBlend | kBlitDitheredMask, false));
  EXPECT_EQ("none", name(0x44000000, false, 0, false));
}

TEST(PixelAccess, ReadsAndWritesLittleEndianInsideTheBuffer) {
  Pixels rgb(3, 5, kFormatRgb888), packed(8, 2, 0x44000000), empty(2, 2, 0);
  EXPECT_EQ(0, SetPixelAt(rgb.view, 2, 4, 0xFF123456));
  EXPECT_EQ(0x56, rgb.data[4 * rgb.view.stride + 6]);
  EXPECT_EQ(0x12, rgb.data[4 * rgb.view.stride + 8]);
  EXPECT_EQ(0x123456u, GetPixelAt(rgb.view, 2, 4));
  EXPECT_EQ(2, SetPixelAt(rgb.view, 3, 0, 1));
  EXPECT_EQ(2, SetPixelAt(rgb.view, -1, 0, 1));
  EXPECT_EQ(0u, GetPixelAt(rgb.view, 0, 5));
  EXPECT_EQ(0, SetPixelAt(packed.view, 1, 1, 0xF));
  EXPECT_EQ(0u, GetPixelAt(packed.view, 1, 1));
  EXPECT_EQ(std::vector<std::uint8_t>(packed.data.size(), 0), packed.data);
  EXPECT_EQ(3, SetPixelAt(empty.view, 0, 0, 1));
}

}  // namespace
}  // namespace ossen
