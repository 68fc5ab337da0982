// JPEG files from hostile bytes, through the file path the program uses. A picture that
// loads must be a whole 24-bit packed DIB with zero row padding, and the decoder may
// warn at most once per picture.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/jpeg_loader.h"
#include "image/packed_dib.h"

namespace {

int warningsSeen = 0;
void CountWarning(const char*) { ++warningsSeen; }

// One scratch file per process, unlinked at once so that nothing stays behind however the
// process ends; the loader opens it again through /proc, by a Windows path on drive Z:.
int ScratchFile() {
  static const int fd = [] {
    char name[] = "/tmp/jpeg_fuzz_XXXXXX";
    const int made = mkstemp(name);
    if (made < 0) std::abort();
    unlink(name);
    return made;
  }();
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ScratchFile();
  if (ftruncate(fd, 0) != 0) std::abort();
  if (size && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();

  ossen::SetJpegWarningHook(CountWarning);
  warningsSeen = 0;
  const std::string winPath = "Z:/proc/self/fd/" + std::to_string(fd);
  ossen::GlobalBlock dib = ossen::LoadJpegAsDib(winPath.c_str());
  if (warningsSeen > 1) std::abort();

  // The 32-bit decode reads the same pictures, within its own cap.
  constexpr std::uint64_t kCap = std::uint64_t{1} << 22;
  ossen::DWORD width32 = 0, height32 = 0;
  ossen::HeapBytes xrgb = ossen::DecodeJpegFileAsXrgb(winPath.c_str(), kCap, width32, height32);
  if (xrgb && (width32 < 1 || height32 < 1 || std::uint64_t{width32} * height32 > kCap)) std::abort();
  if (!xrgb && (width32 != 0 || height32 != 0)) std::abort();
  if (!dib) return 0;

  ossen::BitmapInfoHeader header{};
  if (!ossen::ReadInfoHeader(dib.view(), header)) std::abort();
  if (header.width < 1 || header.height < 1 || header.bitCount != 24 || header.compression != 0) std::abort();
  if (xrgb && (ossen::LONG(width32) != header.width || ossen::LONG(height32) != header.height)) std::abort();
  const std::size_t width = static_cast<std::size_t>(header.width);
  const std::size_t stride = (3 * width + 3) & ~std::size_t{3};
  if (dib.size() != 40 + stride * static_cast<std::size_t>(header.height)) std::abort();
  if (ossen::PackedDibTotalSize(dib.view()) != dib.size()) std::abort();
  for (std::size_t row = 0; row < static_cast<std::size_t>(header.height); ++row) {
    const std::uint8_t* end = dib.data() + 40 + stride * row;
    for (std::size_t pad = 3 * width; pad < stride; ++pad)
      if (end[pad] != 0) std::abort();
  }
  return 0;
}
