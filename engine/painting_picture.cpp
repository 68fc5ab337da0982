#include "engine/painting_picture.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <utility>

#include "gfx/blit_engine.h"
#include "gfx/dib_section_surface.h"
#include "gfx/pixel_convert.h"
#include "image/jpeg_loader.h"
#include "image/packed_dib.h"
#include "image/pointer_source.h"
#include "image/resource_source.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/temp_files.h"

namespace ossen {
namespace {

// A staged temporary file, removed when the stage ends, whatever path it ends on.
class StagedFile {
 public:
  explicit StagedFile(const char* prefix) {
    if (MakeTempFileName(prefix, winPath_) == 0) winPath_[0] = '\0';
  }
  ~StagedFile() {
    if (winPath_[0] == '\0') return;
    const std::string host = HostPathFromWin(winPath_);
    if (!host.empty()) ::unlink(host.c_str());
  }
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool Made() const { return winPath_[0] != '\0'; }
  const char* WinPath() const { return winPath_; }

 private:
  char winPath_[MAX_PATH] = "";
};

}  // namespace

std::string PreviewResourceName(int painting) { return "A" + std::to_string(painting) + "P"; }
std::string PaintingResourceName(int painting) { return "A" + std::to_string(painting); }

PaletteRef LoadPreviewPalette(HMODULE library, int painting) {
  SurfaceRef<DibSectionSurface> preview = DibSectionSurface::New();
  if (!preview) return {};
  const std::string name = PreviewResourceName(painting);
  if (preview->Load(name.c_str(), kLoadFromResource, library, kPictureResourceType, nullptr, nullptr) != 0) return {};
  const Palette* palette = preview->GetPalette();
  // The copy outlives the preview, whose pixels go at once.
  PaletteRef copy = palette != nullptr ? palette->Clone() : PaletteRef();
  preview->Destroy();
  return copy;
}

SurfaceRef<DibImage> LoadJpegPicture(const char* winPath) {
  GlobalBlock decoded = LoadJpegAsDib(winPath);
  if (!decoded) return {};
  SurfaceRef<DibImage> picture = DibImage::New();
  if (!picture) return {};
  const auto size = static_cast<DWORD>(decoded.size());
  if (picture->AttachSource(std::make_unique<PointerSource>(decoded.Release(), size, true, false)) != 0) return {};
  return picture;
}

SurfaceRef<DibImage> LoadPaintingPicture(HMODULE library, int painting) {
  PaletteRef palette = LoadPreviewPalette(library, painting);
  if (!palette) {
    Trace("painting %d: no preview palette in the picture library", painting);
    return {};
  }
  SurfaceRef<DibImage> picture;
  {
    ResourceSource jpeg(library, PaintingResourceName(painting), kPictureResourceType);
    if (jpeg.data == nullptr) {
      Trace("painting %d: no JPEG file in the picture library", painting);
      return {};
    }
    StagedFile staged("JPG");
    if (!staged.Made()) {
      Trace("painting %d: no temporary file for its JPEG", painting);
      return {};
    }
    if (jpeg.WriteToFile(staged.WinPath()) != jpeg.size) {
      Trace("painting %d: its JPEG could not be staged in %s", painting, staged.WinPath());
      return {};
    }
    picture = LoadJpegPicture(staged.WinPath());
  }
  if (!picture) {
    Trace("painting %d: its JPEG does not decode", painting);
    return {};
  }
  if (picture->ConvertFormat(kFormatIndexed8, palette.get(), kConvertMapToPalette) != 0) {
    Trace("painting %d: cannot be mapped onto its palette", painting);
    return {};
  }
  return picture;
}

SurfaceRef<DibImage> ScaledPicture(Surface& picture, int width, int height) {
  if (picture.format != kFormatIndexed8 || picture.GetPalette() == nullptr) return {};
  SurfaceRef<DibSectionSurface> scaled = DibSectionSurface::New();
  if (!scaled || scaled->CreateBlank(width, height, kFormatIndexed8) != 0) return {};
  PaletteRef palette = picture.GetPalette()->Clone();
  if (!palette || scaled->SetPalette(palette.get()) != 0) return {};
  // A bottom-up source is read with its rows flipped, which gives the same pixels as a
  // top-down copy of it scaled as it is, without making that copy.
  const DWORD flip = picture.IsBottomUp() ? DWORD{kBlitFlip} : DWORD{0};
  if (scaled->BltTo(0, 0, width, height, &picture, 0, 0, picture.Width(), picture.Height(), flip, {}) != 0) return {};
  SurfaceRef<DibImage> result = DibImage::New();
  if (!result || result->CopyFrom(scaled.get()) != 0) return {};
  return result;
}

std::vector<std::uint8_t> PackedDibBytes(DibImage& image) {
  const std::uint8_t* header = image.GetInfoHeader();
  const DataSource* source = image.Source();
  if (header == nullptr || source == nullptr) return {};
  const ByteView dib(header, source->data + source->size);
  const DWORD total = PackedDibTotalSize(dib);
  if (total == 0 || total > dib.size()) return {};
  return std::vector<std::uint8_t>(dib.begin(), dib.begin() + total);
}

bool WriteBitmapFile(const std::string& hostPath, DibImage& image) {
  const std::vector<std::uint8_t> file = BitmapFileFromPackedDib(PackedDibBytes(image));
  return !file.empty() && WriteFileAtomically(hostPath, file.data(), file.size());
}

}  // namespace ossen
