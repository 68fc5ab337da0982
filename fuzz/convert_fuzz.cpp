// Pixel-format conversion of hostile packed DIBs: the first byte picks the target code and
// the flags, the rest is the source. Whatever comes in, a result is either refused or a
// packed DIB whose sizes agree with its header.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gfx/pixel_convert.h"
#include "image/packed_dib.h"

namespace {

ossen::Palette* FuzzPalette() {
  static ossen::PaletteRef palette = [] {
    ossen::PaletteRef p = ossen::Palette::New();
    p->Create(256);
    std::vector<ossen::PaletteEntry> entries(256);
    for (unsigned i = 0; i < 256; ++i) {
      entries[i] = ossen::PaletteEntry{static_cast<ossen::BYTE>(i * 37), static_cast<ossen::BYTE>(i * 11),
                                       static_cast<ossen::BYTE>(255 - i), static_cast<ossen::BYTE>(i % 5 == 0)};
    }
    p->SetEntries(entries, 0, 256);
    return p;
  }();
  return palette.get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static constexpr ossen::DWORD kTargets[8] = {ossen::kFormatIndexed8, ossen::kFormatRgb555, ossen::kFormatRgb565,
                                               ossen::kFormatRgb888,   ossen::kFormatXrgb8888, 0x10C60565,
                                               0x18C60888,            ossen::kFormatIndexed4};
  const ossen::DWORD target = kTargets[data[0] & 7];
  const ossen::DWORD flags = (data[0] >> 3) & 3;
  const ossen::ByteView source(data + 1, size - 1);
  ossen::GlobalBlock out;
  const int result = ossen::ConvertPackedDib(source, target, (data[0] & 0x20) ? nullptr : FuzzPalette(), flags, out);
  if (result != ossen::kGfxOk) {
    if (out) std::abort();
    return 0;
  }
  ossen::PackedDibLayout layout;
  if (!ossen::ReadPackedDib(out.view(), layout)) std::abort();
  if (layout.header.bitCount != ossen::FormatBitsPerPixel(target)) std::abort();
  if (std::uint64_t{layout.headerSize} + layout.imageSize != out.size()) std::abort();
  return 0;
}
