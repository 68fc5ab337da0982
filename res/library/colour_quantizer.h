// The palette of a picture: 256 colours chosen so that the whole picture maps onto them
// well, ordered so that entries 0 to 99 alone still give a faithful picture.
//
// The book window shows a painting's preview through only the first 100 entries of its
// palette, while the full painting is mapped onto all 256. So the first 100 entries are a
// 100-colour quantization of their own, and entries 100 to 255 refine it where its error
// is largest; the first 100 never move for the sake of the others. (A 256-colour palette
// sorted by use serves all 256 entries a few percent better, but its first 100 entries
// alone gave up to 30% more error on the busier paintings.)
//
// A picture with at most 256 distinct colours gets exactly those colours (most used first),
// so it maps back onto its palette without loss.
#pragma once

#include <array>

#include "gfx/palette.h"
#include "res/library/rgb_pixels.h"

namespace ossen {

inline constexpr int kPaletteSize = 256;
// The entries the book window shows a preview through.
inline constexpr int kPreviewBandSize = 100;

using PictureColours = std::array<PaletteEntry, kPaletteSize>;

// The palette of `picture` (deterministic: the same picture always gives the same bytes).
// All entries black for an invalid picture. Entry flags are 0.
PictureColours QuantizeColours(RgbPixels picture);

}  // namespace ossen
