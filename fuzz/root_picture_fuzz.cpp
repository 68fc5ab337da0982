// Drives the BMP reader of the root-window picture with arbitrary file contents, and lays
// out what it accepts on two small monitors in one of the placements.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "desktop/root_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<ossen::RgbPicture> picture = ossen::DecodeBmpPicture(std::span(data, size));
  if (!picture) return 0;
  if (picture->width <= 0 || picture->height <= 0 ||
      picture->pixels.size() != std::size_t(picture->width) * std::size_t(picture->height))
    std::abort();
  for (const std::uint32_t pixel : picture->pixels)
    if (pixel > 0xFFFFFF) std::abort();
  const ossen::MonitorRect monitors[] = {{0, 0, 4, 5}, {4, 1, 9, 3}};
  const auto placement = static_cast<ossen::WallpaperPlacement>(size % 6);
  const ossen::RgbPicture root = ossen::BuildRootPicture(*picture, 7, 5, monitors, placement, 0x123456);
  if (root.width != 7 || root.height != 5 || root.pixels.size() != 35) std::abort();
  return 0;
}
