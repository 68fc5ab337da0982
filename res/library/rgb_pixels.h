// A read-only view of a picture as plain RGB bytes: rows top-down, three bytes per pixel
// (red, green, blue), no padding. What the painter produces and what a decoded JPEG gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/global_block.h"

namespace ossen {

struct RgbPixels {
  const std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;

  bool IsValid() const { return data != nullptr && width > 0 && height > 0; }
  std::size_t PixelCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
  const std::uint8_t* Pixel(int x, int y) const {
    return data + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  }
};

// The picture as a 24-bit packed DIB (rows bottom-up, blue-green-red, padded to 4 bytes),
// the form the program's conversions read; null for an invalid picture or no memory.
GlobalBlock RgbToPackedDib(RgbPixels picture);

// The picture resampled to width x height by area averaging: every output pixel is the
// mean of the source area it covers (partly covered pixels count by their share), so
// detail is averaged rather than picked. Empty for an invalid picture or size.
std::vector<std::uint8_t> ResampleByArea(RgbPixels picture, int width, int height);

}  // namespace ossen
