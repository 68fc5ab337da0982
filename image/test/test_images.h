// Packed DIBs made up for the image tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "image/global_block.h"
#include "image/packed_dib.h"

namespace ossen::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(ByteView view) { return Bytes(view.begin(), view.end()); }

inline BitmapInfoHeader HeaderOf(ByteView dib) {
  BitmapInfoHeader header{};
  ReadInfoHeader(dib, header);
  return header;
}

inline void PatchHeader(Bytes& dib, const BitmapInfoHeader& header) { std::memcpy(dib.data(), &header, sizeof header); }

inline void PutWord(Bytes& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

// Pixel bytes with long runs, short runs, zeros and noise mixed, so every token kind occurs.
inline void FillPatterned(std::uint8_t* bytes, std::size_t count, std::mt19937& rng) {
  std::size_t i = 0;
  while (i < count) {
    const std::size_t length = std::min<std::size_t>(count - i, 1 + rng() % 24);
    const int kind = static_cast<int>(rng() % 4);
    const auto value = static_cast<std::uint8_t>(kind == 0 ? 0 : rng());
    for (std::size_t k = 0; k < length; ++k) bytes[i + k] = kind == 3 ? static_cast<std::uint8_t>(rng()) : value;
    i += length;
  }
}

// An uncompressed packed DIB: header (colour table filled with noise, masks 5-6-5 for bit
// fields), then rows with patterned pixels and zero padding.
inline Bytes MakeDib(int width, int height, int bitCount, std::uint32_t compression, std::mt19937& rng) {
  BitmapInfoHeader header{};
  header.size = 40;
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = static_cast<std::uint16_t>(bitCount);
  header.compression = compression;
  Bytes dib(40);
  PatchHeader(dib, header);
  const std::size_t headerSize = PackedDibHeaderSize(dib);
  const std::size_t stride = (static_cast<std::size_t>(bitCount) * width + 31) / 32 * 4;
  dib.resize(headerSize + stride * height);
  for (std::size_t i = 40; i < headerSize; ++i) dib[i] = static_cast<std::uint8_t>(rng());
  if (compression == 3) {
    const std::uint32_t masks[3] = {0xF800, 0x7E0, 0x1F};
    std::memcpy(dib.data() + 40, masks, sizeof masks);
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(bitCount) * width + 7) / 8;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.data() + headerSize + stride * y;
    FillPatterned(row, rowBytes, rng);
    // Bits past the last pixel of a 1-, 2- or 4-bit row are not pixels: keep them zero.
    if (const std::size_t spare = rowBytes * 8 - static_cast<std::size_t>(bitCount) * width) {
      row[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF << spare);
    }
  }
  return dib;
}

// An 8-bit uncompressed DIB whose rows, top row first, are the given pixels.
inline Bytes MakeEightBitRows(const std::vector<Bytes>& topDownRows) {
  std::mt19937 rng(7);
  const int width = static_cast<int>(topDownRows.at(0).size());
  const int height = static_cast<int>(topDownRows.size());
  Bytes dib = MakeDib(width, height, 8, 0, rng);
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  for (int r = 0; r < height; ++r) {
    std::uint8_t* row = dib.data() + 1064 + stride * (height - 1 - r);
    std::memcpy(row, topDownRows[r].data(), width);
  }
  return dib;
}

}  // namespace ossen::testing
