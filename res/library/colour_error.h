// How well a palette serves a painting, measured the way the program uses it: the painting
// as a 24-bit packed DIB mapped to 8 bits through the palette's inverse table (what the
// apply step does), each mapped pixel's palette colour compared with the painting's own.
#pragma once

#include "res/library/colour_quantizer.h"
#include "res/library/rgb_pixels.h"

namespace ossen {

struct ColourError {
  double wholePalette = 0;  // mapped onto all 256 entries
  double previewBand = 0;   // mapped onto entries 0 to 99 only
};

// The mean Euclidean distance in RGB (0 to 441.7) between each pixel and the colour it is
// mapped to, for both palettes. False for an invalid picture or when the mapping fails.
bool MeasureColourError(RgbPixels painting, const PictureColours& colours, ColourError& error);

// The same for the first `entries` colours alone (1 to 256).
bool MeanMappingError(RgbPixels painting, const PictureColours& colours, int entries, double& meanError);

}  // namespace ossen
