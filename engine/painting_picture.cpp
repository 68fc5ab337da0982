#include "engine/painting_picture.h"

#include <unistd.h>

#include <sys/uio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>
#include <memory>
#include <utility>

#include "gfx/blit_engine.h"
#include "gfx/dib_section_surface.h"
#include "gfx/pixel_convert.h"
#include "gfx/row_scaler.h"
#include "image/jpeg_loader.h"
#include "image/packed_dib.h"
#include "image/pointer_source.h"
#include "image/resource_source.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/draw/nearest_stepper.h"
#include "platform/win32/paths.h"
#include "platform/win32/temp_files.h"

namespace ossen {
namespace {

constexpr std::size_t kColourTableBytes = 256 * 4;
// The distinct rows of one band: small enough to stay in the cache between being made and
// being written.
constexpr std::size_t kBandBytes = std::size_t{256} << 10;
constexpr std::size_t kMaxParts = 1024;
// The widest row an 8-bit section holds, as ScaledPicture's.
constexpr DWORD kMaxRowStride = 0xFFFC;

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

// The colour table a copy of `palette` gets in a new 8-bit image, as the scaled copy's.
bool ColourTableOf(Palette& palette, std::uint8_t* table) {
  SurfaceRef<DibImage> probe = DibImage::New();
  PaletteRef copy = palette.Clone();
  if (!probe || !copy || probe->CreateBlank(1, 1, kFormatIndexed8) != 0 || probe->SetPalette(copy.get()) != 0)
    return false;
  const std::uint8_t* header = probe->GetInfoHeader();
  if (header == nullptr) return false;
  std::memcpy(table, header + kInfoHeaderBytes, kColourTableBytes);
  return true;
}

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

namespace ossen {

bool WriteScaledBitmapFile(const std::string& hostPath, DibImage& picture, int width, int height) {
  Palette* palette = picture.GetPalette();
  if (picture.format != kFormatIndexed8 || palette == nullptr || width < 1 || height < 1 ||
      width > kMaxDimension || height > kMaxDimension)
    return false;
  const int sourceWidth = picture.Width();
  const int sourceHeight = picture.Height();
  const DWORD stride = RowStride(kFormatIndexed8, width);
  const std::uint64_t imageBytes = std::uint64_t{stride} * static_cast<std::uint64_t>(height);
  if (sourceWidth < 1 || sourceHeight < 1 || stride == 0 || stride > kMaxRowStride || imageBytes > kMaxImageBytes)
    return false;

  // File header, info header, colour table.
  constexpr std::size_t kHeadBytes = kFileHeaderBytes + kInfoHeaderBytes + kColourTableBytes;
  std::uint8_t head[kHeadBytes] = {'B', 'M'};
  const auto fileSize = static_cast<DWORD>(kHeadBytes + imageBytes);
  const auto dataOffset = static_cast<DWORD>(kHeadBytes);
  std::memcpy(head + 2, &fileSize, 4);
  std::memcpy(head + 10, &dataOffset, 4);
  if (BuildHeader(width, height, kFormatIndexed8, std::span<std::uint8_t>(head + kFileHeaderBytes, kHeadBytes - kFileHeaderBytes)) !=
          kInfoHeaderBytes + kColourTableBytes ||
      !ColourTableOf(*palette, head + kFileHeaderBytes + kInfoHeaderBytes))
    return false;

  std::uint8_t* bits = nullptr;
  int sourceStride = 0;
  if (picture.LockBits(bits, sourceStride) != 0) return false;
  // Both pictures are stored bottom row first; target row j (from the top) takes source
  // row j x sourceHeight / height (rounded down), as ScaledPicture picks them.
  const RowScaler8 scaler(sourceWidth, width);
  std::vector<int> sourceRowOf(static_cast<std::size_t>(height));
  NearestStepper rows(0, sourceHeight, height);
  for (int& row : sourceRowOf) row = static_cast<int>(rows.Column()), rows.Advance();

  const std::size_t slots = std::max<std::size_t>(1, kBandBytes / stride);
  std::vector<std::uint8_t> band(slots * stride);  // the padding stays zero
  std::vector<struct iovec> parts;
  parts.reserve(kMaxParts);
  parts.push_back({head, kHeadBytes});
  AtomicFileWriter writer(hostPath);
  bool written = true;
  std::size_t used = 0;
  int previous = -1;
  for (int stored = 0; stored < height && written; ++stored) {
    const int row = sourceRowOf[static_cast<std::size_t>(height - 1 - stored)];
    if (row != previous) {
      if (used == slots || parts.size() == kMaxParts) {
        written = writer.Write(parts.data(), static_cast<int>(parts.size()));
        parts.clear();
        used = 0;
      }
      scaler.Scale(bits + static_cast<std::ptrdiff_t>(sourceHeight - 1 - row) * sourceStride, band.data() + used * stride);
      ++used;
      previous = row;
    } else if (parts.size() == kMaxParts) {
      // The row just made is repeated: written again from where it is.
      written = writer.Write(parts.data(), static_cast<int>(parts.size()));
      parts.clear();
    }
    parts.push_back({band.data() + (used - 1) * stride, stride});
  }
  picture.UnlockBits();
  return written && writer.Write(parts.data(), static_cast<int>(parts.size())) && writer.Commit();
}

}  // namespace ossen
