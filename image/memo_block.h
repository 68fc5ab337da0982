// MEMO blocks: a 12-byte header ("MEMO", packed size, unpacked size) and one zlib stream.
//
// The readers take the bytes that hold the block, not just its start: a block is only
// trusted as far as those bytes reach.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/global_block.h"
#include "platform/base/win_types.h"

namespace ossen {

struct MemoHeader {
  DWORD magic;         // "MEMO"
  DWORD packedSize;    // whole block, header included
  DWORD unpackedSize;  // bytes the stream inflates to
};
static_assert(sizeof(MemoHeader) == 12);
static_assert(offsetof(MemoHeader, packedSize) == 4 && offsetof(MemoHeader, unpackedSize) == 8);

inline constexpr DWORD kMemoMagic = 0x4F4D454D;  // the bytes 4D 45 4D 4F
inline constexpr std::size_t kMemoHeaderBytes = sizeof(MemoHeader);
// No block holds more than this once inflated; a larger claim marks a damaged block.
inline constexpr std::size_t kMemoMaxUnpackedBytes = std::size_t{256} << 20;

// A new block holding `source` compressed at zlib's default level, exactly packed-size
// bytes long; null when the source is larger than kMemoMaxUnpackedBytes or memory runs out.
GlobalBlock MemoCompress(ByteView source);

// A new buffer of exactly unpacked-size bytes, or null when the magic does not match, the
// packed size is below 12 or beyond `block`, the unpacked size exceeds the cap, or the
// stream does not inflate to exactly the unpacked size.
GlobalBlock MemoDecompress(ByteView block);

// Inflates the block straight into `out`, which must be exactly unpacked-size bytes long;
// false on the same refusals as MemoDecompress. Lets a caller that wraps the rows in a
// larger block skip one copy.
bool MemoDecompressInto(ByteView block, std::span<std::uint8_t> out);

// The header's fields when `block` holds a whole header with the magic, else 0.
DWORD MemoPackedSize(ByteView block);
DWORD MemoUnpackedSize(ByteView block);

}  // namespace ossen
