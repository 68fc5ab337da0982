// The small preview of a painting as the picture library stores it ("A%iP"): the painting
// reduced to 169 x 115 by area averaging, mapped with error diffusion onto entries 0 to 99
// of the painting's palette (the only ones the book window shows it through), stored with
// the whole 256-entry palette, whose colours the full painting is later mapped onto.
//
// Stored form: the 14-byte "BM" file header, then an 8-bit packed DIB compressed as "PKC1"
// (header, 256-entry colour table, one MEMO block of the rows).
#pragma once

#include <cstdint>
#include <vector>

#include "res/library/colour_quantizer.h"
#include "res/library/rgb_pixels.h"

namespace ossen {

inline constexpr int kPreviewWidth = 169;
inline constexpr int kPreviewHeight = 115;

// The stored preview of `painting` with `colours` as its palette; empty on failure (an
// invalid picture, or memory ran out).
std::vector<std::uint8_t> BuildStoredPreview(RgbPixels painting, const PictureColours& colours);

}  // namespace ossen
