#include "res/painter/scenery.h"

#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
}  // namespace ossen
