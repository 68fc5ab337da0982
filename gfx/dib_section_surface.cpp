#include "gfx/dib_section_surface.h"

#include <algorithm>
#include <new>
#include <vector>

#include "gfx/dib_image.h"
#include "image/packed_dib.h"
#include "platform/base/cpu.h"

namespace ossen {

namespace {
// LockBits reports the stride in 16 bits, masked to whole words; longer rows are refused
// when the section is made, so the stride handed out is always the real one.
constexpr DWORD kMaxSectionStride = 0xFFFC;
}  // namespace

SurfaceRef<DibSectionSurface> DibSectionSurface::New() {
  std::unique_ptr<DibSectionSurface> section(new (std::nothrow) DibSectionSurface);
  return SurfaceRef<DibSectionSurface>::Adopt(section.release());
}

DibSectionSurface::~DibSectionSurface() { Destroy(); }

void DibSectionSurface::Reset() {
  Surface::Reset();
  memoryDc_ = DeviceContext();
  bits_.Reset();
  stride_ = 0;
  writtenPaletteVersion = 0;
}

void DibSectionSurface::Destroy() { Surface::Destroy(); }

int DibSectionSurface::CreateBlank(int newWidth, int newHeight, DWORD newFormat) {
  Destroy();
  if (BuiltHeaderSize(newFormat) == 0 || newWidth < 1 || newHeight < 1 || newWidth > kMaxDimension ||
      newHeight > kMaxDimension) {
    return kGfxFailed;
  }
  const DWORD stride = RowStride(newFormat, newWidth);
  if (stride == 0 || stride > kMaxSectionStride) return kGfxFailed;
  bits_ = GlobalBlock::Allocate(std::size_t{stride} * static_cast<std::size_t>(newHeight), true);
  if (!bits_) return kGfxFailed;
  stride_ = stride;
  width = static_cast<std::uint16_t>(newWidth);
  height = static_cast<std::uint16_t>(newHeight);
  format = newFormat;
  // An indexed section's table starts all black; the context draws only 8, 24 and 32 bits.
  const int bits = FormatBitsPerPixel(newFormat);
  const std::vector<RGBQUAD> blackTable((newFormat & 0x40000000) ? std::size_t{1} << bits : 0);
  memoryDc_.SelectTarget(PixelTarget{bits_.data(), static_cast<std::ptrdiff_t>(stride), newWidth, newHeight, bits},
                         blackTable.data(), static_cast<int>(blackTable.size()));
  return kGfxOk;
}

int DibSectionSurface::Load(const char* name, DWORD flags, HINSTANCE module, const ResourceId& type,
                            Surface* templateImage, DataSource* callerSource) {
  SurfaceRef<DibImage> image = DibImage::New();
  if (!image) return kGfxFailed;
  const int loaded = image->Load(name, flags & ~kLoadCopyBytes, module, type, templateImage, callerSource);
  if (loaded != 0) return loaded;
  image->Decompress();
  return CopyFrom(image.get());
}

int DibSectionSurface::ConvertFormat(DWORD targetFormat, Palette* targetPalette, DWORD flags) {
  if (!HasImage()) return kGfxNoImage;
  SurfaceRef<DibImage> image = DibImage::New();
  if (!image) return kGfxFailed;
  const int copied = image->CopyFrom(this);
  if (copied != 0) return copied;
  // The palette may be this section's own: hold it across Destroy.
  const PaletteRef keep = PaletteRef::Share(targetPalette);
  Destroy();
  const int converted = image->ConvertFormat(targetFormat, targetPalette, flags);
  const int back = CopyFrom(image.get());
  if (back == 0 && targetPalette) SetPalette(targetPalette);
  return converted != 0 ? converted : back;
}

int DibSectionSurface::SetPalette(Palette* newPalette) {
  if (!HasImage()) return kGfxNoImage;
  if (!newPalette) return Surface::SetPalette(nullptr);
  if (!newPalette->HasEntries()) return kGfxEmptyPalette;
  const int bits = FormatBitsPerPixel(format);
  if (bits == 0 || bits > 8 || newPalette->EntryCount() != (DWORD{1} << bits)) return kGfxPaletteSizeMismatch;
  Surface::SetPalette(newPalette);
  writtenPaletteVersion = newPalette->Version() - 1;
  WritePaletteToTable();
  return kGfxOk;
}

int DibSectionSurface::WritePaletteToTable() {
  if (!palette || palette->Version() == writtenPaletteVersion) return kGfxOk;
  const std::span<const PaletteEntry> entries = palette->Entries();
  std::vector<RGBQUAD> table(entries.size());
  std::transform(entries.begin(), entries.end(), table.begin(), [](const PaletteEntry& entry) {
    return RGBQUAD{entry.blue, entry.green, entry.red, 0};
  });
  memoryDc_.SetDIBColorTable(0, static_cast<UINT>(table.size()), table.data());
  writtenPaletteVersion = palette->Version();
  ++colorTableWrites_;
  return kGfxOk;
}

int DibSectionSurface::LockBits(std::uint8_t*& bits, int& stride) {
  if (!HasImage()) return kGfxNoImage;
  // Drawing through the context is synchronous, so there is nothing to flush first.
  WritePaletteToTable();
  bits = bits_.data();
  stride = static_cast<int>(stride_ & kMaxSectionStride);
  if (accessCount < 0xFFFF) ++accessCount;
  return kGfxOk;
}

int DibSectionSurface::UnlockBits() {
  if (accessCount > 0) --accessCount;
  return kGfxOk;
}

DeviceContext* DibSectionSurface::GetDC() {
  if (!HasImage()) return nullptr;
  WritePaletteToTable();
  if (accessCount < 0xFFFF) ++accessCount;
  return &memoryDc_;
}

void DibSectionSurface::ReleaseDC(DeviceContext* /*dc*/) {}

void DibSectionSurface::Prefetch() {
  if (bits_) TouchPages(bits_.data(), std::size_t{stride_} * height);
}

}  // namespace ossen
