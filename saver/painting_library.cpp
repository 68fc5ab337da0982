#include "saver/painting_library.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "gfx/blit_engine.h"
#include "image/jpeg_loader.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "platform/win32/temp_files.h"
#include "product/product_names.h"

namespace ossen {

namespace {


// Removes the temporary copy of a painting however the decode ends.
class TempFile {
 public:
  TempFile() {
    char name[MAX_PATH] = "";
    if (MakeTempFileName("JPG", name) != 0) winPath_ = name;
  }
  ~TempFile() {
    if (!winPath_.empty()) ::unlink(HostPathFromWin(winPath_).c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& winPath() const { return winPath_; }

 private:
  std::string winPath_;
};

// A scratch copy needs no flush to the disk: it is read at once and deleted.
bool WriteScratch(const std::string& hostPath, const void* bytes, std::size_t size) {
  std::FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

PaintingLibrary PaintingLibrary::Open() {
  char sourcePath[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, sourcePath, sizeof sourcePath);
  if (sourcePath[0] != '\0') {
    std::string path = sourcePath;
    if (path.back() != '\\') path += '\\';
    PaintingLibrary installed = OpenFile((path + product::kPictureLibraryName).c_str());
    if (installed.IsOpen()) return installed;
  }
  return PaintingLibrary(LoadLibrary(product::kPictureLibraryName));
}

PaintingLibrary PaintingLibrary::OpenFile(const char* winPath) { return PaintingLibrary(LoadLibrary(winPath)); }

PaintingLibrary::PaintingLibrary(PaintingLibrary&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}

PaintingLibrary& PaintingLibrary::operator=(PaintingLibrary&& other) noexcept {
  std::swap(module_, other.module_);
  return *this;
}

PaintingLibrary::~PaintingLibrary() {
  if (module_) FreeLibrary(module_);
}

SurfaceRef<DibSectionSurface> PaintingLibrary::LoadPainting(int n) const {
  if (!module_) return {};
  char name[16];
  std::snprintf(name, sizeof name, "A%i", n);
  const HRSRC found = FindResource(module_, name, "BIN");
  const DWORD size = SizeofResource(module_, found);
  const void* bytes = LockResource(LoadResource(module_, found));
  if (!bytes || size == 0) return {};

  // The decoder reads files: the painting goes through a temporary copy, as when it is applied.
  const TempFile copy;
  if (copy.winPath().empty() || !WriteScratch(HostPathFromWin(copy.winPath()), bytes, size)) {
    Trace("ossen.scr: no temporary file for painting %d\n", n);
    return {};
  }
  DWORD width = 0;
  DWORD height = 0;
  const HeapBytes rgb = DecodeJpegFile(copy.winPath().c_str(), width, height);
  if (!rgb) return {};

  SurfaceRef<DibSectionSurface> picture = DibSectionSurface::New();
  if (!picture || picture->CreateBlank(static_cast<int>(width), static_cast<int>(height), kFormatRgb888) != 0) return {};
  std::uint8_t* bits = nullptr;
  int stride = 0;
  if (picture->LockBits(bits, stride) != 0) return {};
  // Red, green, blue from the decoder; blue first in a 24-bit surface.
  for (DWORD y = 0; y < height; ++y) {
    const std::uint8_t* in = rgb.get() + std::size_t{3} * width * y;
    std::uint8_t* out = bits + static_cast<std::size_t>(stride) * y;
    for (DWORD x = 0; x < width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  picture->UnlockBits();
  return picture;
}

}  // namespace ossen
