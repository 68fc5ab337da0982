#include "gfx/blit_engine.h"

#include <algorithm>
#include <cstdint>

#include "gfx/blit_kernels.h"
#include "gfx/blit_tables.h"

namespace ossen {

bool IsUsablePixelBuffer(const PixelBuffer& buffer) {
  const int bitsPerPixel = FormatBitsPerPixel(buffer.format);
  switch (bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  if (buffer.bits == nullptr || buffer.width < 0 || buffer.height < 0 || buffer.stride <= 0) return false;
  const std::int64_t rowBytes = (static_cast<std::int64_t>(buffer.width) * bitsPerPixel + 7) / 8;
  return buffer.stride >= rowBytes && buffer.stride <= INT64_MAX / (std::int64_t{buffer.height} + 1);
}

int BlitClip(int targetWidth, int targetHeight, int sourceWidth, int sourceHeight, std::uint32_t flags,
             const PixelRect* clip, BlitRects& rects) {
  const std::int64_t dx = rects.dx, dy = rects.dy, dw = rects.dw, dh = rects.dh;
  const std::int64_t sx = rects.sx, sy = rects.sy, sw = rects.sw, sh = rects.sh;
  auto nothing = [&rects] {
    rects.dw = rects.dh = 0;
    return 0;
  };
  // A negative source size would make the kernels read backwards out of the rectangle.
  if (sw < 0 || sh < 0) return 2;
  if (sx + sw < 0 || sy + sh < 0 || sx > sourceWidth || sy > sourceHeight) return 2;
  if (dw <= 0 || dh <= 0) return nothing();

  // A scaled source of zero columns or rows still reads the one at its start.
  auto readSpan = [](std::int64_t span) { return span == 0 ? std::int64_t{1} : span; };

  if ((flags & kBlitNoClip) && clip == nullptr) {
    const bool inside = dx >= 0 && dy >= 0 && dx + dw <= targetWidth && dy + dh <= targetHeight && sx >= 0 &&
                        sy >= 0 && sx + readSpan(sw) <= sourceWidth && sy + readSpan(sh) <= sourceHeight;
    if (!inside) return 2;
    rects.sw = static_cast<int>(readSpan(sw));
    rects.sh = static_cast<int>(readSpan(sh));
    return 0;
  }

  std::int64_t left = 0, top = 0, right = targetWidth, bottom = targetHeight;
  if (clip != nullptr) {
    left = std::max<std::int64_t>(left, clip->x);
    top = std::max<std::int64_t>(top, clip->y);
    right = std::min<std::int64_t>(right, std::int64_t{clip->x} + std::max(clip->w, 0));
    bottom = std::min<std::int64_t>(bottom, std::int64_t{clip->y} + std::max(clip->h, 0));
  }
  if (dx + dw <= left || dy + dh <= top || dx >= right || dy >= bottom) return nothing();
  const std::int64_t nx = std::max(dx, left), ny = std::max(dy, top);
  const std::int64_t nr = std::min(dx + dw, right), nb = std::min(dy + dh, bottom);
  const std::int64_t nw = nr - nx, nh = nb - ny;
  if (nw <= 0 || nh <= 0) return nothing();

  // Mirrored, the target's right-hand cut removes source columns at the left; flipped,
  // the bottom cut removes source rows at the top.
  const std::int64_t cutColumns = (flags & kBlitMirror) ? (dx + dw) - nr : nx - dx;
  const std::int64_t cutRows = (flags & kBlitFlip) ? (dy + dh) - nb : ny - dy;
  const std::int64_t csx = sx + cutColumns * sw / dw;
  const std::int64_t csy = sy + cutRows * sh / dh;
  const std::int64_t csw = readSpan(sw * nw / dw);
  const std::int64_t csh = readSpan(nh * sh / dh);
  if (csx < 0 || csy < 0 || csx + csw > sourceWidth || csy + csh > sourceHeight) return 2;

  rects = {static_cast<int>(nx),  static_cast<int>(ny),  static_cast<int>(nw),  static_cast<int>(nh),
           static_cast<int>(csx), static_cast<int>(csy), static_cast<int>(csw), static_cast<int>(csh)};
  return 0;
}

namespace {

// The mask covers the source rectangle, at the source's coordinates.
bool MaskCovers(const PixelBuffer* mask, const BlitRects& r) {
  if (mask == nullptr || mask->format != kFormatIndexed8 || !IsUsablePixelBuffer(*mask)) return false;
  return std::int64_t{r.sx} + r.sw <= mask->width && std::int64_t{r.sy} + r.sh <= mask->height;
}

}  // namespace

int BlitPixels(const PixelBuffer& target, int dx, int dy, int dw, int dh, const PixelBuffer& source, int sx,
               int sy, int sw, int sh, std::uint32_t flags, int level, const PixelBuffer* mask, bool mmx,
               const PixelRect* clip) {
  if (target.format == 0 || source.format == 0) return 3;
  if (!IsUsablePixelBuffer(target) || !IsUsablePixelBuffer(source)) return 2;
  // The kernels convert nothing: a target of another depth would be written with the
  // source's pixel size, past its rows.
  if (FormatBitsPerPixel(target.format) != FormatBitsPerPixel(source.format)) return 2;

  BlitRects r{dx, dy, dw, dh, sx, sy, sw, sh};
  if (const int clipped = BlitClip(target.width, target.height, source.width, source.height, flags, clip, r);
      clipped != 0) {
    return clipped;
  }
  if (r.dw == 0) return 0;

  const bool scaling = r.dw != r.sw || r.dh != r.sh;
  const BlitKernelRow* row = FindBlitKernel(source.format, scaling, flags, mmx);
  if (row == nullptr) return 0;

  BlitArgs args;
  args.target = target.bits;
  args.targetStride = target.stride;
  args.targetX = r.dx;
  args.targetY = r.dy;
  args.width = r.dw;
  args.height = r.dh;
  args.source = source.bits;
  args.sourceStride = source.stride;
  args.sourceX = r.sx;
  args.sourceY = r.sy;
  args.sourceWidth = r.sw;
  args.sourceHeight = r.sh;
  args.flags = flags & ~kBlitNoClip;
  args.sourceKey = source.sourceKey;
  args.destKey = target.destKey;
  args.level = ClampLevel(level);
  if (row->needsMask) {
    if (!MaskCovers(mask, r)) return 0;
    args.mask = mask->bits;
    args.maskStride = mask->stride;
  }
  row->kernel(args);
  return 0;
}

std::uint32_t GetPixelAt(const PixelBuffer& buffer, int x, int y) {
  const int bytes = FormatBytesPerPixel(buffer.format);
  if (bytes == 0 || !IsUsablePixelBuffer(buffer) || x < 0 || y < 0 || x >= buffer.width || y >= buffer.height)
    return 0;
  const std::uint8_t* pixel = buffer.bits + static_cast<std::ptrdiff_t>(y) * buffer.stride + std::ptrdiff_t{x} * bytes;
  std::uint32_t value = 0;
  for (int i = 0; i < bytes && i < 4; ++i) value |= std::uint32_t{pixel[i]} << (8 * i);
  return value;
}

int SetPixelAt(const PixelBuffer& buffer, int x, int y, std::uint32_t value) {
  if (buffer.format == 0) return 3;
  if (!IsUsablePixelBuffer(buffer) || x < 0 || y < 0 || x >= buffer.width || y >= buffer.height) return 2;
  const int bytes = FormatBytesPerPixel(buffer.format);
  std::uint8_t* pixel = buffer.bits + static_cast<std::ptrdiff_t>(y) * buffer.stride + std::ptrdiff_t{x} * bytes;
  for (int i = 0; i < bytes && i < 4; ++i) pixel[i] = static_cast<std::uint8_t>(value >> (8 * i));
  return 0;
}

}  // namespace ossen
