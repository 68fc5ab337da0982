#include "image/memo_block.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace ossen {

static_assert(std::endian::native == std::endian::little, "stored words are read in place");

namespace {

bool ReadHeader(ByteView block, MemoHeader& header) {
  if (block.size() < kMemoHeaderBytes) return false;
  std::memcpy(&header, block.data(), sizeof header);
  return header.magic == kMemoMagic;
}

}  // namespace

GlobalBlock MemoCompress(ByteView source) {
  if (source.size() > kMemoMaxUnpackedBytes) return {};
  // Room for the header and zlib's worst case: 0.1 % growth plus a margin, and never less
  // than zlib's own bound.
  auto capacity = static_cast<std::size_t>(static_cast<double>(source.size()) * 1.001) + 24;
  capacity = std::max<std::size_t>(capacity, kMemoHeaderBytes + compressBound(source.size()));
  GlobalBlock scratch = GlobalBlock::Allocate(capacity);
  if (!scratch) return {};

  uLongf streamLength = capacity - kMemoHeaderBytes;
  if (compress(scratch.data() + kMemoHeaderBytes, &streamLength, source.data(), source.size()) != Z_OK) {
    return {};
  }
  const std::size_t packedSize = kMemoHeaderBytes + streamLength;
  GlobalBlock block = GlobalBlock::Allocate(packedSize);
  if (!block) return {};
  const MemoHeader header{kMemoMagic, static_cast<DWORD>(packedSize), static_cast<DWORD>(source.size())};
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + kMemoHeaderBytes, scratch.data() + kMemoHeaderBytes, streamLength);
  return block;
}

// The header of a block that may be inflated: magic, a packed size inside `block`, an
// unpacked size under the cap.
static bool ReadTrustedHeader(ByteView block, MemoHeader& header) {
  if (!ReadHeader(block, header)) return false;
  if (header.packedSize < kMemoHeaderBytes || header.packedSize > block.size()) return false;
  return header.unpackedSize <= kMemoMaxUnpackedBytes;
}

static bool Inflate(ByteView block, const MemoHeader& header, std::uint8_t* out) {
  uLongf produced = header.unpackedSize;
  const int result = uncompress(out, &produced, block.data() + kMemoHeaderBytes, header.packedSize - kMemoHeaderBytes);
  // A stream that ends short would leave bytes of the output unwritten: that is damage too.
  return result == Z_OK && produced == header.unpackedSize;
}

GlobalBlock MemoDecompress(ByteView block) {
  MemoHeader header;
  if (!ReadTrustedHeader(block, header)) return {};
  GlobalBlock output = GlobalBlock::Allocate(header.unpackedSize);
  if (!output || !Inflate(block, header, output.data())) return {};
  return output;
}

bool MemoDecompressInto(ByteView block, std::span<std::uint8_t> out) {
  MemoHeader header;
  if (!ReadTrustedHeader(block, header) || out.size() != header.unpackedSize) return false;
  return Inflate(block, header, out.data());
}

DWORD MemoPackedSize(ByteView block) {
  MemoHeader header;
  return ReadHeader(block, header) ? header.packedSize : 0;
}

DWORD MemoUnpackedSize(ByteView block) {
  MemoHeader header;
  return ReadHeader(block, header) ? header.unpackedSize : 0;
}

}  // namespace ossen
