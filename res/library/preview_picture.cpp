#include "res/library/preview_picture.h"

#include <cstring>

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

std::vector<std::uint8_t> WithFileHeader(ByteView dib) {
  const DWORD total = PackedDibTotalSize(dib);
  if (total == 0 || total > dib.size()) return {};
  std::vector<std::uint8_t> stored(kFileHeaderBytes + total);
  const DWORD fileSize = static_cast<DWORD>(stored.size());
  const DWORD dataOffset = static_cast<DWORD>(kFileHeaderBytes + PackedDibHeaderSize(dib));
  stored[0] = 'B';
  stored[1] = 'M';
  std::memcpy(stored.data() + 2, &fileSize, 4);
  std::memcpy(stored.data() + 10, &dataOffset, 4);
  std::memcpy(stored.data() + kFileHeaderBytes, dib.data(), total);
  return stored;
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
