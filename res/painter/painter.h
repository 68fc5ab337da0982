// The procedural painter of the painting collection: every catalogue painting is made here,
// from code and a fixed seed, at any size.
#pragma once

#include <cstdint>
#include <vector>

namespace ossen {

struct RgbImage {            // top-down rows, 3 bytes per pixel (R, G, B), no padding
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Paints catalogue painting `number` (1..35) at the given size; the same picture at every
// size (compositions scale). An empty image for other numbers or sizes outside 1..4096.
RgbImage PaintCatalogueImage(int number, int width, int height);

}  // namespace ossen
