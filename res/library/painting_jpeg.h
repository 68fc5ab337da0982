// The full painting as the picture library stores it ("A%i"): a baseline JPEG file written
// with libjpeg at fixed settings, so the same picture gives the same bytes on every build.
#pragma once

#include <cstdint>
#include <vector>

#include "res/library/rgb_pixels.h"

namespace ossen {

inline constexpr int kPaintingJpegQuality = 90;

// The JPEG file of `picture`; empty for an invalid picture, a quality outside 1..100, or
// when the encoder fails (memory).
std::vector<std::uint8_t> EncodeBaselineJpeg(RgbPixels picture, int quality = kPaintingJpegQuality);

}  // namespace ossen
