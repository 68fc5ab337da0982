// Smooth synthetic "paintings" for the benchmarks: broad colour fields with soft edges and
// a little brush texture, the kind of content the program's pictures have (no noise images,
// which would flatter neither the codecs nor their peers).
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace ossen::bench {

// The painting's brightness at (x, y) for channel `c`, 0 to 255.
inline double PaintingValue(double x, double y, int c) {
  const double fields = 128 + 70 * std::sin(x / (90.0 + 17 * c)) * std::cos(y / (120.0 - 11 * c));
  const double strokes = 30 * std::sin((x + 2 * y) / (41.0 + 5 * c)) + 12 * std::cos((3 * x - y) / 29.0);
  const double v = fields + strokes;
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

// 8-bit palette indices, top row first: 64 levels of the painting, with a transparent
// (index 0) margin of varying width on both sides, as the page images and sprites have.
inline std::vector<std::uint8_t> EightBitPainting(int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
  std::mt19937 rng(1);
  for (int y = 0; y < height; ++y) {
    const int margin = static_cast<int>(width * (0.05 + 0.04 * std::sin(y / 60.0)));
    for (int x = 0; x < width; ++x) {
      std::uint8_t value = 0;
      if (x >= margin && x < width - margin) {
        const int texture = (rng() % 16 == 0) ? 1 : 0;  // occasional brush grain
        value = static_cast<std::uint8_t>(1 + (static_cast<int>(PaintingValue(x, y, 0)) / 4 + texture) % 255);
      }
      pixels[static_cast<std::size_t>(y) * width + x] = value;
    }
  }
  return pixels;
}

// Red-green-blue samples, top row first, with a faint grain on the smooth fields.
inline std::vector<std::uint8_t> RgbPainting(int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  std::mt19937 rng(2);
  std::uint8_t* out = pixels.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double grain = static_cast<double>(rng() % 7) - 3;
      for (int c = 0; c < 3; ++c) {
        const double v = PaintingValue(x, y, c) + grain;
        *out++ = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
  return pixels;
}

}  // namespace ossen::bench
