#include "saver/canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gfx/blit_engine.h"

namespace ossen {

CanvasLayout FitCanvas(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight) {
  CanvasLayout layout{pictureWidth, pictureHeight, 0, 0};
  if (pictureWidth < 1 || pictureHeight < 1 || windowWidth < 1 || windowHeight < 1) return layout;
  const std::int64_t pictureSide = std::int64_t{pictureWidth} * windowHeight;
  const std::int64_t windowSide = std::int64_t{pictureHeight} * windowWidth;
  if (pictureSide > windowSide) {
    // Wider than the window: bars above and below.
    layout.canvasHeight = static_cast<int>(
        std::min<std::int64_t>((pictureSide + windowWidth - 1) / windowWidth, 65535));
  } else if (pictureSide < windowSide) {
    // Narrower: bars left and right.
    layout.canvasWidth = static_cast<int>(
        std::min<std::int64_t>((windowSide + windowHeight - 1) / windowHeight, 65535));
  }
  layout.x = (layout.canvasWidth - pictureWidth) / 2;
  layout.y = (layout.canvasHeight - pictureHeight) / 2;
  return layout;
}

bool ComposeCanvas(DibSectionSurface* picture, DibSectionSurface* canvas, int windowWidth, int windowHeight) {
  if (!canvas) return false;
  if (!picture || picture->format != kFormatRgb888) {
    canvas->Destroy();
    return false;
  }
  const CanvasLayout layout = FitCanvas(picture->Width(), picture->Height(), windowWidth, windowHeight);
  if (canvas->CreateBlank(layout.canvasWidth, layout.canvasHeight, kFormatRgb888) != 0) return false;
  std::uint8_t* in = nullptr;
  std::uint8_t* out = nullptr;
  int inStride = 0;
  int outStride = 0;
  if (picture->LockBits(in, inStride) != 0) return false;
  if (canvas->LockBits(out, outStride) != 0) {
    picture->UnlockBits();
    return false;
  }
  // Same format, same size: whole rows at their place on the canvas.
  const std::size_t rowBytes = std::size_t{3} * static_cast<std::size_t>(picture->Width());
  for (int y = 0; y < picture->Height(); ++y) {
    std::memcpy(out + static_cast<std::ptrdiff_t>(outStride) * (layout.y + y) + std::ptrdiff_t{3} * layout.x,
                in + static_cast<std::ptrdiff_t>(inStride) * y, rowBytes);
  }
  canvas->UnlockBits();
  picture->UnlockBits();
  return true;
}

bool DarkenInto(DibSectionSurface* from, DibSectionSurface* to, int level) {
  if (!from || !to || from->format != kFormatRgb888 || to->format != kFormatRgb888 || from->Width() != to->Width() ||
      from->Height() != to->Height()) {
    return false;
  }
  level = std::clamp(level, 0, 256);
  std::uint8_t* in = nullptr;
  std::uint8_t* out = nullptr;
  int inStride = 0;
  int outStride = 0;
  if (from->LockBits(in, inStride) != 0) return false;
  if (to->LockBits(out, outStride) != 0) {
    from->UnlockBits();
    return false;
  }
  const std::size_t rowBytes = std::size_t{3} * static_cast<std::size_t>(from->Width());
  if (level == 256) {
    for (int y = 0; y < from->Height(); ++y) {
      std::memcpy(out + static_cast<std::ptrdiff_t>(outStride) * y, in + static_cast<std::ptrdiff_t>(inStride) * y,
                  rowBytes);
    }
    to->UnlockBits();
    from->UnlockBits();
    return true;
  }
  std::uint8_t scaled[256];
  for (int v = 0; v < 256; ++v) scaled[v] = static_cast<std::uint8_t>(v * level / 256);
  for (int y = 0; y < from->Height(); ++y) {
    const std::uint8_t* source = in + static_cast<std::ptrdiff_t>(inStride) * y;
    std::uint8_t* target = out + static_cast<std::ptrdiff_t>(outStride) * y;
    for (std::size_t i = 0; i < rowBytes; ++i) target[i] = scaled[source[i]];
  }
  to->UnlockBits();
  from->UnlockBits();
  return true;
}

}  // namespace ossen
