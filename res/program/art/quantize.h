// Colour reduction for the generated art: a median cut over the colours of one or more
// pictures, then each pixel mapped to its nearest palette entry.
#pragma once

#include <QtGui/QImage>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace ossen::art {

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};

// A 256-entry colour table; `used` entries are meaningful.
struct ColourTable {
  std::array<Rgb, 256> entries{};
};

// Collects colour counts from pictures (ARGB32, alpha ignored) before the cut.
class ColourHistogram {
 public:
  void Add(const QImage& image, int weight = 1);
  void AddColour(Rgb colour, int weight);
  // At most `count` colours that represent what was added; fewer when fewer are there.
  std::vector<Rgb> MedianCut(int count) const;

 private:
  std::unordered_map<std::uint32_t, std::uint64_t> counts_;
};

// Nearest-entry lookup over chosen entries of a table, cached per colour.
class ColourMapper {
 public:
  // `allowed` are the table indices a pixel may take.
  ColourMapper(const ColourTable& table, std::vector<int> allowed);
  std::uint8_t Nearest(Rgb colour);
  // Row-major indices (top row first) of every pixel of an ARGB32 image.
  std::vector<std::uint8_t> Map(const QImage& image);
  // The same with Floyd-Steinberg error diffusion, for smooth gradients in few colours.
  std::vector<std::uint8_t> MapDithered(const QImage& image);

 private:
  const ColourTable& table_;
  std::vector<int> allowed_;
  std::unordered_map<std::uint32_t, std::uint8_t> cache_;
};

// The index list first..last inclusive, for ColourMapper allowed.
std::vector<int> IndexRange(int first, int last);

// Places `colours` into the table at `allowed`, in order (missing colours leave entries black).
void PlaceColours(const std::vector<Rgb>& colours, const std::vector<int>& allowed, ColourTable& table);

Rgb PixelRgb(QRgb pixel);

}  // namespace ossen::art
