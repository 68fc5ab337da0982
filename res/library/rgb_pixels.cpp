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
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* out = dib.data() + headerSize + std::size_t{stride} * static_cast<std::size_t>(picture.height - 1 - y);
    const std::uint8_t* in = picture.Pixel(0, y);
    for (std::size_t i = 0; i < rowBytes; i += 3) {
      out[i] = in[i + 2];
      out[i + 1] = in[i + 1];
      out[i + 2] = in[i];
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
  const std::size_t outRow = static_cast<std::size_t>(width) * 3;
  std::vector<double> narrowed(outRow * static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* in = picture.Pixel(0, y);
    double* out = narrowed.data() + static_cast<std::size_t>(y) * outRow;
    for (const Coverage& c : across) {
      const std::uint8_t* p = in + static_cast<std::size_t>(c.first) * 3;
      for (double weight : c.weights) {
        out[0] += weight * p[0];
        out[1] += weight * p[1];
        out[2] += weight * p[2];
        p += 3;
      }
      out += 3;
    }
  }
  std::vector<std::uint8_t> result(outRow * static_cast<std::size_t>(height));
  std::vector<double> sums(outRow);
  for (int y = 0; y < height; ++y) {
    const Coverage& c = down[static_cast<std::size_t>(y)];
    std::fill(sums.begin(), sums.end(), 0.0);
    for (std::size_t k = 0; k < c.weights.size(); ++k) {
      const double weight = c.weights[k];
      const double* in = narrowed.data() + (static_cast<std::size_t>(c.first) + k) * outRow;
      double* sum = sums.data();
      for (std::size_t i = 0; i < outRow; ++i) sum[i] += weight * in[i];
    }
    std::uint8_t* out = result.data() + static_cast<std::size_t>(y) * outRow;
    for (std::size_t i = 0; i < outRow; ++i) {
      out[i] = static_cast<std::uint8_t>(std::lround(std::clamp(sums[i], 0.0, 255.0)));
    }
  }
  return result;
}

}  // namespace ossen
