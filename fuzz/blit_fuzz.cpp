// Blits, fills, lines and tints with hostile rectangles, flags, levels and buffer shapes:
// whatever the numbers, nothing is read or written outside the pixel buffers, which are
// allocated to their exact size.
#include <cstdint>
#include <cstring>
#include <memory>

#include "gfx/blit_engine.h"

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint32_t Word() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{Byte()} << (8 * i);
    return v;
  }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Mostly small coordinates, sometimes any 32-bit value.
  int Coordinate() {
    const std::uint8_t kind = Byte();
    if (kind < 200) return static_cast<int>(kind % 80) - 20;
    return static_cast<int>(Word());
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

constexpr std::uint32_t kFormats[] = {ossen::kFormatIndexed8, ossen::kFormatRgb555,   ossen::kFormatRgb565,
                                      ossen::kFormatRgb888,    ossen::kFormatXrgb8888, ossen::kFormatIndexed1,
                                      ossen::kFormatIndexed2,  ossen::kFormatIndexed4};

struct Buffer {
  std::unique_ptr<std::uint8_t[]> bytes;
  ossen::PixelBuffer view;
  Buffer(Reader& in, std::uint32_t format) {
    view.format = format;
    view.width = in.Byte() % 48;
    view.height = in.Byte() % 24;
    const int bits = ossen::FormatBitsPerPixel(format);
    view.stride = (static_cast<std::ptrdiff_t>(view.width) * bits + 7) / 8 + in.Byte() % 4;
    if (view.stride == 0) view.stride = 1;
    const std::size_t size = static_cast<std::size_t>(view.stride * view.height);
    bytes = std::make_unique<std::uint8_t[]>(size ? size : 1);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37);
    view.bits = size ? bytes.get() : nullptr;
    view.sourceKey = in.Word();
    view.destKey = in.Word();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const std::uint8_t choice = in.Byte();
  const std::uint32_t format = kFormats[choice % 8];
  const bool sameDepth = (choice & 0x80) == 0;
  Buffer target(in, format);
  Buffer source(in, sameDepth ? format : kFormats[in.Byte() % 8]);
  Buffer mask(in, (choice & 0x40) ? ossen::kFormatIndexed8 : ossen::kFormatRgb555);
  const bool mmx = choice & 0x20;
  const bool clipped = choice & 0x10;
  const ossen::PixelRect clip{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
  const ossen::PixelRect* clipArg = clipped ? &clip : nullptr;

  const int dx = in.Coordinate(), dy = in.Coordinate(), dw = in.Coordinate(), dh = in.Coordinate();
  const int sx = in.Coordinate(), sy = in.Coordinate(), sw = in.Coordinate(), sh = in.Coordinate();
  const std::uint32_t flags = in.Word();
  const int level = in.Coordinate();
  ossen::BlitPixels(target.view, dx, dy, dw, dh, source.view, sx, sy, sw, sh, flags, level, &mask.view, mmx, clipArg);
  ossen::FillPixels(target.view, in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Word(),
                    clipArg);
  ossen::DrawLine(target.view, in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Word(),
                  clipArg);
  ossen::TintPixels(target.view, in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), 1, in.Word(),
                    in.Coordinate(), mmx, clipArg);
  ossen::SetPixelAt(target.view, in.Coordinate(), in.Coordinate(), in.Word());
  ossen::GetPixelAt(source.view, in.Coordinate(), in.Coordinate());
  return 0;
}
