#include "res/library/rgb_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/packed_dib.h"

namespace ossen {

GlobalBlock RgbToPackedDib(RgbPixels picture) {
  if (!picture.IsValid() || picture.width > kMaxDimension || picture.height > kMaxDimension) return {};
  const DWORD headerSize = BuiltHeaderSize(kFormatRgb888);
  const DWORD stride = RowStride(kFormatRgb888, picture.width);
  const std::size_t total = headerSize + std::size_t{stride} * static_cast<std::size_t>(picture.height);
  if (stride == 0 || total > kMaxImageBytes) return {};
  GlobalBlock dib = GlobalBlock::Allocate(total, true);
  if (!dib || BuildHeader(picture.width, picture.height, kFormatRgb888, {dib.data(), dib.size()}) != headerSize) {
    return {};
  }
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = dib.data() + headerSize + std::size_t{stride} * static_cast<std::size_t>(picture.height - 1 - y);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.Pixel(x, y);
      row[3 * x] = p[2];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[0];
    }
  }
  return dib;
}

namespace {

// For one axis: which source pixels each output pixel covers, and by how much.
struct Coverage {
  int first = 0;
  std::vector<double> weights;  // one per source pixel from `first`, summing to 1
};

std::vector<Coverage> AxisCoverage(int sourceSize, int targetSize) {
  std::vector<Coverage> coverage(static_cast<std::size_t>(targetSize));
  const double scale = static_cast<double>(sourceSize) / targetSize;
  for (int i = 0; i < targetSize; ++i) {
    const double begin = i * scale, end = (i + 1) * scale;
    Coverage& c = coverage[static_cast<std::size_t>(i)];
    c.first = std::min(static_cast<int>(begin), sourceSize - 1);
    const int last = std::min(static_cast<int>(std::ceil(end)), sourceSize);
    for (int j = c.first; j < last; ++j) {
      const double share = std::min<double>(end, j + 1) - std::max<double>(begin, j);
      c.weights.push_back(std::max(share, 0.0) / scale);
    }
    if (c.weights.empty()) c.weights.push_back(1.0);
  }
  return coverage;
}

}  // namespace

std::vector<std::uint8_t> ResampleByArea(RgbPixels picture, int width, int height) {
  if (!picture.IsValid() || width <= 0 || height <= 0) return {};
  const std::vector<Coverage> across = AxisCoverage(picture.width, width);
  const std::vector<Coverage> down = AxisCoverage(picture.height, height);

  // Rows first (every source row to the target width), then columns.
  std::vector<double> narrowed(static_cast<std::size_t>(width) * static_cast<std::size_t>(picture.height) * 3);
  for (int y = 0; y < picture.height; ++y) {
    double* out = narrowed.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
    for (int x = 0; x < width; ++x) {
      const Coverage& c = across[static_cast<std::size_t>(x)];
      for (std::size_t k = 0; k < c.weights.size(); ++k) {
        const std::uint8_t* p = picture.Pixel(c.first + static_cast<int>(k), y);
        for (int channel = 0; channel < 3; ++channel) out[3 * x + channel] += c.weights[k] * p[channel];
      }
    }
  }
  std::vector<std::uint8_t> result(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y) {
    const Coverage& c = down[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        double sum = 0;
        for (std::size_t k = 0; k < c.weights.size(); ++k) {
          const std::size_t row = static_cast<std::size_t>(c.first) + k;
          sum += c.weights[k] * narrowed[(row * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3 +
                                         static_cast<std::size_t>(channel)];
        }
        result[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3 +
               static_cast<std::size_t>(channel)] = static_cast<std::uint8_t>(std::lround(std::clamp(sum, 0.0, 255.0)));
      }
    }
  }
  return result;
}

}  // namespace ossen
