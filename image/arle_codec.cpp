#include "image/arle_codec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/four_cc.h"
#include "image/memo_block.h"
#include "image/packed_dib.h"
#include "image/word_copy.h"

namespace ossen {

namespace {

constexpr std::uint8_t kRunFlag = 0x40;
constexpr std::uint8_t kLongFlag = 0x80;
constexpr std::size_t kShortTokenLimit = 64;  // lengths below this fit the six low bits

// The 8-bit packed DIB with the given compression that `dib` must be.
bool ReadEightBit(ByteView dib, DWORD compression, PackedDibLayout& layout) {
  return ReadPackedDib(dib, layout) && layout.header.bitCount == 8 && layout.header.compression == compression;
}

bool FourEqual(const std::uint8_t* p) { return p[0] == p[1] && p[0] == p[2] && p[0] == p[3]; }

// Writes the tokens of one row of `width` pixels.
class RowEncoder {
 public:
  explicit RowEncoder(std::vector<std::uint8_t>& out) : out_(out) {}

  void Encode(const std::uint8_t* row, std::size_t width) {
    std::size_t i = 0;
    while (i + 3 < width) {
      if (FourEqual(row + i)) {
        std::size_t end = i + 4;
        while (end < width && row[end] == row[i] && end - i < kArleMaxTokenPixels) ++end;
        WriteRun(end - i, row[i]);
        i = end;
        continue;
      }
      // A literal ends where four equal pixels begin; once fewer than four pixels are left
      // to test, it takes the rest of the row.
      std::size_t end = i + 1;
      while (true) {
        if (end + 3 >= width) {
          end = width;
          break;
        }
        if (end - i >= kArleMaxTokenPixels || FourEqual(row + end)) break;
        ++end;
      }
      end = std::min(end, i + kArleMaxTokenPixels);
      WriteLiteral(row + i, end - i);
      i = end;
    }
    if (i < width) WriteLiteral(row + i, width - i);
  }

 private:
  void WriteLength(std::uint8_t flags, std::size_t length) {
    if (length < kShortTokenLimit) {
      out_.push_back(static_cast<std::uint8_t>(flags | length));
    } else {
      out_.push_back(static_cast<std::uint8_t>(kLongFlag | flags | (length >> 8)));
      out_.push_back(static_cast<std::uint8_t>(length & 0xFF));
    }
  }
  void WriteRun(std::size_t length, std::uint8_t value) {
    WriteLength(kRunFlag, length);
    out_.push_back(value);
  }
  void WriteLiteral(const std::uint8_t* pixels, std::size_t length) {
    WriteLength(0, length);
    out_.insert(out_.end(), pixels, pixels + length);
  }

  std::vector<std::uint8_t>& out_;
};

// Decodes one row starting at `offset` of `data` into `width` bytes at `dst`. False when a
// token reaches past the data or past the row.
bool DecodeRow(ByteView data, std::size_t offset, std::uint8_t* dst, std::size_t width) {
  const std::uint8_t* bytes = data.data();
  const std::size_t end = data.size();
  std::size_t pos = offset;
  std::size_t written = 0;
  while (written < width) {
    if (pos >= end) return false;
    const std::uint8_t token = bytes[pos++];
    std::size_t length = token & 0x3F;
    if (token & kLongFlag) {
      if (pos >= end) return false;
      length = length << 8 | bytes[pos++];
    }
    if (length > width - written) return false;
    if (token & kRunFlag) {
      if (pos >= end) return false;
      FillBytes(dst + written, bytes[pos++], length);
    } else {
      if (length > end - pos) return false;
      CopyBytes(dst + written, bytes + pos, length);
      pos += length;
    }
    written += length;
  }
  return true;
}

// A new packed DIB: the header and colour table of `dib`, then `data`, with the code set.
GlobalBlock Assemble(ByteView dib, const PackedDibLayout& layout, ByteView data, DWORD compression) {
  if (data.size() > kMaxImageBytes) return {};  // our own reader would refuse it
  GlobalBlock out = GlobalBlock::Allocate(layout.headerSize + data.size());
  if (!out) return {};
  CopyBytes(out.data(), dib.data(), layout.headerSize);
  if (!data.empty()) std::memcpy(out.data() + layout.headerSize, data.data(), data.size());
  SetCompressionFields(out.data(), compression, static_cast<DWORD>(data.size()));
  return out;
}

}  // namespace

GlobalBlock ArleEncode(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadEightBit(dib, BI_RGB, layout)) return {};
  const auto width = static_cast<std::size_t>(layout.header.width);
  const auto height = static_cast<std::size_t>(layout.header.height);
  const std::uint8_t* rows = dib.data() + layout.headerSize;

  std::vector<std::uint8_t> data(4 * height);
  data.reserve(4 * height + height * (width + width / 32 + 2));
  RowEncoder encoder(data);
  for (std::size_t r = 0; r < height; ++r) {
    const auto offset = static_cast<DWORD>(data.size());
    std::memcpy(data.data() + 4 * r, &offset, 4);
    encoder.Encode(rows + (height - 1 - r) * layout.stride, width);
    if (data.size() > kMaxImageBytes) return {};
  }
  return Assemble(dib, layout, data, kCompressionArle);
}

GlobalBlock ArleDecode(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadEightBit(dib, kCompressionArle, layout)) return {};
  const auto width = static_cast<std::size_t>(layout.header.width);
  const auto height = static_cast<std::size_t>(layout.header.height);
  const ByteView data = dib.subspan(layout.headerSize, layout.imageSize);
  if (data.size() < 4 * height) return {};

  GlobalBlock out = GlobalBlock::Allocate(layout.headerSize + std::size_t{layout.stride} * height);
  if (!out) return {};
  CopyBytes(out.data(), dib.data(), layout.headerSize);
  std::uint8_t* rows = out.data() + layout.headerSize;
  for (std::size_t r = 0; r < height; ++r) {
    DWORD offset;
    std::memcpy(&offset, data.data() + 4 * r, 4);
    std::uint8_t* row = rows + (height - 1 - r) * layout.stride;
    if (!DecodeRow(data, offset, row, width)) return {};
    FillBytes(row + width, 0, layout.stride - width);
  }
  SetCompressionFields(out.data(), BI_RGB, 0);
  return out;
}

GlobalBlock ArleToPrle(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadEightBit(dib, kCompressionArle, layout)) return {};
  GlobalBlock memo = MemoCompress(dib.subspan(layout.headerSize, layout.imageSize));
  if (!memo) return {};
  return Assemble(dib, layout, memo.view(), kCompressionPrle);
}

GlobalBlock PrleToArle(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadEightBit(dib, kCompressionPrle, layout)) return {};
  const ByteView block = dib.subspan(layout.headerSize, layout.imageSize);
  const DWORD unpackedSize = MemoUnpackedSize(block);
  if (unpackedSize > kMaxImageBytes) return {};
  GlobalBlock out = GlobalBlock::Allocate(std::size_t{layout.headerSize} + unpackedSize);
  if (!out) return {};
  if (!MemoDecompressInto(block, std::span(out.data() + layout.headerSize, unpackedSize))) return {};
  CopyBytes(out.data(), dib.data(), layout.headerSize);
  SetCompressionFields(out.data(), kCompressionArle, unpackedSize);
  return out;
}

GlobalBlock PrleEncode(ByteView dib) {
  GlobalBlock arle = ArleEncode(dib);
  return arle ? ArleToPrle(arle.view()) : GlobalBlock();
}

GlobalBlock PrleDecode(ByteView dib) {
  GlobalBlock arle = PrleToArle(dib);
  return arle ? ArleDecode(arle.view()) : GlobalBlock();
}

}  // namespace ossen
