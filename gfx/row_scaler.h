// Nearest-neighbour scaling of 8-bit rows from one width to another, planned once for the
// pair of widths and then used for every row: target pixel x takes source pixel
// floor(x x sourceWidth / targetWidth), the pixel the scaled blits pick.
#pragma once

#include <cstdint>
#include <vector>

namespace ossen {

class RowScaler8 {
 public:
  // Both widths positive.
  RowScaler8(int sourceWidth, int targetWidth);

  // Writes targetWidth bytes to `target` from sourceWidth bytes at `source`; nothing
  // outside either row is read or written.
  void Scale(const std::uint8_t* source, std::uint8_t* target) const;

 private:
  int targetWidth_;
  std::vector<std::uint32_t> offsets_;  // the source pixel of each target pixel
  // The leading groups of 16 target pixels made with one byte shuffle each (SSSE3): the
  // source pixels of such a group lie in the 16 bytes from its first one, all in the row.
  int groups_ = 0;
  std::vector<std::uint32_t> groupStart_;
  std::vector<std::uint8_t> shuffles_;  // 16 per group
};

}  // namespace ossen
