// Copies and fills that move whole 32-bit words first and the last 0 to 3 bytes after.
// The decoders run every literal and every run through these; the word moves go through
// memcpy so that unaligned source and destination addresses are fine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ossen {

inline void CopyBytes(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  for (std::size_t words = count >> 2; words; --words, dst += 4, src += 4) {
    std::uint32_t word;
    std::memcpy(&word, src, 4);
    std::memcpy(dst, &word, 4);
  }
  for (count &= 3; count; --count) *dst++ = *src++;
}

// Fills `count` bytes with `value`, four at a time with the value in every byte of the word.
inline void FillBytes(std::uint8_t* dst, std::uint8_t value, std::size_t count) {
  const std::uint32_t word = value * 0x01010101u;
  for (std::size_t words = count >> 2; words; --words, dst += 4) std::memcpy(dst, &word, 4);
  for (count &= 3; count; --count) *dst++ = value;
}

}  // namespace ossen
