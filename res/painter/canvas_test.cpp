#include "res/painter/canvas.h"

#include <gtest/gtest.h>

namespace ossen {
namespace {

// Sum of the red channel over the image: with white painted on black, the painted area.
double PaintedArea(const RgbImage& image) {
  double sum = 0.0;
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) sum += image.pixels[i] / 255.0;
  return sum;
}

TEST(CanvasTest, PolygonCoversItsAreaWithSoftEdges) {
  Canvas canvas(40, 40);
  canvas.VerticalGradient({{0.0f, Hex(0x000000)}});
  // A triangle with slanted edges: half of a 20 x 20 square.
  canvas.Polygon({{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}}, Hex(0xFFFFFF), 1.0f);
  EXPECT_NEAR(PaintedArea(canvas.ToImage()), 200.0, 6.0);
}

TEST(CanvasTest, ShapesReachingPastTheEdgesStayInside) {
  Canvas canvas(30, 20);
  canvas.VerticalGradient({{0.0f, Hex(0x000000)}});
  canvas.Polygon({{-1.0f, -1.0f}, {2.0f, -1.0f}, {2.0f, 0.5f}, {-1.0f, 0.5f}}, Hex(0xFFFFFF), 1.0f);
  EXPECT_NEAR(PaintedArea(canvas.ToImage()), 300.0, 3.0);
  // Shapes centred outside, huge or degenerate leave the buffer intact (the sanitizer build checks).
  Noise noise(1);
  Rng rng(2);
  canvas.Ellipse({{-0.5f, 1.5f}, 3.0f, 3.0f, 0.7f, Hex(0xFF0000), 1.0f, 0.2f});
  canvas.Dab({{1.2f, -0.1f}, 0.5f, 0.2f, 1.0f, Hex(0x00FF00), 1.0f, 9u});
  canvas.Stroke({{-0.2f, 0.5f}, {1.2f, 0.5f}, {1.2f, 0.5f}}, 0.1f, Hex(0x0000FF), 1.0f, rng);
  canvas.Cloud({{1.0f, 1.0f}, 0.5f, 0.3f, Hex(0xFFFFFF), Hex(0x808080), 1.0f, noise});
  canvas.SoftRect(-0.5f, -0.5f, 1.5f, 0.1f, Hex(0xFFFF00), 1.0f, 0.1f, 0.05f, noise);
  canvas.ShadedBall({0.0f, 0.0f}, 0.4f, 0.4f, Hex(0x808080), Hex(0xFFFFFF), Hex(0x000000), {-1.0f, -1.0f}, noise);
  canvas.Polygon({{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}}, Hex(0xFFFFFF), 1.0f);
  canvas.Reflect(0.0f, Hex(0x203040), 0.5f, 0.3f, noise);
  canvas.Reflect(1.0f, Hex(0x203040), 0.5f, 0.3f, noise);
  EXPECT_EQ(canvas.ToImage().pixels.size(), 30u * 20u * 3u);
}

TEST(CanvasTest, GradientPassesThroughItsStops) {
  Canvas canvas(4, 100);
  canvas.VerticalGradient({{0.0f, Hex(0x000000)}, {0.5f, Hex(0xFF0000)}, {1.0f, Hex(0x0000FF)}});
  const RgbImage image = canvas.ToImage();
  auto red_at = [&](int row) { return image.pixels[static_cast<std::size_t>(row) * 4 * 3]; };
  auto blue_at = [&](int row) { return image.pixels[static_cast<std::size_t>(row) * 4 * 3 + 2]; };
  EXPECT_LT(red_at(0), 3);
  EXPECT_GT(red_at(50), 250);
  EXPECT_GT(blue_at(99), 250);
  EXPECT_LT(red_at(99), 5);
  for (int row = 1; row < 50; ++row) EXPECT_GE(red_at(row) + 1, red_at(row - 1)) << row;
}

TEST(CanvasTest, PointillizeCoversTheGroundWithTheSourceColours) {
  Canvas source(80, 60);
  source.VerticalGradient({{0.0f, Hex(0x2040C0)}});
  Canvas dots(80, 60);
  Rng rng(3);
  dots.Pointillize(source, Hex(0xFFFFFF), 0.03f, 0.0f, rng);
  const RgbImage image = dots.ToImage();
  long long blue = 0;
  long long red = 0;
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    red += image.pixels[i];
    blue += image.pixels[i + 2];
  }
  // Mostly blue dots with a little ground and accent between them, not the white ground.
  EXPECT_LT(red, blue / 2);
}

TEST(NoiseTest, StaysInRangeAndRepeats) {
  Noise noise(42);
  Noise same(42);
  Noise other(43);
  int differs = 0;
  for (int i = 0; i < 500; ++i) {
    const float x = static_cast<float>(i) * 0.37f - 50.0f;
    const float y = static_cast<float>(i) * 0.11f - 20.0f;
    const float v = noise.Fbm(x, y, 4);
    EXPECT_GE(v, 0.0f);
    EXPECT_LE(v, 1.0f);
    EXPECT_EQ(v, same.Fbm(x, y, 4));
    if (v != other.Fbm(x, y, 4)) ++differs;
  }
  EXPECT_GT(differs, 450);
  Rng rng(7);
  for (int i = 0; i < 1000; ++i) {
    const float u = rng.Uniform();
    EXPECT_GE(u, 0.0f);
    EXPECT_LT(u, 1.0f);
    const int below = rng.Below(5);
    EXPECT_GE(below, 0);
    EXPECT_LT(below, 5);
  }
  EXPECT_EQ(rng.Below(0), 0);
}

}  // namespace
}  // namespace ossen
