// Read-only tables the pixel kernels share: the ordered-dither thresholds and the blend
// product table.
#pragma once

#include <array>
#include <cstdint>

namespace ossen {

// The 8 x 8 Bayer index matrix plus 1, so thresholds run 1 to 64. The threshold of a
// target pixel is taken at (x mod 8, y mod 8) of the target, so the pattern stays fixed
// to the target whatever the source position.
inline constexpr std::uint8_t kDitherThreshold[8][8] = {
    {1, 33, 9, 41, 3, 35, 11, 43},   {49, 17, 57, 25, 51, 19, 59, 27},
    {13, 45, 5, 37, 15, 47, 7, 39},  {61, 29, 53, 21, 63, 31, 55, 23},
    {4, 36, 12, 44, 2, 34, 10, 42},  {52, 20, 60, 28, 50, 18, 58, 26},
    {16, 48, 8, 40, 14, 46, 6, 38},  {64, 32, 56, 24, 62, 30, 54, 22},
};

inline int DitherThreshold(int x, int y) { return kDitherThreshold[y & 7][x & 7]; }

// Entry [a][v] = 8 x a x v: every plain blend is two lookups and a shift.
using BlendProductTable = std::array<std::array<std::uint16_t, 32>, 32>;

constexpr BlendProductTable MakeBlendProductTable() {
  BlendProductTable table{};
  for (int a = 0; a < 32; ++a)
    for (int v = 0; v < 32; ++v) table[a][v] = static_cast<std::uint16_t>(8 * a * v);
  return table;
}

inline constexpr BlendProductTable kBlendProduct = MakeBlendProductTable();

// Translucency levels and tint weights are used in 1..255 only: 0 and 256 would index
// past the product table.
inline int ClampLevel(int level) { return level < 1 ? 1 : (level > 255 ? 255 : level); }

}  // namespace ossen
