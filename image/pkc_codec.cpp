#include "image/pkc_codec.h"

#include <cstring>

#include "image/four_cc.h"
#include "image/memo_block.h"
#include "image/packed_dib.h"
#include "image/word_copy.h"

namespace ossen {

GlobalBlock PkcCompress(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadPackedDib(dib, layout)) return {};
  const DWORD compression = layout.header.compression;
  if (compression != BI_RGB && compression != BI_BITFIELDS) return {};

  GlobalBlock memo = MemoCompress(dib.subspan(layout.headerSize, layout.imageSize));
  if (!memo || memo.size() > kMaxImageBytes) return {};  // our own reader would refuse it
  GlobalBlock out = GlobalBlock::Allocate(layout.headerSize + memo.size());
  if (!out) return {};
  CopyBytes(out.data(), dib.data(), layout.headerSize);
  std::memcpy(out.data() + layout.headerSize, memo.data(), memo.size());
  SetCompressionFields(out.data(), compression == BI_BITFIELDS ? kCompressionPkc2 : kCompressionPkc1,
                       static_cast<DWORD>(memo.size()));
  return out;
}

GlobalBlock PkcDecompress(ByteView dib) {
  PackedDibLayout layout;
  if (!ReadPackedDib(dib, layout)) return {};
  const DWORD compression = layout.header.compression;
  if (compression != kCompressionPkc1 && compression != kCompressionPkc2) return {};

  // The block ends where the image's data ends, whatever its own header claims.
  const ByteView block = dib.subspan(layout.headerSize, layout.imageSize);
  const DWORD unpackedSize = MemoUnpackedSize(block);
  // Readers of the result address stride x height bytes of rows: a shorter block would
  // send them past its end.
  if (unpackedSize < std::size_t{layout.stride} * static_cast<std::size_t>(layout.header.height)) return {};
  if (unpackedSize > kMemoMaxUnpackedBytes) return {};
  GlobalBlock out = GlobalBlock::Allocate(std::size_t{layout.headerSize} + unpackedSize);
  if (!out) return {};
  if (!MemoDecompressInto(block, std::span(out.data() + layout.headerSize, unpackedSize))) return {};
  CopyBytes(out.data(), dib.data(), layout.headerSize);
  SetCompressionFields(out.data(), compression == kCompressionPkc2 ? BI_BITFIELDS : BI_RGB, 0);
  return out;
}

}  // namespace ossen
