#include "desktop/root_picture.h"

#include <pixman.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "image/jpeg_loader.h"
#include "image/packed_dib.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"

namespace ossen {

namespace {

// A picture file is decoded up to this many pixels (four bytes each): a painting, or a kept
// root picture of a few large monitors.
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 25;

// Where the painting goes inside one target rectangle: `drawn` is the part of the target
// that shows it, (sourceX, sourceY) the first drawn pixel's place in the painting scaled to
// scaledWidth x scaledHeight.
struct Placed {
  MonitorRect drawn;
  int sourceX = 0;
  int sourceY = 0;
  int scaledWidth = 0;
  int scaledHeight = 0;
};

// a * b / c rounded to the nearest, for sides below 2^16.
int MulDivRound(int a, int b, int c) {
  return static_cast<int>((std::int64_t{a} * b + c / 2) / c);
}

// The part of a `length` side that a picture side of `scaled` takes when centred on it, and
// where in the picture it starts: a picture longer than the side is cut on both ends.
void CentreOnSide(int start, int length, int scaled, int& drawnStart, int& drawnLength, int& sourceStart) {
  if (scaled >= length) {
    drawnStart = start;
    drawnLength = length;
    sourceStart = (scaled - length) / 2;
  } else {
    drawnStart = start + (length - scaled) / 2;
    drawnLength = scaled;
    sourceStart = 0;
  }
}

Placed Place(const MonitorRect& target, int paintingWidth, int paintingHeight, WallpaperPlacement placement) {
  Placed placed;
  // Painting wider than the target, by shape: width x target height beats height x target width.
  const bool wider = std::int64_t{paintingWidth} * target.height >= std::int64_t{paintingHeight} * target.width;
  switch (placement) {
    case WallpaperPlacement::Fill:
    case WallpaperPlacement::Span:
      placed.scaledWidth = wider ? MulDivRound(paintingWidth, target.height, paintingHeight) : target.width;
      placed.scaledHeight = wider ? target.height : MulDivRound(paintingHeight, target.width, paintingWidth);
      break;
    case WallpaperPlacement::Fit:
      placed.scaledWidth = wider ? target.width : MulDivRound(paintingWidth, target.height, paintingHeight);
      placed.scaledHeight = wider ? MulDivRound(paintingHeight, target.width, paintingWidth) : target.height;
      break;
    case WallpaperPlacement::Stretch:
      placed.scaledWidth = target.width;
      placed.scaledHeight = target.height;
      break;
    case WallpaperPlacement::Center:
      placed.scaledWidth = paintingWidth;
      placed.scaledHeight = paintingHeight;
      break;
    case WallpaperPlacement::Tile:
      placed.drawn = target;
      placed.scaledWidth = paintingWidth;
      placed.scaledHeight = paintingHeight;
      return placed;
  }
  placed.scaledWidth = std::max(placed.scaledWidth, 1);
  placed.scaledHeight = std::max(placed.scaledHeight, 1);
  CentreOnSide(target.x, target.width, placed.scaledWidth, placed.drawn.x, placed.drawn.width, placed.sourceX);
  CentreOnSide(target.y, target.height, placed.scaledHeight, placed.drawn.y, placed.drawn.height, placed.sourceY);
  return placed;
}

MonitorRect BoundingBox(std::span<const MonitorRect> monitors) {
  int left = monitors[0].x, top = monitors[0].y;
  int right = left + monitors[0].width, bottom = top + monitors[0].height;
  for (const MonitorRect& m : monitors) {
    left = std::min(left, m.x);
    top = std::min(top, m.y);
    right = std::max(right, m.x + m.width);
    bottom = std::max(bottom, m.y + m.height);
  }
  return {left, top, right - left, bottom - top};
}

// Whether the targets cover every pixel of the screen once (they come clipped to it).
bool CoverScreen(std::span<const MonitorRect> targets, int screenWidth, int screenHeight) {
  std::int64_t area = 0;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const MonitorRect& a = targets[i];
    area += std::int64_t{a.width} * a.height;
    for (std::size_t j = i + 1; j < targets.size(); ++j) {
      const MonitorRect& b = targets[j];
      if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height) return false;
    }
  }
  return area == std::int64_t{screenWidth} * screenHeight;
}

struct PixmanImageFree {
  void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using PixmanImage = std::unique_ptr<pixman_image_t, PixmanImageFree>;

}  // namespace

std::vector<MonitorRect> UsableMonitors(std::span<const MonitorRect> reported, int screenWidth, int screenHeight) {
  std::vector<MonitorRect> usable;
  for (const MonitorRect& m : reported) {
    if (usable.size() == kMaxMonitors) break;
    // In 64 bits: a server may report anything.
    const std::int64_t left = std::max<std::int64_t>(m.x, 0), top = std::max<std::int64_t>(m.y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{m.x} + m.width, screenWidth);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{m.y} + m.height, screenHeight);
    if (right <= left || bottom <= top) continue;
    const MonitorRect clipped{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                              static_cast<int>(bottom - top)};
    if (std::find(usable.begin(), usable.end(), clipped) == usable.end()) usable.push_back(clipped);
  }
  if (usable.empty() && screenWidth > 0 && screenHeight > 0) usable.push_back({0, 0, screenWidth, screenHeight});
  return usable;
}

RgbPicture BuildRootPicture(const RgbPicture& painting, int screenWidth, int screenHeight,
                            std::span<const MonitorRect> monitors, WallpaperPlacement placement,
                            std::uint32_t background) {
  RgbPicture root;
  if (painting.width <= 0 || painting.height <= 0 || painting.width > kMaxRootSide ||
      painting.height > kMaxRootSide || painting.pixels.size() != std::size_t(painting.width) * painting.height ||
      screenWidth <= 0 || screenHeight <= 0 || screenWidth > kMaxRootSide || screenHeight > kMaxRootSide)
    return root;
  std::vector<MonitorRect> targets = UsableMonitors(monitors, screenWidth, screenHeight);
  if (placement == WallpaperPlacement::Span) targets = {BoundingBox(targets)};

  root.width = screenWidth;
  root.height = screenHeight;
  root.pixels.resize(std::size_t(screenWidth) * screenHeight);
  const int strideWords = screenWidth;
  const bool covered = (placement == WallpaperPlacement::Fill || placement == WallpaperPlacement::Span ||
                        placement == WallpaperPlacement::Stretch || placement == WallpaperPlacement::Tile) &&
                       CoverScreen(targets, screenWidth, screenHeight);
  if (!covered)
    pixman_fill(reinterpret_cast<std::uint32_t*>(root.pixels.data()), strideWords, 32, 0, 0, screenWidth,
                screenHeight, background & 0xFFFFFF);

  // pixman only reads the source.
  PixmanImage source(pixman_image_create_bits(PIXMAN_x8r8g8b8, painting.width, painting.height,
                                              const_cast<std::uint32_t*>(painting.pixels.data()),
                                              painting.width * 4));
  PixmanImage target(pixman_image_create_bits(PIXMAN_x8r8g8b8, screenWidth, screenHeight, root.pixels.data(),
                                              strideWords * 4));
  if (!source || !target) return {};
  pixman_image_set_filter(source.get(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
  // The edge pixels reach to the edge: no blend toward black there.
  pixman_image_set_repeat(source.get(),
                          placement == WallpaperPlacement::Tile ? PIXMAN_REPEAT_NORMAL : PIXMAN_REPEAT_PAD);
  for (const MonitorRect& monitor : targets) {
    const Placed placed = Place(monitor, painting.width, painting.height, placement);
    if (placed.drawn.width <= 0 || placed.drawn.height <= 0) continue;
    pixman_transform_t transform;
    pixman_transform_init_scale(
        &transform, pixman_double_to_fixed(static_cast<double>(painting.width) / placed.scaledWidth),
        pixman_double_to_fixed(static_cast<double>(painting.height) / placed.scaledHeight));
    pixman_image_set_transform(source.get(), &transform);
    pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, target.get(), placed.sourceX, placed.sourceY, 0, 0,
                             placed.drawn.x, placed.drawn.y, placed.drawn.width, placed.drawn.height);
  }
  return root;
}

std::optional<RgbPicture> DecodeBmpPicture(std::span<const std::uint8_t> bytes) {
  const ByteView dib = FindInfoHeader(ByteView(bytes.data(), bytes.size()));
  PackedDibLayout layout{};
  if (dib.empty() || !ReadPackedDib(dib, layout)) return std::nullopt;
  const BitmapInfoHeader& header = layout.header;
  const int bits = header.bitCount;
  if (header.compression != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) return std::nullopt;
  const std::uint64_t pixelCount = std::uint64_t(header.width) * std::uint64_t(header.height);
  if (header.width <= 0 || header.height <= 0 || pixelCount > kMaxPicturePixels) return std::nullopt;

  const std::uint8_t* table = dib.data() + kInfoHeaderBytes;
  const std::size_t tableEntries = bits <= 8 ? (layout.headerSize - kInfoHeaderBytes) / 4 : 0;
  const std::uint8_t* rows = dib.data() + layout.headerSize;

  RgbPicture picture;
  picture.width = header.width;
  picture.height = header.height;
  picture.pixels.resize(pixelCount);
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = rows + std::size_t(picture.height - 1 - y) * layout.stride;
    std::uint32_t* out = picture.pixels.data() + std::size_t(y) * picture.width;
    for (int x = 0; x < picture.width; ++x) {
      if (bits >= 24) {
        const std::uint8_t* p = row + std::size_t(x) * (bits / 8);
        out[x] = (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
        continue;
      }
      const std::size_t bit = std::size_t(x) * bits;
      const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      if (index >= tableEntries) {
        out[x] = 0;  // an index past the colour table shows black
        continue;
      }
      const std::uint8_t* entry = table + std::size_t(index) * 4;
      out[x] = (std::uint32_t(entry[2]) << 16) | (std::uint32_t(entry[1]) << 8) | entry[0];
    }
  }
  return picture;
}

std::optional<RgbPicture> ReadPictureFile(const std::string& hostPath, std::string& reason) {
  unsigned char magic[2] = {0, 0};
  if (std::FILE* file = std::fopen(hostPath.c_str(), "rb")) {
    const std::size_t got = std::fread(magic, 1, 2, file);
    std::fclose(file);
    if (got != 2) magic[0] = 0;
  } else {
    reason = "the picture file " + hostPath + " cannot be opened";
    return std::nullopt;
  }
  if (magic[0] == 0xFF && magic[1] == 0xD8) {
    DWORD width = 0, height = 0;
    HeapBytes rows = DecodeJpegFileAsXrgb(WinPathFromHost(hostPath).c_str(), kMaxPicturePixels, width, height);
    if (!rows) {
      reason = "the picture file " + hostPath + " is a JPEG that cannot be decoded (damaged or too large)";
      return std::nullopt;
    }
    RgbPicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.resize(std::size_t(width) * height);
    std::memcpy(picture.pixels.data(), rows.get(), picture.pixels.size() * 4);
    return picture;
  }
  if (magic[0] == 'B' && magic[1] == 'M') {
    std::vector<std::uint8_t> bytes;
    if (ReadFileBytes(hostPath, kMaxImageBytes + (1 << 16), bytes) == ReadResult::kOk) {
      if (std::optional<RgbPicture> picture = DecodeBmpPicture(bytes)) return picture;
    }
    reason = "the picture file " + hostPath + " is a BMP that cannot be read (damaged or too large)";
    return std::nullopt;
  }
  reason = "the picture file " + hostPath + " is neither a JPEG nor a BMP picture";
  return std::nullopt;
}

}  // namespace ossen
