// A painting of the picture library from hostile bytes, through the apply engine's steps:
// the preview picture whose palette it takes, its JPEG file decoded and mapped onto that
// palette, scaled to a wallpaper and a start-up image and laid out as bitmap files. The
// input is a 16-bit little-endian preview length, the preview bytes, then the JPEG bytes.
// A bitmap file made must hold its pixel data exactly where its header says.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/painting_picture.h"
#include "gfx/dib_image.h"
#include "gfx/dib_section_surface.h"
#include "gfx/pixel_convert.h"
#include "image/packed_dib.h"
#include "image/pointer_source.h"

namespace {

// One scratch file per process, unlinked at once; the loader opens it through /proc.
int ScratchFile() {
  static const int fd = [] {
    char name[] = "/tmp/painting_picture_fuzz_XXXXXX";
    const int made = mkstemp(name);
    if (made < 0) std::abort();
    unlink(name);
    return made;
  }();
  return fd;
}

void CheckBitmapFile(ossen::DibImage& image) {
  const std::vector<std::uint8_t> dib = ossen::PackedDibBytes(image);
  const std::vector<std::uint8_t> file = ossen::BitmapFileFromPackedDib(dib);
  if (dib.empty()) return;
  if (file.size() != dib.size() + 14) std::abort();
  std::uint32_t offset = 0;
  std::memcpy(&offset, file.data() + 10, 4);
  if (offset != 14 + ossen::PackedDibHeaderSize(dib)) std::abort();
  if (offset + ossen::PackedDibImageSize(dib) != file.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ossen;
  if (size < 2) return 0;
  std::size_t previewBytes = data[0] | std::size_t{data[1]} << 8;
  if (previewBytes > size - 2) previewBytes = size - 2;
  const std::uint8_t* preview = data + 2;
  const std::uint8_t* jpeg = preview + previewBytes;
  const std::size_t jpegBytes = size - 2 - previewBytes;

  PaletteRef palette;
  {
    std::vector<std::uint8_t> copy(preview, preview + previewBytes);
    PointerSource bytes(copy.data(), static_cast<DWORD>(copy.size()), false, true);
    SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
    if (section->Load(nullptr, kLoadFromDataSource, nullptr, kPictureResourceType, nullptr, &bytes) == 0 &&
        section->GetPalette() != nullptr) {
      palette = section->GetPalette()->Clone();
    }
  }

  const int fd = ScratchFile();
  if (ftruncate(fd, 0) != 0) std::abort();
  if (jpegBytes && pwrite(fd, jpeg, jpegBytes, 0) != static_cast<ssize_t>(jpegBytes)) std::abort();
  const std::string winPath = "Z:/proc/self/fd/" + std::to_string(fd);
  SurfaceRef<DibImage> picture = LoadJpegPicture(winPath.c_str());
  if (!picture) return 0;
  if (!palette || picture->ConvertFormat(kFormatIndexed8, palette.get(), kConvertMapToPalette) != 0) return 0;
  CheckBitmapFile(*picture);
  for (const auto& [width, height] : {std::pair{7, 5}, std::pair{320, 400}, std::pair{1, 1}}) {
    SurfaceRef<DibImage> scaled = ScaledPicture(*picture, width, height);
    if (!scaled) continue;
    if (scaled->width != width || scaled->height != height) std::abort();
    CheckBitmapFile(*scaled);
  }
  return 0;
}
