#include "image/trle_codec.h"

#include <cstring>
#include <vector>

#include "image/four_cc.h"
#include "image/packed_dib.h"
#include "image/word_copy.h"

namespace ossen {

namespace {

std::size_t TableEnd(std::size_t height) { return sizeof(TrlePreamble) + sizeof(TrleRowEntry) * height; }

}  // namespace

GlobalBlock TrleEncode(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadPackedDib(dib, layout) || layout.header.bitCount != 8 || layout.header.compression != BI_RGB) return {};
  const auto width = static_cast<std::size_t>(layout.header.width);  // at most 65535: counts fit 16 bits
  const auto height = static_cast<std::size_t>(layout.header.height);
  const std::uint8_t* rows = dib.data() + layout.headerSize;

  std::vector<std::uint8_t> data(TableEnd(height), 0);  // the preamble stays zero: masks unused, code 0
  for (std::size_t r = 0; r < height; ++r) {
    const std::uint8_t* row = rows + (height - 1 - r) * layout.stride;
    std::size_t leading = 0;
    while (leading < width && row[leading] == 0) ++leading;
    std::size_t last = width;
    while (last > leading && row[last - 1] == 0) --last;
    const TrleRowEntry entry{static_cast<DWORD>(data.size()), static_cast<WORD>(leading),
                             static_cast<WORD>(last - leading)};
    std::memcpy(data.data() + sizeof(TrlePreamble) + sizeof entry * r, &entry, sizeof entry);
    data.insert(data.end(), row + leading, row + last);
  }
  if (data.size() > kMaxImageBytes) return {};  // our own reader would refuse it

  GlobalBlock out = GlobalBlock::Allocate(layout.headerSize + data.size());
  if (!out) return {};
  CopyBytes(out.data(), dib.data(), layout.headerSize);
  std::memcpy(out.data() + layout.headerSize, data.data(), data.size());
  SetCompressionFields(out.data(), kCompressionTrle, static_cast<DWORD>(data.size()));
  return out;
}

GlobalBlock TrleDecode(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadPackedDib(dib, layout) || layout.header.compression != kCompressionTrle) return {};
  const WORD bitCount = layout.header.bitCount;
  if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return {};
  // Above 8 bits the preamble sits right after the 40-byte header: a colour table there
  // would make the decoded header disagree with the size rules.
  if (bitCount != 8 && layout.headerSize != kInfoHeaderBytes) return {};

  const auto width = static_cast<std::size_t>(layout.header.width);
  const auto height = static_cast<std::size_t>(layout.header.height);
  const ByteView data = dib.subspan(layout.headerSize, layout.imageSize);
  if (data.size() < TableEnd(height)) return {};
  TrlePreamble preamble;
  std::memcpy(&preamble, data.data(), sizeof preamble);
  const bool bitFields = preamble.compression == BI_BITFIELDS;
  if (preamble.compression != BI_RGB && !(bitFields && bitCount != 8)) return {};

  const std::size_t outHeaderSize = bitCount == 8 ? layout.headerSize : bitFields ? kMaskedHeaderBytes : kInfoHeaderBytes;
  const std::size_t stride = layout.stride;
  GlobalBlock out = GlobalBlock::Allocate(outHeaderSize + stride * height);
  if (!out) return {};
  CopyBytes(out.data(), dib.data(), bitCount == 8 ? layout.headerSize : kInfoHeaderBytes);
  if (bitCount != 8 && bitFields) std::memcpy(out.data() + kInfoHeaderBytes, &preamble, 12);

  const std::size_t pixelBytes = bitCount / 8;
  std::uint8_t* rows = out.data() + outHeaderSize;
  for (std::size_t r = 0; r < height; ++r) {
    TrleRowEntry entry;
    std::memcpy(&entry, data.data() + sizeof(TrlePreamble) + sizeof entry * r, sizeof entry);
    if (std::size_t{entry.leading} + entry.kept > width) return {};
    const std::size_t keptBytes = std::size_t{entry.kept} * pixelBytes;
    if (entry.offset > data.size() || keptBytes > data.size() - entry.offset) return {};
    std::uint8_t* row = rows + (height - 1 - r) * stride;
    const std::size_t leadingBytes = std::size_t{entry.leading} * pixelBytes;
    FillBytes(row, 0, leadingBytes);
    CopyBytes(row + leadingBytes, data.data() + entry.offset, keptBytes);
    FillBytes(row + leadingBytes + keptBytes, 0, stride - leadingBytes - keptBytes);
  }
  SetCompressionFields(out.data(), preamble.compression, 0);
  return out;
}

}  // namespace ossen
