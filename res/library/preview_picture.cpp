#include "res/library/preview_picture.h"


#include "gfx/pixel_convert.h"
#include "image/packed_dib.h"
#include "image/pkc_codec.h"

namespace ossen {
namespace {

// The preview's pixels: indices into the first 100 palette entries, in a packed DIB.
GlobalBlock MapOntoPreviewBand(RgbPixels reduced, const PictureColours& colours) {
  GlobalBlock source = RgbToPackedDib(reduced);
  PaletteRef band = Palette::New();
  if (!source || !band || band->Create(kPreviewBandSize) != kGfxOk ||
      band->SetEntries(colours, 0, kPreviewBandSize) != kGfxOk) {
    return {};
  }
  // Nearest colours found exactly (the octree), with the error carried to the neighbours.
  GlobalBlock mapped;
  if (ConvertPackedDib(source.view(), kFormatIndexed8, band.get(), kConvertDiffuseError, mapped) != kGfxOk) return {};
  return mapped;
}

// `mapped` with its colour table replaced by the whole palette.
bool WriteWholePalette(GlobalBlock& mapped, const PictureColours& colours) {
  if (PackedDibHeaderSize(mapped.view()) != kInfoHeaderBytes + 4 * kPaletteSize) return false;
  std::uint8_t* table = mapped.data() + kInfoHeaderBytes;
  for (std::size_t i = 0; i < colours.size(); ++i) {
    table[4 * i] = colours[i].blue;
    table[4 * i + 1] = colours[i].green;
    table[4 * i + 2] = colours[i].red;
    table[4 * i + 3] = 0;
  }
  return true;
}

// The stored form: the bitmap file of the DIB's own bytes (a codec's block may be larger).
std::vector<std::uint8_t> WithFileHeader(ByteView dib) {
  const DWORD total = PackedDibTotalSize(dib);
  if (total == 0 || total > dib.size()) return {};
  return BitmapFileFromPackedDib(dib.first(total));
}

}  // namespace

std::vector<std::uint8_t> BuildStoredPreview(RgbPixels painting, const PictureColours& colours) {
  const std::vector<std::uint8_t> reduced = ResampleByArea(painting, kPreviewWidth, kPreviewHeight);
  if (reduced.empty()) return {};
  GlobalBlock mapped = MapOntoPreviewBand({reduced.data(), kPreviewWidth, kPreviewHeight}, colours);
  if (!mapped || !WriteWholePalette(mapped, colours)) return {};
  const GlobalBlock packed = PkcCompress(mapped.view());
  if (!packed) return {};
  return WithFileHeader(packed.view());
}

}  // namespace ossen
