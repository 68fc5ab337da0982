#include "res/program/art/quantize.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace ossen::art {
namespace {

std::uint32_t Key(Rgb colour) {
  return (std::uint32_t{colour.red} << 16) | (std::uint32_t{colour.green} << 8) | colour.blue;
}

Rgb FromKey(std::uint32_t key) {
  return Rgb{static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 8),
             static_cast<std::uint8_t>(key)};
}

int Channel(Rgb colour, int channel) {
  return channel == 0 ? colour.red : channel == 1 ? colour.green : colour.blue;
}

struct Entry {
  Rgb colour;
  std::uint64_t count;
};

// A box of colours: a run of the entry list.
struct Box {
  std::size_t begin, end;
  std::uint64_t pixels = 0;
  int longestChannel = 0;
  int longestRange = 0;
};

void Measure(const std::vector<Entry>& entries, Box& box) {
  int low[3] = {255, 255, 255};
  int high[3] = {0, 0, 0};
  box.pixels = 0;
  for (std::size_t i = box.begin; i < box.end; ++i) {
    box.pixels += entries[i].count;
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min(low[c], Channel(entries[i].colour, c));
      high[c] = std::max(high[c], Channel(entries[i].colour, c));
    }
  }
  box.longestChannel = 0;
  box.longestRange = -1;
  // Green counts a little more than red, red more than blue, as the eye sees them.
  const int weight[3] = {3, 4, 2};
  int best = -1;
  for (int c = 0; c < 3; ++c) {
    const int score = (high[c] - low[c]) * weight[c];
    if (score > best) {
      best = score;
      box.longestChannel = c;
      box.longestRange = high[c] - low[c];
    }
  }
}

// Boxes split first where many pixels meet a wide range; rare colours still get split once
// the big boxes are narrow.
double Priority(const Box& box) {
  if (box.end - box.begin < 2 || box.longestRange <= 0) return -1.0;
  const double range = box.longestRange;
  return range * range * (1.0 + static_cast<double>(box.pixels) / 64.0);
}

}  // namespace

Rgb PixelRgb(QRgb pixel) {
  return Rgb{static_cast<std::uint8_t>(qRed(pixel)), static_cast<std::uint8_t>(qGreen(pixel)),
             static_cast<std::uint8_t>(qBlue(pixel))};
}

void ColourHistogram::Add(const QImage& image, int weight) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) counts_[Key(PixelRgb(row[x]))] += static_cast<std::uint64_t>(weight);
  }
}

void ColourHistogram::AddColour(Rgb colour, int weight) { counts_[Key(colour)] += static_cast<std::uint64_t>(weight); }

std::vector<Rgb> ColourHistogram::MedianCut(int count) const {
  std::vector<Entry> entries;
  entries.reserve(counts_.size());
  for (const auto& [key, pixels] : counts_) entries.push_back(Entry{FromKey(key), pixels});
  // Hash order is not stable from run to run: sort, so the cut is the same every build.
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return Key(a.colour) < Key(b.colour); });

  std::vector<Box> boxes;
  if (entries.empty() || count <= 0) return {};
  boxes.push_back(Box{0, entries.size()});
  Measure(entries, boxes.back());
  while (static_cast<int>(boxes.size()) < count) {
    std::size_t chosen = boxes.size();
    double best = 0.0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const double priority = Priority(boxes[i]);
      if (priority > best) {
        best = priority;
        chosen = i;
      }
    }
    if (chosen == boxes.size()) break;
    Box box = boxes[chosen];
    const int channel = box.longestChannel;
    std::sort(entries.begin() + static_cast<std::ptrdiff_t>(box.begin), entries.begin() + static_cast<std::ptrdiff_t>(box.end),
              [channel](const Entry& a, const Entry& b) {
                const int ca = Channel(a.colour, channel);
                const int cb = Channel(b.colour, channel);
                return ca != cb ? ca < cb : Key(a.colour) < Key(b.colour);
              });
    // Split at the pixel-weighted median, never leaving a side empty.
    std::uint64_t seen = 0;
    std::size_t split = box.begin + 1;
    for (std::size_t i = box.begin; i < box.end - 1; ++i) {
      seen += entries[i].count;
      split = i + 1;
      if (seen * 2 >= box.pixels) break;
    }
    Box low{box.begin, split};
    Box high{split, box.end};
    Measure(entries, low);
    Measure(entries, high);
    boxes[chosen] = low;
    boxes.push_back(high);
  }

  std::vector<Rgb> colours;
  for (const Box& box : boxes) {
    std::uint64_t sum[3] = {0, 0, 0};
    for (std::size_t i = box.begin; i < box.end; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += static_cast<std::uint64_t>(Channel(entries[i].colour, c)) * entries[i].count;
    }
    const std::uint64_t n = std::max<std::uint64_t>(box.pixels, 1);
    colours.push_back(Rgb{static_cast<std::uint8_t>((sum[0] + n / 2) / n), static_cast<std::uint8_t>((sum[1] + n / 2) / n),
                          static_cast<std::uint8_t>((sum[2] + n / 2) / n)});
  }
  // Dark to light, so the tables read well in a dump.
  std::sort(colours.begin(), colours.end(), [](Rgb a, Rgb b) {
    const int la = a.red * 3 + a.green * 4 + a.blue * 2;
    const int lb = b.red * 3 + b.green * 4 + b.blue * 2;
    return la != lb ? la < lb : Key(a) < Key(b);
  });
  return colours;
}

ColourMapper::ColourMapper(const ColourTable& table, std::vector<int> allowed) : table_(table), allowed_(std::move(allowed)) {}

std::uint8_t ColourMapper::Nearest(Rgb colour) {
  const std::uint32_t key = Key(colour);
  if (auto found = cache_.find(key); found != cache_.end()) return found->second;
  int bestIndex = allowed_.empty() ? 0 : allowed_.front();
  int bestDistance = std::numeric_limits<int>::max();
  for (int index : allowed_) {
    const Rgb& entry = table_.entries[static_cast<std::size_t>(index)];
    const int dr = entry.red - colour.red;
    const int dg = entry.green - colour.green;
    const int db = entry.blue - colour.blue;
    const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      bestIndex = index;
    }
  }
  const auto result = static_cast<std::uint8_t>(bestIndex);
  cache_.emplace(key, result);
  return result;
}

std::vector<std::uint8_t> ColourMapper::Map(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(argb.width()) * static_cast<std::size_t>(argb.height()));
  std::size_t at = 0;
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) indices[at++] = Nearest(PixelRgb(row[x]));
  }
  return indices;
}

std::vector<std::uint8_t> ColourMapper::MapDithered(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  const int width = argb.width();
  const int height = argb.height();
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  // Errors in sixteenths, for this row and the next, with a pixel of room on each side.
  std::vector<int> current(3 * static_cast<std::size_t>(width + 2), 0);
  std::vector<int> next(current.size(), 0);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    std::fill(next.begin(), next.end(), 0);
    for (int x = 0; x < width; ++x) {
      const std::size_t at = 3 * static_cast<std::size_t>(x + 1);
      const Rgb original = PixelRgb(row[x]);
      int wanted[3] = {original.red + current[at] / 16, original.green + current[at + 1] / 16,
                       original.blue + current[at + 2] / 16};
      for (int& channel : wanted) channel = std::clamp(channel, 0, 255);
      const std::uint8_t index = Nearest(Rgb{static_cast<std::uint8_t>(wanted[0]), static_cast<std::uint8_t>(wanted[1]),
                                             static_cast<std::uint8_t>(wanted[2])});
      indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = index;
      const Rgb& got = table_.entries[index];
      const int error[3] = {wanted[0] - got.red, wanted[1] - got.green, wanted[2] - got.blue};
      for (int c = 0; c < 3; ++c) {
        current[at + 3 + static_cast<std::size_t>(c)] += error[c] * 7;
        next[at - 3 + static_cast<std::size_t>(c)] += error[c] * 3;
        next[at + static_cast<std::size_t>(c)] += error[c] * 5;
        next[at + 3 + static_cast<std::size_t>(c)] += error[c] * 1;
      }
    }
    std::swap(current, next);
  }
  return indices;
}

std::vector<int> IndexRange(int first, int last) {
  std::vector<int> allowed;
  for (int i = first; i <= last; ++i) allowed.push_back(i);
  return allowed;
}

void PlaceColours(const std::vector<Rgb>& colours, const std::vector<int>& allowed, ColourTable& table) {
  for (std::size_t i = 0; i < colours.size() && i < allowed.size(); ++i) {
    table.entries[static_cast<std::size_t>(allowed[i])] = colours[i];
  }
}

}  // namespace ossen::art
