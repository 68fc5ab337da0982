#include "gfx/dib_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "gfx/pixel_convert.h"
#include "image/arle_codec.h"
#include "image/file_source.h"
#include "image/four_cc.h"
#include "image/global_block_source.h"
#include "image/packed_dib.h"
#include "image/pkc_codec.h"
#include "image/pointer_source.h"
#include "image/resource_source.h"
#include "image/trle_codec.h"
#include "platform/base/cpu.h"

namespace ossen {

namespace {

constexpr DWORD kIndexedBit = 0x40000000;

bool StartsWithFileHeader(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// Brackets one access to a data source's bytes.
class SourceLock {
 public:
  explicit SourceLock(DataSource& source) : source_(source) { source_.Lock(); }
  ~SourceLock() { source_.Unlock(); }
  SourceLock(const SourceLock&) = delete;
  SourceLock& operator=(const SourceLock&) = delete;

 private:
  DataSource& source_;
};

// A fixed global block holding a copy of `bytes`, as a data source; null when out of memory.
std::unique_ptr<DataSource> CopyIntoGlobalBlock(std::span<const std::uint8_t> bytes) {
  auto copy = std::make_unique<GlobalBlockSource>(static_cast<DWORD>(bytes.size()), true);
  if (!copy->data) return nullptr;
  std::memcpy(copy->data, bytes.data(), bytes.size());
  return copy;
}

}  // namespace

SurfaceRef<DibImage> DibImage::New() {
  std::unique_ptr<DibImage> image(new (std::nothrow) DibImage);
  return SurfaceRef<DibImage>::Adopt(image.release());
}

DibImage::~DibImage() { Destroy(); }

void DibImage::Reset() {
  Surface::Reset();
  source.reset();
  compressed = 0;
  writtenPaletteVersion = 0;
  lockedBits = nullptr;
  headerOffset_ = 0;
}

void DibImage::Destroy() { Surface::Destroy(); }

std::span<std::uint8_t> DibImage::PackedDib() const {
  if (!source || !source->data || source->size < headerOffset_) return {};
  return std::span<std::uint8_t>(source->data + headerOffset_, source->size - headerOffset_);
}

int DibImage::CreateBlank(int newWidth, int newHeight, DWORD newFormat) {
  Destroy();
  const DWORD headerSize = BuiltHeaderSize(newFormat);
  if (headerSize == 0 || newWidth < 1 || newHeight < 1 || newWidth > kMaxDimension || newHeight > kMaxDimension) {
    return kGfxFailed;
  }
  const std::uint64_t imageBytes = std::uint64_t{RowStride(newFormat, newWidth)} * static_cast<std::uint64_t>(newHeight);
  if (imageBytes == 0 || imageBytes > kMaxImageBytes) return kGfxFailed;
  const auto total = static_cast<DWORD>(headerSize + imageBytes);
  auto block = std::make_unique<GlobalBlockSource>(total, true);
  if (!block->data) return kGfxFailed;
  if (BuildHeader(newWidth, newHeight, newFormat, std::span<std::uint8_t>(block->data, total)) != headerSize) {
    return kGfxFailed;
  }
  return AttachSource(std::move(block));
}

int DibImage::Load(const char* name, DWORD flags, HINSTANCE module, const ResourceId& type, Surface* templateImage,
                   DataSource* callerSource) {
  if (callerSource && callerSource == source.get()) return kGfxFailed;  // emptying would free it
  Destroy();
  std::unique_ptr<DataSource> loaded;
  switch (flags & 0xF) {
    case kLoadFromFile:
      if (!name) return kGfxFailed;
      loaded = std::make_unique<FileSource>(0, name, false, nullptr, true, true);
      break;
    case kLoadFromResource:
      if (!name) return kGfxFailed;
      loaded = std::make_unique<ResourceSource>(module, ResourceId(name), type);
      break;
    case kLoadFromDataSource:
      if (!callerSource || !callerSource->data) return kGfxFailed;
      loaded = std::make_unique<PointerSource>(callerSource->data, callerSource->size, false,
                                               callerSource->readOnly != 0);
      break;
    default:
      return kGfxFailed;
  }
  loaded->Lock();
  if (!loaded->data || loaded->size == 0) return kGfxFailed;
  if (flags & kLoadCopyBytes) {
    loaded = CopyIntoGlobalBlock(std::span<const std::uint8_t>(loaded->data, loaded->size));
    if (!loaded) return kGfxFailed;
  }
  const int attached = AttachSource(std::move(loaded));
  if (attached != 0) return attached;
  if ((flags & kLoadDecompress) && IsCompressed()) Decompress();
  if ((flags & kLoadConvertToTemplate) && templateImage && templateImage->format != 0) {
    return ConvertFormat(templateImage->format, templateImage->GetPalette(), 0);
  }
  return attached;
}

int DibImage::AttachSource(std::unique_ptr<DataSource> newSource) {
  Destroy();
  if (!newSource) return kGfxFailed;
  SourceLock lock(*newSource);
  if (!newSource->data) return kGfxFailed;
  const std::span<const std::uint8_t> bytes(newSource->data, newSource->size);
  const std::size_t offset = StartsWithFileHeader(bytes) ? kFileHeaderBytes : 0;
  if (bytes.size() < offset + kInfoHeaderBytes) return kGfxFailed;
  const ByteView dib = bytes.subspan(offset);
  BitmapInfoHeader header{};
  if (!ReadInfoHeader(dib, header) || header.size != kInfoHeaderBytes) return kGfxFailed;
  // Every later access relies on this: the whole packed DIB is present.
  const DWORD total = PackedDibTotalSize(dib);
  const DWORD newFormat = FormatCodeFromHeader(dib);
  if (total == 0 || total > dib.size() || newFormat == 0) return kGfxFailed;

  width = static_cast<std::uint16_t>(header.width);
  height = static_cast<std::uint16_t>(header.height);
  format = newFormat;
  compressed = header.compression != BI_RGB && header.compression != BI_BITFIELDS;
  headerOffset_ = offset;
  if (format & kIndexedBit) BuildPaletteFromTable(dib);
  source = std::move(newSource);
  return kGfxOk;
}

void DibImage::BuildPaletteFromTable(std::span<const std::uint8_t> dib) {
  const DWORD count = DWORD{1} << FormatBitsPerPixel(format);
  // A table shorter than the format's entries leaves the missing ones black.
  const DWORD stored = std::min<DWORD>(count, (PackedDibHeaderSize(dib) - kInfoHeaderBytes) / 4);
  std::vector<PaletteEntry> entries(count, PaletteEntry{0, 0, 0, 0});
  for (DWORD i = 0; i < stored; ++i) {
    const std::uint8_t* quad = dib.data() + kInfoHeaderBytes + std::size_t{i} * 4;
    entries[i] = PaletteEntry{quad[2], quad[1], quad[0], 0};
  }
  PaletteRef built = Palette::New();
  if (!built || built->Create(count) != 0 || built->SetEntries(entries, 0, count) != 0) return;
  Surface::SetPalette(built.get());
  writtenPaletteVersion = built->Version();
}

std::uint8_t* DibImage::GetInfoHeader() {
  const std::span<std::uint8_t> dib = PackedDib();
  return dib.empty() ? nullptr : dib.data();
}

int DibImage::CopyFrom(Surface* other) {
  if (other == this) return kGfxOk;  // emptying first would lose the picture
  if (other && other->TypeId() != kSurfaceTypeDibImage) return Surface::CopyFrom(other);
  Destroy();
  if (!other) return kGfxFailed;
  auto* image = static_cast<DibImage*>(other);
  if (!image->HasImage() || !image->source) return kGfxNoImage;
  std::unique_ptr<DataSource> copy;
  {
    SourceLock lock(*image->source);
    const std::span<std::uint8_t> dib = image->PackedDib();
    const DWORD total = PackedDibTotalSize(dib);
    if (total == 0 || total > dib.size()) return kGfxFailed;
    copy = CopyIntoGlobalBlock(dib.first(total));
  }
  if (!copy) return kGfxFailed;
  return AttachSource(std::move(copy));
}

int DibImage::ConvertFormat(DWORD targetFormat, Palette* targetPalette, DWORD flags) {
  if (!HasImage() || !source) return kGfxNoImage;
  if (IsCompressed()) return kGfxCompressed;
  if (accessCount > 0) return kGfxBitsLocked;  // the locked bits would dangle
  if (!targetPalette && targetFormat == format) return kGfxOk;
  GlobalBlock converted;
  int result = kGfxFailed;
  {
    SourceLock lock(*source);
    result = ConvertPackedDib(PackedDib(), format, targetFormat, targetPalette, flags, converted);
  }
  if (result != 0) return result;
  const auto size = static_cast<DWORD>(converted.size());
  return AttachSource(std::make_unique<PointerSource>(converted.Release(), size, true, false));
}

int DibImage::SetPalette(Palette* newPalette) {
  if (!HasImage()) return kGfxNoImage;
  if (!newPalette) return Surface::SetPalette(nullptr);
  if (!newPalette->HasEntries()) return kGfxEmptyPalette;
  const int bits = FormatBitsPerPixel(format);
  if (!(format & kIndexedBit) || bits == 0 || bits > 8 || newPalette->EntryCount() != (DWORD{1} << bits)) {
    return kGfxPaletteSizeMismatch;
  }
  Surface::SetPalette(newPalette);
  writtenPaletteVersion = newPalette->Version() - 1;
  return WritePaletteToTable();
}

int DibImage::WritePaletteToTable() {
  if (!palette || palette->Version() == writtenPaletteVersion || !source) return kGfxOk;
  // Bytes of a file or a module, or marked read-only, are never written.
  if (source->kind == DataSource::kFile || source->kind == DataSource::kResource || source->readOnly) return kGfxOk;
  SourceLock lock(*source);
  const std::span<std::uint8_t> dib = PackedDib();
  const DWORD headerSize = PackedDibHeaderSize(dib);
  if (headerSize < kInfoHeaderBytes || headerSize > dib.size()) return kGfxOk;
  // Only the entries the header's table holds: more would overwrite the pixels.
  const std::span<const PaletteEntry> entries = palette->Entries();
  const std::size_t count = std::min<std::size_t>(entries.size(), (headerSize - kInfoHeaderBytes) / 4);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* quad = dib.data() + kInfoHeaderBytes + i * 4;
    quad[0] = entries[i].blue;
    quad[1] = entries[i].green;
    quad[2] = entries[i].red;
    quad[3] = 0;
  }
  return kGfxOk;
}

int DibImage::LockBits(std::uint8_t*& bits, int& stride) {
  if (!HasImage() || !source) return kGfxNoImage;
  if (IsCompressed()) return kGfxCompressed;
  if (accessCount > 0) {
    if (accessCount == 0xFFFF) return kGfxFailed;
    ++accessCount;
    bits = lockedBits;
    stride = static_cast<int>(cachedStride);
    return kGfxOk;
  }
  source->Lock();
  const std::span<std::uint8_t> dib = PackedDib();
  const DWORD headerSize = PackedDibHeaderSize(dib);
  if (dib.empty() || headerSize == 0) {
    source->Unlock();
    return kGfxNoImage;
  }
  lockedBits = dib.data() + headerSize;
  cachedStride = RowStride(format, width);
  accessCount = 1;
  bits = lockedBits;
  stride = static_cast<int>(cachedStride);
  return kGfxOk;
}

int DibImage::UnlockBits() {
  if (accessCount > 1) {
    --accessCount;
  } else if (accessCount == 1) {
    accessCount = 0;
    lockedBits = nullptr;
    cachedStride = 0;
    if (source) source->Unlock();
  }
  return kGfxOk;
}

void DibImage::Prefetch() {
  if (!source) return;
  SourceLock lock(*source);
  if (source->data) TouchPages(source->data, source->size);
}

bool DibImage::ReplaceSource(GlobalBlock block) {
  if (!block) return false;
  const ByteView view = block.view();
  const DWORD total = PackedDibTotalSize(view);
  if (total == 0 || total > view.size() || FormatCodeFromHeader(view) != format) return false;
  BitmapInfoHeader header{};
  ReadInfoHeader(view, header);
  if (header.width != width || header.height != height) return false;
  const auto size = static_cast<DWORD>(block.size());
  source = std::make_unique<PointerSource>(block.Release(), size, true, false);
  headerOffset_ = 0;
  return true;
}

int DibImage::Compress(DWORD requestCode) {
  if (!HasImage() || !source) return kGfxNoImage;
  if (IsCompressed()) return kGfxAlreadyCompressed;
  if (accessCount > 0) return kGfxBitsLocked;
  GlobalBlock (*encoder)(ByteView) = nullptr;
  if (requestCode == kCompressionPkcc) encoder = PkcCompress;
  if (requestCode == kCompressionArle) encoder = ArleEncode;
  if (requestCode == kCompressionPrle) encoder = PrleEncode;
  if (requestCode == kCompressionTrle) encoder = TrleEncode;
  if (!encoder) return kGfxUnknownCompression;
  GlobalBlock encoded;
  {
    SourceLock lock(*source);
    encoded = encoder(PackedDib());
  }
  if (!ReplaceSource(std::move(encoded))) return kGfxUnknownCompression;
  compressed = 1;
  return kGfxOk;
}

int DibImage::Decompress() {
  if (!HasImage() || !source) return kGfxNoImage;
  if (!IsCompressed()) return kGfxNotCompressed;
  GlobalBlock decoded;
  {
    SourceLock lock(*source);
    const std::span<std::uint8_t> dib = PackedDib();
    BitmapInfoHeader header{};
    ReadInfoHeader(dib, header);
    GlobalBlock (*decoder)(ByteView) = nullptr;
    if (header.compression == kCompressionPkc1 || header.compression == kCompressionPkc2) decoder = PkcDecompress;
    if (header.compression == kCompressionArle) decoder = ArleDecode;
    if (header.compression == kCompressionPrle) decoder = PrleDecode;
    if (header.compression == kCompressionTrle) decoder = TrleDecode;
    if (!decoder) return kGfxUnknownCompression;
    decoded = decoder(dib);
  }
  if (!ReplaceSource(std::move(decoded))) return kGfxUnknownCompression;
  compressed = 0;
  return kGfxOk;
}

}  // namespace ossen
