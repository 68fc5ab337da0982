#include "image/packed_dib.h"

#include <cstring>

#include "image/four_cc.h"

namespace ossen {

namespace {

constexpr DWORD kMaxExtraColours = 256;  // colour table that a 16-, 24- or 32-bit image may carry

// Stride from a bit count, in 64 bits so a hostile width cannot wrap it.
std::uint64_t StrideForBits(std::uint64_t bitCount, std::uint64_t width) {
  return ((bitCount * width + 7) / 8 + 3) & ~std::uint64_t{3};
}

bool IsIndexedBitCount(WORD bitCount) {
  return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8;
}

// The header-size rule; 0 for an unsupported bit count or an absurd colour count.
std::uint64_t HeaderSizeFor(const BitmapInfoHeader& header) {
  if (IsIndexedBitCount(header.bitCount)) {
    const DWORD tableEntries = DWORD{1} << header.bitCount;
    if (header.colorsUsed > tableEntries) return 0;
    return kInfoHeaderBytes + 4ull * (header.colorsUsed ? header.colorsUsed : tableEntries);
  }
  if (header.bitCount == 16 || header.bitCount == 24 || header.bitCount == 32) {
    if (header.compression == BI_BITFIELDS || header.compression == kCompressionPkc2) return kMaskedHeaderBytes;
    if (header.colorsUsed > kMaxExtraColours) return 0;
    return kInfoHeaderBytes + 4ull * header.colorsUsed;
  }
  return 0;
}

// Header size, image size and decoded stride of a header that passes every rule.
bool Measure(const BitmapInfoHeader& header, PackedDibLayout& layout) {
  if (header.size != kInfoHeaderBytes) return false;
  if (header.width < 1 || header.width > kMaxDimension || header.height < 1 || header.height > kMaxDimension) {
    return false;
  }
  const std::uint64_t headerSize = HeaderSizeFor(header);
  if (headerSize == 0) return false;
  const std::uint64_t stride = StrideForBits(header.bitCount, static_cast<std::uint64_t>(header.width));
  const bool raw = header.compression == BI_RGB || header.compression == BI_BITFIELDS;
  const std::uint64_t imageSize = raw ? stride * static_cast<std::uint64_t>(header.height) : header.imageSize;
  // The decoded rows must fit too, whatever the stored form claims.
  if (imageSize > kMaxImageBytes || stride * static_cast<std::uint64_t>(header.height) > kMaxImageBytes) return false;
  layout.header = header;
  layout.headerSize = static_cast<DWORD>(headerSize);
  layout.imageSize = static_cast<DWORD>(imageSize);
  layout.stride = static_cast<DWORD>(stride);
  return true;
}

bool MeasureView(ByteView dib, PackedDibLayout& layout) {
  BitmapInfoHeader header;
  return ReadInfoHeader(dib, header) && Measure(header, layout);
}

}  // namespace

bool ReadInfoHeader(ByteView dib, BitmapInfoHeader& header) {
  if (dib.size() < kInfoHeaderBytes) return false;
  std::memcpy(&header, dib.data(), sizeof header);
  return true;
}

ByteView FindInfoHeader(ByteView stored) {
  if (stored.size() >= 2 && stored[0] == 'B' && stored[1] == 'M') {
    if (stored.size() < kFileHeaderBytes + kInfoHeaderBytes) return {};
    return stored.subspan(kFileHeaderBytes);
  }
  return stored.size() >= kInfoHeaderBytes ? stored : ByteView();
}

DWORD PackedDibHeaderSize(ByteView dib) {
  PackedDibLayout layout;
  return MeasureView(dib, layout) ? layout.headerSize : 0;
}

DWORD PackedDibImageSize(ByteView dib) {
  PackedDibLayout layout;
  return MeasureView(dib, layout) ? layout.imageSize : 0;
}

DWORD PackedDibTotalSize(ByteView dib) {
  PackedDibLayout layout;
  return MeasureView(dib, layout) ? layout.headerSize + layout.imageSize : 0;
}

std::vector<std::uint8_t> BitmapFileFromPackedDib(ByteView dib) {
  const DWORD headerSize = PackedDibHeaderSize(dib);
  if (headerSize == 0) return {};
  std::vector<std::uint8_t> file(kFileHeaderBytes + dib.size());
  const DWORD fileSize = static_cast<DWORD>(file.size());
  const DWORD dataOffset = static_cast<DWORD>(kFileHeaderBytes + headerSize);
  file[0] = 'B';
  file[1] = 'M';
  std::memcpy(file.data() + 2, &fileSize, 4);
  std::memcpy(file.data() + 10, &dataOffset, 4);
  std::memcpy(file.data() + kFileHeaderBytes, dib.data(), dib.size());
  return file;
}

DWORD RowStride(DWORD formatCode, LONG width) {
  if (width < 0) return 0;
  const std::uint64_t stride = StrideForBits(FormatBitsPerPixel(formatCode), static_cast<std::uint64_t>(width));
  return stride > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(stride);
}

DWORD FormatCodeFromHeader(ByteView dib) {
  BitmapInfoHeader header;
  if (!ReadInfoHeader(dib, header) || header.size != kInfoHeaderBytes) return 0;
  switch (header.bitCount) {
    case 1: return kFormatIndexed1;
    case 2: return kFormatIndexed2;
    case 4: return kFormatIndexed4;
    case 8: return kFormatIndexed8;
    case 24: return kFormatRgb888;
    case 32: return kFormatXrgb8888;
    case 16: {
      if (header.compression == BI_RGB || header.compression == kCompressionPkc1) return kFormatRgb555;
      constexpr std::size_t kGreenMaskOffset = 44;
      if (dib.size() < kGreenMaskOffset + 4) return 0;  // the mask the class depends on is missing
      DWORD greenMask;
      std::memcpy(&greenMask, dib.data() + kGreenMaskOffset, 4);
      return greenMask == 0x3E0 ? kFormatRgb555 : kFormatRgb565;
    }
    default: return 0;
  }
}

DWORD BuiltHeaderSize(DWORD formatCode) {
  switch (formatCode) {
    case kFormatIndexed1:
    case kFormatIndexed2:
    case kFormatIndexed4:
    case kFormatIndexed8: return static_cast<DWORD>(kInfoHeaderBytes + 4 * (DWORD{1} << FormatBitsPerPixel(formatCode)));
    case kFormatRgb555:
    case kFormatRgb565: return static_cast<DWORD>(kMaskedHeaderBytes);
    case kFormatRgb888:
    case kFormatXrgb8888: return static_cast<DWORD>(kInfoHeaderBytes);
    default: return 0;
  }
}

DWORD BuildHeader(LONG width, LONG height, DWORD formatCode, std::span<std::uint8_t> out) {
  const DWORD size = BuiltHeaderSize(formatCode);
  if (size == 0 || out.size() < size) return 0;
  std::memset(out.data(), 0, size);
  BitmapInfoHeader header{};
  header.size = kInfoHeaderBytes;
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = static_cast<WORD>(FormatBitsPerPixel(formatCode));
  header.compression = BI_RGB;
  if (formatCode == kFormatRgb555 || formatCode == kFormatRgb565) {
    header.compression = BI_BITFIELDS;
    const DWORD masks[3] = {formatCode == kFormatRgb555 ? 0x7C00u : 0xF800u,
                            formatCode == kFormatRgb555 ? 0x3E0u : 0x7E0u, 0x1Fu};
    std::memcpy(out.data() + kInfoHeaderBytes, masks, sizeof masks);
  }
  std::memcpy(out.data(), &header, sizeof header);
  return size;
}

bool ReadPackedDib(ByteView dib, PackedDibLayout& layout) {
  if (!MeasureView(dib, layout)) return false;
  return std::uint64_t{layout.headerSize} + layout.imageSize <= dib.size();
}

void SetCompressionFields(std::uint8_t* dib, DWORD compression, DWORD imageSize) {
  std::memcpy(dib + offsetof(BitmapInfoHeader, compression), &compression, 4);
  std::memcpy(dib + offsetof(BitmapInfoHeader, imageSize), &imageSize, 4);
}

}  // namespace ossen
