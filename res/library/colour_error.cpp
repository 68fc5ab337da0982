#include "res/library/colour_error.h"

#include <cmath>

#include "gfx/pixel_convert.h"
#include "image/packed_dib.h"

namespace ossen {

bool MeanMappingError(RgbPixels painting, const PictureColours& colours, int entries, double& meanError) {
  meanError = 0;
  if (entries < 1 || entries > kPaletteSize) return false;
  GlobalBlock dib = RgbToPackedDib(painting);
  PaletteRef palette = Palette::New();
  if (!dib || !palette || palette->Create(static_cast<DWORD>(entries)) != kGfxOk ||
      palette->SetEntries(colours, 0, static_cast<DWORD>(entries)) != kGfxOk) {
    return false;
  }
  GlobalBlock mapped;
  if (ConvertPackedDib(dib.view(), kFormatIndexed8, palette.get(), kConvertMapToPalette, mapped) != kGfxOk) {
    return false;
  }
  PackedDibLayout layout{};
  if (!ReadPackedDib(mapped.view(), layout) || layout.header.width != painting.width ||
      layout.header.height != painting.height) {
    return false;
  }
  double sum = 0;
  for (int y = 0; y < painting.height; ++y) {
    const std::uint8_t* row = mapped.data() + layout.headerSize +
                              std::size_t{layout.stride} * static_cast<std::size_t>(painting.height - 1 - y);
    for (int x = 0; x < painting.width; ++x) {
      const std::uint8_t* p = painting.Pixel(x, y);
      const PaletteEntry& c = colours[row[x] < entries ? row[x] : 0];
      const double dr = p[0] - c.red, dg = p[1] - c.green, db = p[2] - c.blue;
      sum += std::sqrt(dr * dr + dg * dg + db * db);
    }
  }
  meanError = sum / static_cast<double>(painting.PixelCount());
  return true;
}

bool MeasureColourError(RgbPixels painting, const PictureColours& colours, ColourError& error) {
  return MeanMappingError(painting, colours, kPaletteSize, error.wholePalette) &&
         MeanMappingError(painting, colours, kPreviewBandSize, error.previewBand);
}

}  // namespace ossen
