// Drives the BMP reader of the root-window background with arbitrary file contents, and
// scales what it accepts.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "desktop/root_background.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<ossen::RgbPicture> picture = ossen::DecodeBmpPicture(std::span(data, size));
  if (!picture) return 0;
  if (picture->width <= 0 || picture->height <= 0 ||
      picture->pixels.size() != std::size_t(picture->width) * std::size_t(picture->height))
    std::abort();
  for (const std::uint32_t pixel : picture->pixels)
    if (pixel > 0xFFFFFF) std::abort();
  const ossen::RgbPicture scaled = ossen::ScalePicture(*picture, 7, 5);
  if (scaled.pixels.size() != 35) std::abort();
  return 0;
}
