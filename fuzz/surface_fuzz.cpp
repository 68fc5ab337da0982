// Hostile stored images through the image object and the surfaces: attach, decompress,
// lock, read and write pixels, write the palette back, convert, copy into a section and
// blit. Nothing may read or write outside the buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "gfx/dib_image.h"
#include "gfx/dib_section_surface.h"
#include "image/four_cc.h"
#include "image/global_block_source.h"
#include "image/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ossen;
  auto source = std::make_unique<GlobalBlockSource>(static_cast<DWORD>(size), true);
  if (!source->data) return 0;
  if (size) std::memcpy(source->data, data, size);
  SurfaceRef<DibImage> image = DibImage::New();
  if (image->AttachSource(std::move(source)) != 0) return 0;
  if (image->IsCompressed()) image->Decompress();
  const int w = image->width, h = image->height;
  image->GetPixel(w - 1, h - 1);
  image->SetPixel(0, 0, 0x12345678);
  image->FillRect(-1, -1, w + 2, 3, 1);
  image->LineTo(0, h, w, 0, 2);
  PaletteRef palette = PaletteRef::Share(image->GetPalette());
  if (palette) {
    image->SetPalette(nullptr);
    image->SetPalette(palette.get());
  }
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  if (section->CopyFrom(image.get()) == 0) {
    section->BltTo(1, 1, w, h, image.get(), 0, 0, w, h, 0x8, {});
    section->BltTo(0, 0, w / 2 + 1, h * 2, image.get(), 0, 0, w, h, 0, {});
  }
  if (palette && palette->EntryCount() == 256) image->ConvertFormat(ossen::kFormatIndexed8, palette.get(), 1);
  image->ConvertFormat(ossen::kFormatRgb888, nullptr, 0);
  image->Compress(kCompressionPkcc);
  image->Decompress();
  return 0;
}
