#include "res/painter/painter.h"

namespace ossen {

RgbImage PaintCatalogueImage(int number, int width, int height) {
  RgbImage image;
  if (number < 1 || number > 35 || width < 1 || width > 4096 || height < 1 || height > 4096) {
    return image;
  }
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * height * 3);
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.pixels[at++] = static_cast<std::uint8_t>(x * 255 / width);
      image.pixels[at++] = static_cast<std::uint8_t>(y * 255 / height);
      image.pixels[at++] = static_cast<std::uint8_t>(number * 7);
    }
  }
  return image;
}

}  // namespace ossen
