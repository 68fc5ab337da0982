#include "res/painter/scenery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace ossen {
namespace {

// Columns and rows that hold any paint on a black canvas.
struct Extent {
  int left = 1 << 30;
  int right = -1;
  int top = 1 << 30;
  int bottom = -1;
};

Extent PaintedExtent(const RgbImage& image) {
  Extent extent;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
      if (image.pixels[at] + image.pixels[at + 1] + image.pixels[at + 2] == 0) continue;
      extent.left = std::min(extent.left, x);
      extent.right = std::max(extent.right, x);
      extent.top = std::min(extent.top, y);
      extent.bottom = std::max(extent.bottom, y);
    }
  }
  return extent;
}

TEST(SceneryTest, RidgeSpansThePictureWithinItsAmplitude) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    const Noise noise(seed);
    const std::vector<Point> ridge = Ridge(noise, 0.5f, 0.1f, 4.0f, 2.0f);
    ASSERT_GE(ridge.size(), 2u);
    // Past both edges, so a ground below it leaves no gap at the sides.
    EXPECT_LT(ridge.front().x, 0.0f);
    EXPECT_GT(ridge.back().x, 1.0f);
    for (std::size_t i = 0; i < ridge.size(); ++i) {
      EXPECT_GE(ridge[i].y, 0.4f);
      EXPECT_LE(ridge[i].y, 0.6f);
      if (i > 0) {
        EXPECT_GT(ridge[i].x, ridge[i - 1].x);
      }
    }
  }
}

TEST(SceneryTest, TownStandsOnItsBaseBetweenItsEnds) {
  Canvas canvas(200, 150);
  canvas.VerticalGradient({{0.0f, Hex(0x000000)}});
  Rng rng(11);
  Townscape(canvas, rng, 0.25f, 0.75f, 0.6f, 0.1f, Hex(0x808080), Hex(0xFFFF00), 0.5f);
  const Extent town = PaintedExtent(canvas.ToImage());
  EXPECT_GE(town.left, 49);
  EXPECT_LE(town.right, 151);
  EXPECT_LE(town.bottom, 90);
  EXPECT_GE(town.bottom, 88);
  EXPECT_LT(town.top, 80);  // it has some height
}

TEST(SceneryTest, TreeGrowsUpFromItsBase) {
  Canvas canvas(200, 200);
  canvas.VerticalGradient({{0.0f, Hex(0x000000)}});
  Rng rng(12);
  const TreeLook look{Hex(0x604020), Hex(0x204020), Hex(0x408040), Hex(0x80C060), 200, 0.04f, 5};
  Tree(canvas, rng, {0.5f, 0.9f}, 0.5f, 0.3f, look);
  const Extent tree = PaintedExtent(canvas.ToImage());
  EXPECT_NEAR(tree.bottom, 180, 2);
  EXPECT_NEAR((tree.left + tree.right) / 2.0, 100.0, 12.0);
  EXPECT_GT(tree.top, 70);
  EXPECT_LT(tree.top, 100);
}

// The red channel of one pixel.
int RedAt(const RgbImage& image, int x, int y) {
  return image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3];
}

// A dark blue picture with a red band from y 0.4 to 0.5, standing on the waterline at 0.5.
Canvas BandOverWater() {
  Canvas canvas(100, 200);
  canvas.VerticalGradient({{0.0f, Hex(0x000040)}});
  canvas.Polygon({{-0.01f, 0.4f}, {1.01f, 0.4f}, {1.01f, 0.5f}, {-0.01f, 0.5f}}, Hex(0xFF0000), 1.0f);
  return canvas;
}

TEST(SceneryTest, StillWaterMirrorsFromTheWaterlineDown) {
  const Noise noise(5);
  Canvas plain = BandOverWater();
  SoftReflection(plain, {0.5f, 1.0f, 1.0f, 0.001f, 1.0f, Hex(0x000000), 0.0f, 0.0f}, noise);
  const RgbImage mirrored = plain.ToImage();
  EXPECT_GT(RedAt(mirrored, 50, 105), 200);  // just below the waterline: the foot of the band
  EXPECT_GT(RedAt(mirrored, 50, 115), 200);
  EXPECT_LT(RedAt(mirrored, 50, 130), 40);  // past the band's height: the blue above it
  // Stretched, the same band fits into a shallower strip of water.
  Canvas stretched = BandOverWater();
  SoftReflection(stretched, {0.5f, 1.0f, 2.0f, 0.001f, 1.0f, Hex(0x000000), 0.0f, 0.0f}, noise);
  const RgbImage squeezed = stretched.ToImage();
  EXPECT_GT(RedAt(squeezed, 50, 105), 200);
  EXPECT_LT(RedAt(squeezed, 50, 115), 40);
}

TEST(SceneryTest, StillWaterPaintsOnlyItsOwnRowsAndDarkensTowardsTheViewer) {
  const Noise noise(6);
  Canvas canvas = BandOverWater();
  const RgbImage before = canvas.ToImage();
  // The water ends at 0.8; it darkens the mirrored band by half and takes on the water colour.
  SoftReflection(canvas, {0.5f, 0.8f, 1.0f, 0.001f, 0.5f, Hex(0x00FF00), 0.0f, 5.0f}, noise);
  const RgbImage after = canvas.ToImage();
  for (int y : {0, 79, 99, 160, 199}) {
    for (int x : {0, 50, 99}) {
      const std::size_t at = (static_cast<std::size_t>(y) * 100 + x) * 3;
      for (int c = 0; c < 3; ++c) EXPECT_EQ(after.pixels[at + c], before.pixels[at + c]) << x << "," << y;
    }
  }
  const int near_shore = RedAt(after, 50, 101);
  EXPECT_NEAR(near_shore, 128, 12);  // half of the red, barely tinted yet
  EXPECT_LT(RedAt(after, 50, 115), near_shore - 20);  // further out the water colour takes over
  EXPECT_GT(after.pixels[(static_cast<std::size_t>(155) * 100 + 50) * 3 + 1], 220);
}

TEST(SceneryTest, StillWaterCopesWithTinyAndOddCanvases) {
  const Noise noise(7);
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {3, 2}, {300, 1}, {1, 200}}) {
    Canvas canvas(width, height);
    canvas.VerticalGradient({{0.0f, Hex(0x204060)}, {1.0f, Hex(0xFFFFFF)}});
    // Waterlines at, above and below the picture's edges.
    for (float horizon : {-0.5f, 0.0f, 0.5f, 1.0f, 1.5f}) {
      SoftReflection(canvas, {horizon, horizon + 0.6f, 3.0f, 0.05f, 0.8f, Hex(0x102030), 0.2f, 1.0f}, noise);
    }
    EXPECT_EQ(canvas.ToImage().pixels.size(), static_cast<std::size_t>(width) * height * 3);
  }
}

}  // namespace
}  // namespace ossen
