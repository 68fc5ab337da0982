#include "res/painter/canvas.h"

#include <gtest/gtest.h>

#include <cmath>

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

// Painted area and its centre of mass, in pixels, of white over black.
struct Blot {
  double area = 0.0;
  double x = 0.0;
  double y = 0.0;
  double spread_x = 0.0;  // standard deviation across
  double spread_y = 0.0;  // and down
};

Blot Measure(const RgbImage& image, int first_row = 0) {
  Blot blot;
  double xx = 0.0;
  double yy = 0.0;
  for (int y = first_row; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const double v = image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3] / 255.0;
      blot.area += v;
      blot.x += v * (x + 0.5);
      blot.y += v * (y + 0.5);
      xx += v * (x + 0.5) * (x + 0.5);
      yy += v * (y + 0.5) * (y + 0.5);
    }
  }
  if (blot.area > 0.0) {
    blot.x /= blot.area;
    blot.y /= blot.area;
    blot.spread_x = std::sqrt(xx / blot.area - blot.x * blot.x);
    blot.spread_y = std::sqrt(yy / blot.area - blot.y * blot.y);
  }
  return blot;
}

Canvas Black(int width, int height) {
  Canvas canvas(width, height);
  canvas.VerticalGradient({{0.0f, Hex(0x000000)}});
  return canvas;
}

TEST(CanvasTest, EllipseSitsWhereItIsPlacedAndKeepsItsSize) {
  // Lengths are fractions of the height, so on a 4:3 canvas a circle stays round.
  Canvas canvas = Black(160, 120);
  canvas.Ellipse({{0.25f, 0.5f}, 0.2f, 0.2f, 0.0f, Hex(0xFFFFFF), 1.0f, 0.0f});
  const Blot blot = Measure(canvas.ToImage());
  EXPECT_NEAR(blot.x, 40.0, 0.5);
  EXPECT_NEAR(blot.y, 60.0, 0.5);
  EXPECT_NEAR(blot.area, 3.14159 * 24.0 * 24.0, 40.0);
  EXPECT_NEAR(blot.spread_x, blot.spread_y, 0.3);
}

TEST(CanvasTest, DabsLieAlongTheirAngle) {
  Canvas level = Black(120, 120);
  level.Dab({{0.5f, 0.5f}, 0.6f, 0.1f, 0.0f, Hex(0xFFFFFF), 1.0f, 1u});
  const Blot flat = Measure(level.ToImage());
  EXPECT_GT(flat.spread_x, 3.0 * flat.spread_y);
  Canvas upright = Black(120, 120);
  upright.Dab({{0.5f, 0.5f}, 0.6f, 0.1f, 1.5707963f, Hex(0xFFFFFF), 1.0f, 1u});
  const Blot tall = Measure(upright.ToImage());
  EXPECT_GT(tall.spread_y, 3.0 * tall.spread_x);
  EXPECT_NEAR(tall.area, flat.area, flat.area * 0.05);
}

TEST(CanvasTest, StrokeFollowsItsPath) {
  Canvas canvas = Black(200, 100);
  Rng rng(5);
  canvas.Stroke({{0.1f, 0.2f}, {0.9f, 0.2f}}, 0.06f, Hex(0xFFFFFF), 1.0f, rng);
  const RgbImage image = canvas.ToImage();
  const Blot blot = Measure(image);
  EXPECT_NEAR(blot.x, 100.0, 4.0);
  EXPECT_NEAR(blot.y, 20.0, 1.0);
  // Nothing in the lower half of the picture.
  for (std::size_t i = image.pixels.size() / 2; i < image.pixels.size(); ++i) ASSERT_EQ(image.pixels[i], 0) << i;
}

TEST(CanvasTest, SoftRectFillsItsInsideAndFadesAtItsEdge) {
  Canvas canvas = Black(100, 100);
  Noise noise(4);
  canvas.SoftRect(0.2f, 0.2f, 0.8f, 0.8f, Hex(0xFFFFFF), 1.0f, 0.02f, 0.01f, noise);
  const RgbImage image = canvas.ToImage();
  auto red = [&](int x, int y) { return image.pixels[(static_cast<std::size_t>(y) * 100 + x) * 3]; };
  EXPECT_GT(red(50, 50), 220);
  EXPECT_GT(red(25, 70), 220);
  EXPECT_EQ(red(5, 5), 0);
  EXPECT_EQ(red(95, 50), 0);
}

TEST(CanvasTest, ReflectionMirrorsWhatStandsAboveTheHorizon) {
  Canvas canvas = Black(100, 100);
  Noise noise(6);
  canvas.Ellipse({{0.3f, 0.3f}, 0.05f, 0.05f, 0.0f, Hex(0xFFFFFF), 1.0f, 0.0f});
  canvas.Reflect(0.5f, Hex(0x000000), 0.0f, 0.0f, noise);
  const RgbImage image = canvas.ToImage();
  const Blot light = Measure(image);
  const Blot mirrored = Measure(image, 50);
  EXPECT_NEAR(mirrored.x, 30.0, 1.0);
  EXPECT_NEAR(mirrored.y, 70.0, 1.0);
  // Dimmed by the water, not brighter than the light itself.
  EXPECT_GT(mirrored.area, 0.5 * (light.area - mirrored.area));
  EXPECT_LT(mirrored.area, light.area - mirrored.area);
}

TEST(CanvasTest, ShadedBallIsLitOnTheSideOfTheLight) {
  Canvas canvas = Black(100, 100);
  Noise noise(8);
  canvas.ShadedBall({0.5f, 0.5f}, 0.3f, 0.3f, Hex(0x808080), Hex(0xFFFFFF), Hex(0x000000), {-1.0f, 0.0f}, noise);
  const RgbImage image = canvas.ToImage();
  auto red = [&](int x, int y) { return image.pixels[(static_cast<std::size_t>(y) * 100 + x) * 3]; };
  EXPECT_GT(red(35, 50), red(65, 50) + 60);
  // Clipped at its middle, nothing of it above the cut.
  Canvas bowl = Black(100, 100);
  bowl.ShadedBall({0.5f, 0.5f}, 0.3f, 0.3f, Hex(0x808080), Hex(0xFFFFFF), Hex(0x404040), {-1.0f, 0.0f}, noise, 0.5f);
  const RgbImage cut = bowl.ToImage();
  for (std::size_t i = 0; i < cut.pixels.size() / 2; ++i) ASSERT_EQ(cut.pixels[i], 0) << i;
  EXPECT_GT(Measure(cut).area, 500.0);
}

TEST(CanvasTest, BrushworkOnOneColourKeepsThatColour) {
  Canvas canvas(64, 48);
  canvas.VerticalGradient({{0.0f, Hex(0x336699)}});
  Rng rng(9);
  canvas.Impasto(5000.0f, 0.05f, 0.01f, 0.0f, 3.0f, 1.0f, rng);
  const RgbImage image = canvas.ToImage();
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    // Bristles shade the paint a few percent either way, no more.
    ASSERT_NEAR(image.pixels[i], 0x33, 5) << i;
    ASSERT_NEAR(image.pixels[i + 2], 0x99, 10) << i;
  }
}

TEST(CanvasTest, ColoursBeyondTheRangeAreClampedNotWrapped) {
  Canvas canvas(8, 2);
  canvas.VerticalGradient({{0.0f, Colour{1.6f, -0.4f, 0.5f}}});
  const RgbImage image = canvas.ToImage();
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    EXPECT_EQ(image.pixels[i], 255);
    EXPECT_EQ(image.pixels[i + 1], 0);
    EXPECT_NEAR(image.pixels[i + 2], 128, 1);
  }
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

TEST(NoiseTest, ValueNoiseIsSmoothAcrossLatticeLines) {
  // A broken interpolation shows as steps where the lattice cells meet.
  Noise noise(77);
  for (float y : {0.3f, 2.0f, 5.7f}) {
    float previous = noise.Value(-3.0f, y);
    for (int i = 1; i <= 6000; ++i) {
      const float x = -3.0f + static_cast<float>(i) * 0.001f;
      const float value = noise.Value(x, y);
      ASSERT_LT(std::fabs(value - previous), 0.01f) << x << " " << y;
      previous = value;
    }
  }
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
