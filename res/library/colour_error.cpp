#include "res/library/colour_error.h"

#include <cmath>

#include "gfx/pixel_convert.h"
#include "image/packed_dib.h"

namespace ossen {

namespace {

// The error of the painting, already in its 24-bit packed DIB `dib`, mapped onto the
// first `entries` colours.
bool MappingErrorOfDib(RgbPixels painting, ByteView dib, const PictureColours& colours, int entries,
                       double& meanError) {
  meanError = 0;
  if (entries < 1 || entries > kPaletteSize) return false;
  PaletteRef palette = Palette::New();
  if (dib.empty() || !palette || palette->Create(static_cast<DWORD>(entries)) != kGfxOk ||
      palette->SetEntries(colours, 0, static_cast<DWORD>(entries)) != kGfxOk) {
    return false;
  }
  GlobalBlock mapped;
  if (ConvertPackedDib(dib, kFormatIndexed8, palette.get(), kConvertMapToPalette, mapped) != kGfxOk) {
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
    const std::uint8_t* p = painting.Pixel(0, y);
    for (int x = 0; x < painting.width; ++x, p += 3) {
      if (row[x] >= entries) return false;
      const PaletteEntry& c = colours[row[x]];
      const int dr = p[0] - c.red, dg = p[1] - c.green, db = p[2] - c.blue;
      sum += std::sqrt(static_cast<double>(dr * dr + dg * dg + db * db));
    }
  }
  meanError = sum / static_cast<double>(painting.PixelCount());
  return true;
}

}  // namespace

bool MeanMappingError(RgbPixels painting, const PictureColours& colours, int entries, double& meanError) {
  const GlobalBlock dib = RgbToPackedDib(painting);
  return MappingErrorOfDib(painting, dib.view(), colours, entries, meanError);
}

bool MeasureColourError(RgbPixels painting, const PictureColours& colours, ColourError& error) {
  const GlobalBlock dib = RgbToPackedDib(painting);
  return MappingErrorOfDib(painting, dib.view(), colours, kPaletteSize, error.wholePalette) &&
         MappingErrorOfDib(painting, dib.view(), colours, kPreviewBandSize, error.previewBand);
}

}  // namespace ossen
