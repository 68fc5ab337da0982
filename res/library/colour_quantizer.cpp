#include "res/library/colour_quantizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ossen {
namespace {

// Colours are compared in Oklab, where equal distances look about equally different.
struct Lab {
  double l = 0, a = 0, b = 0;
};

double Channel(const Lab& c, int axis) { return axis == 0 ? c.l : axis == 1 ? c.a : c.b; }

double DistanceSquared(const Lab& x, const Lab& y) {
  const double dl = x.l - y.l, da = x.a - y.a, db = x.b - y.b;
  return dl * dl + da * da + db * db;
}

double SrgbToLinear(double value) {
  const double v = value / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double v) {
  v = std::clamp(v, 0.0, 1.0);
  return 255.0 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055);
}

Lab ToOklab(double red, double green, double blue) {
  const double r = SrgbToLinear(red), g = SrgbToLinear(green), b = SrgbToLinear(blue);
  const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
  const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
  const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
  return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
          1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
          0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

BYTE ToByte(double v) { return static_cast<BYTE>(std::lround(std::clamp(v, 0.0, 255.0))); }

PaletteEntry FromOklab(const Lab& c) {
  const double l = c.l + 0.3963377774 * c.a + 0.2158037573 * c.b;
  const double m = c.l - 0.1055613458 * c.a - 0.0638541728 * c.b;
  const double s = c.l - 0.0894841775 * c.a - 1.2914855480 * c.b;
  const double l3 = l * l * l, m3 = m * m * m, s3 = s * s * s;
  const double r = 4.0767416621 * l3 - 3.3077115913 * m3 + 0.2309699292 * s3;
  const double g = -1.2684380046 * l3 + 2.6097574011 * m3 - 0.3413193965 * s3;
  const double b = -0.0041960863 * l3 - 0.7034186147 * m3 + 1.7076147010 * s3;
  return {ToByte(LinearToSrgb(r)), ToByte(LinearToSrgb(g)), ToByte(LinearToSrgb(b)), 0};
}

std::uint32_t PackRgb(const std::uint8_t* p) { return std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]; }

// The picture's distinct colours, most used first; empty when there are more than `limit`.
std::vector<PaletteEntry> FewDistinctColours(RgbPixels picture, std::size_t limit) {
  std::unordered_map<std::uint32_t, std::size_t> counts;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      ++counts[PackRgb(picture.Pixel(x, y))];
      if (counts.size() > limit) return {};
    }
  }
  std::vector<std::pair<std::uint32_t, std::size_t>> byUse(counts.begin(), counts.end());
  std::sort(byUse.begin(), byUse.end(), [](const auto& x, const auto& y) {
    return x.second != y.second ? x.second > y.second : x.first < y.first;
  });
  std::vector<PaletteEntry> colours;
  for (const auto& [rgb, count] : byUse) {
    colours.push_back({static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb), 0});
  }
  return colours;
}

// One cell of the histogram: the mean colour of the pixels that fell into it and how many.
struct Sample {
  Lab colour;
  double weight = 0;
};

// Every pixel counted into cells of 5 bits per channel; each cell keeps its exact mean, so
// the centres computed from cells stay precise while the work is bounded by 32768 cells.
std::vector<Sample> BuildHistogram(RgbPixels picture) {
  struct Cell {
    std::uint64_t count = 0, red = 0, green = 0, blue = 0;
  };
  std::vector<Cell> cells(32768);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.Pixel(x, y);
      Cell& cell = cells[InverseTableIndex(p[0], p[1], p[2])];
      ++cell.count;
      cell.red += p[0];
      cell.green += p[1];
      cell.blue += p[2];
    }
  }
  std::vector<Sample> samples;
  for (const Cell& cell : cells) {
    if (cell.count == 0) continue;
    const double n = static_cast<double>(cell.count);
    samples.push_back({ToOklab(static_cast<double>(cell.red) / n, static_cast<double>(cell.green) / n,
                               static_cast<double>(cell.blue) / n),
                       n});
  }
  return samples;
}

using Members = std::vector<std::uint32_t>;

// A group of samples served by one palette entry.
struct Box {
  Members members;
  Lab centre;
  bool fixed = false;  // its centre belongs to the preview band and never moves
  double error = 0;    // weighted squared distance of the members to the centre
};

Lab WeightedMean(const std::vector<Sample>& samples, const Members& members) {
  Lab sum;
  double weight = 0;
  for (std::uint32_t i : members) {
    sum.l += samples[i].colour.l * samples[i].weight;
    sum.a += samples[i].colour.a * samples[i].weight;
    sum.b += samples[i].colour.b * samples[i].weight;
    weight += samples[i].weight;
  }
  if (weight > 0) sum = {sum.l / weight, sum.a / weight, sum.b / weight};
  return sum;
}

double BoxError(const std::vector<Sample>& samples, const Box& box) {
  double error = 0;
  for (std::uint32_t i : box.members) error += samples[i].weight * DistanceSquared(samples[i].colour, box.centre);
  return error;
}

// Splits the box across its widest axis (by weighted variance) at the weighted median.
// Returns false for a box that cannot be split.
bool SplitAtMedian(const std::vector<Sample>& samples, Box& box, Members& lower, Members& upper) {
  if (box.members.size() < 2) return false;
  const Lab mean = WeightedMean(samples, box.members);
  double spread[3] = {0, 0, 0};
  for (std::uint32_t i : box.members) {
    for (int axis = 0; axis < 3; ++axis) {
      const double d = Channel(samples[i].colour, axis) - Channel(mean, axis);
      spread[axis] += samples[i].weight * d * d;
    }
  }
  const int axis = static_cast<int>(std::max_element(spread, spread + 3) - spread);
  Members sorted = box.members;
  std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t x, std::uint32_t y) {
    const double cx = Channel(samples[x].colour, axis), cy = Channel(samples[y].colour, axis);
    return cx != cy ? cx < cy : x < y;
  });
  double total = 0;
  for (std::uint32_t i : sorted) total += samples[i].weight;
  double running = 0;
  std::size_t cut = 1;
  for (; cut < sorted.size(); ++cut) {
    running += samples[sorted[cut - 1]].weight;
    if (running >= total / 2) break;
  }
  cut = std::clamp<std::size_t>(cut, 1, sorted.size() - 1);
  lower.assign(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(cut));
  upper.assign(sorted.begin() + static_cast<std::ptrdiff_t>(cut), sorted.end());
  return true;
}

// Splits the box with the largest error until there are `count` boxes or none can be
// split. A fixed box keeps its centre and the half nearer to it; the other half becomes a
// new box, so the new entry goes where the fixed one serves worst.
void SplitUntil(const std::vector<Sample>& samples, std::vector<Box>& boxes, std::size_t count) {
  while (boxes.size() < count) {
    std::size_t worst = boxes.size();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].members.size() < 2 || boxes[i].error <= 0) continue;
      if (worst == boxes.size() || boxes[i].error > boxes[worst].error) worst = i;
    }
    if (worst == boxes.size()) return;
    Members lower, upper;
    if (!SplitAtMedian(samples, boxes[worst], lower, upper)) return;
    Box low{std::move(lower), {}, false, 0};
    Box high{std::move(upper), {}, false, 0};
    low.centre = WeightedMean(samples, low.members);
    high.centre = WeightedMean(samples, high.members);
    Box& kept = boxes[worst];
    if (kept.fixed) {
      const bool lowNearer = DistanceSquared(low.centre, kept.centre) <= DistanceSquared(high.centre, kept.centre);
      Box& near = lowNearer ? low : high;
      Box& far = lowNearer ? high : low;
      kept.members = std::move(near.members);
      kept.error = BoxError(samples, kept);
      far.error = BoxError(samples, far);
      boxes.push_back(std::move(far));
    } else {
      low.error = BoxError(samples, low);
      high.error = BoxError(samples, high);
      kept = std::move(low);
      boxes.push_back(std::move(high));
    }
  }
}

// Weighted k-means passes: every sample joins its nearest centre, then each centre that is
// not fixed moves to the mean of its members.
void RefineCentres(const std::vector<Sample>& samples, std::vector<Box>& boxes, int passes) {
  std::vector<Lab> centres(boxes.size());
  for (int pass = 0; pass < passes; ++pass) {
    for (std::size_t c = 0; c < boxes.size(); ++c) {
      boxes[c].members.clear();
      centres[c] = boxes[c].centre;
    }
    const Lab* centre = centres.data();
    const std::size_t count = centres.size();
    for (std::uint32_t i = 0; i < samples.size(); ++i) {
      const Lab colour = samples[i].colour;
      std::size_t nearest = 0;
      double best = DistanceSquared(colour, centre[0]);
      for (std::size_t c = 1; c < count; ++c) {
        const double d = DistanceSquared(colour, centre[c]);
        if (d < best) {
          best = d;
          nearest = c;
        }
      }
      boxes[nearest].members.push_back(i);
    }
    for (Box& box : boxes) {
      if (!box.fixed && !box.members.empty()) box.centre = WeightedMean(samples, box.members);
    }
  }
  for (Box& box : boxes) box.error = BoxError(samples, box);
}

// Twice as many passes change the collection's mean error by well under 1%.
constexpr int kBandPasses = 8;
constexpr int kRefinementPasses = 6;

}  // namespace

PictureColours QuantizeColours(RgbPixels picture) {
  PictureColours palette{};
  if (!picture.IsValid()) return palette;

  std::vector<PaletteEntry> colours = FewDistinctColours(picture, kPaletteSize);
  if (colours.empty()) {
    const std::vector<Sample> samples = BuildHistogram(picture);
    Members all(samples.size());
    std::iota(all.begin(), all.end(), 0u);
    std::vector<Box> boxes;
    boxes.push_back({std::move(all), {}, false, 0});
    boxes[0].centre = WeightedMean(samples, boxes[0].members);
    boxes[0].error = BoxError(samples, boxes[0]);

    // The preview band: a 100-colour quantization of its own.
    SplitUntil(samples, boxes, kPreviewBandSize);
    RefineCentres(samples, boxes, kBandPasses);
    for (Box& box : boxes) box.fixed = true;

    // The rest refines it where its error is largest.
    SplitUntil(samples, boxes, kPaletteSize);
    RefineCentres(samples, boxes, kRefinementPasses);
    for (const Box& box : boxes) colours.push_back(FromOklab(box.centre));
  }
  // Fewer colours than entries: the rest repeat the first and add nothing.
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = colours[i < colours.size() ? i : 0];
  return palette;
}

}  // namespace ossen
