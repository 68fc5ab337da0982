#include "gfx/surface.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gfx/blit_engine.h"
#include "gfx/graphics_context.h"
#include "gfx/object_registry.h"

namespace ossen {

namespace {

// The rectangle a clip limits drawing to, when the surface carries one with a region.
const PixelRect* ClipRectOf(const Surface& surface, PixelRect& storage) {
  RECT bounds{};
  if (!surface.clip || surface.clip->GetBounds(bounds) != 0) return nullptr;
  storage = PixelRect{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
  return &storage;
}

PixelBuffer BufferOf(const Surface& surface, std::uint8_t* bits, int stride) {
  PixelBuffer buffer;
  buffer.bits = bits;
  buffer.stride = stride;
  buffer.width = surface.width;
  buffer.height = surface.height;
  buffer.format = surface.format;
  buffer.sourceKey = static_cast<std::uint32_t>(surface.sourceKey);
  buffer.destKey = static_cast<std::uint32_t>(surface.destKey);
  return buffer;
}

// Holds a surface's pixels locked for the length of one drawing operation.
class PixelLock {
 public:
  explicit PixelLock(Surface& surface) : surface_(surface) { result_ = surface.LockBits(bits_, stride_); }
  ~PixelLock() {
    if (result_ == 0) surface_.UnlockBits();
  }
  PixelLock(const PixelLock&) = delete;
  PixelLock& operator=(const PixelLock&) = delete;

  int result() const { return result_; }
  PixelBuffer buffer() const { return BufferOf(surface_, bits_, stride_); }
  std::uint8_t* bits() const { return bits_; }
  int stride() const { return stride_; }

 private:
  Surface& surface_;
  std::uint8_t* bits_ = nullptr;
  int stride_ = 0;
  int result_ = 0;
};


}  // namespace

bool UseMmxKernels() {
  const GraphicsContext* context = GraphicsContext::Current();
  return context && context->mmxFlag != 0;
}

Surface::Surface() { registryNode = RegisterObject(SurfaceRegistry(), this); }

Surface::~Surface() {
  palette = PaletteRef();
  clip = ClipRegionRef();
  UnregisterObject(SurfaceRegistry(), registryNode);
}

LONG Surface::Release() {
  const LONG left = --referenceCount;
  if (left <= 0) {
    DeleteForShutdown(this);
    return 0;
  }
  return left;
}

void Surface::DeleteForShutdown(Surface* surface) { std::unique_ptr<Surface> owned(surface); }

void Surface::Reset() {
  width = 0;
  height = 0;
  format = 0;
  cachedStride = 0;
  accessCount = 0;
  sourceKey = 0;
  destKey = 0;
  // Destroy has released both references before; dropping them here keeps Reset alone
  // from leaking them.
  palette = PaletteRef();
  clip = ClipRegionRef();
}

int Surface::Blt(Surface* target, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, DWORD flags,
                 BlitExtra extra) {
  if (!target) return kGfxFailed;
  if (!HasImage() || !target->HasImage()) return kGfxNoImage;
  PixelLock source(*this);
  if (source.result() != 0) return source.result();
  PixelLock destination(*target);
  if (destination.result() != 0) return destination.result();

  // Only an 8-bit indexed mask that locks is used; the engine draws nothing without one.
  std::unique_ptr<PixelLock> maskLock;
  PixelBuffer maskBuffer;
  const PixelBuffer* mask = nullptr;
  if ((flags & (kBlitMaskBlend | kBlitDitheredMask)) && extra.mask && extra.mask->format == kFormatIndexed8) {
    maskLock = std::make_unique<PixelLock>(*extra.mask);
    if (maskLock->result() == 0) {
      maskBuffer = maskLock->buffer();
      mask = &maskBuffer;
    }
  }
  PixelRect clipStorage;
  return BlitPixels(destination.buffer(), dx, dy, dw, dh, source.buffer(), sx, sy, sw, sh, flags, extra.level, mask,
                    UseMmxKernels(), ClipRectOf(*target, clipStorage));
}

int Surface::CreateBlank(int, int, DWORD) { return kGfxNotSupported; }

int Surface::Load(const char*, DWORD, HINSTANCE, const ResourceId&, Surface*, DataSource*) {
  return kGfxNotSupported;
}

int Surface::CopyFrom(Surface* source) {
  if (!source) return kGfxFailed;
  if (source == this) return kGfxOk;  // a copy onto itself must not empty it first
  PixelLock from(*source);
  if (from.result() != 0) return from.result();
  Destroy();
  const int created = CreateBlank(source->width, source->height, source->format);
  if (created != 0) return created;
  PixelLock to(*this);
  if (to.result() != 0) return to.result();

  const std::size_t rowBytes = std::min<std::size_t>(
      {std::size_t{RowStride(format, width)}, static_cast<std::size_t>(from.stride()), static_cast<std::size_t>(to.stride())});
  const bool reverse = source->IsBottomUp() != IsBottomUp();
  for (int row = 0; row < height; ++row) {
    const int targetRow = reverse ? height - 1 - row : row;
    std::memcpy(to.bits() + static_cast<std::ptrdiff_t>(targetRow) * to.stride(),
                from.bits() + static_cast<std::ptrdiff_t>(row) * from.stride(), rowBytes);
  }
  if (Palette* sourcePalette = source->GetPalette()) {
    PaletteRef copy = NewPalette();
    if (copy && copy->CreateFrom(sourcePalette) == 0) SetPalette(copy.get());
  }
  return kGfxOk;
}

int Surface::ConvertFormat(DWORD, Palette*, DWORD) { return kGfxNotSupported; }

void Surface::Destroy() {
  SetPalette(nullptr);
  SetClip(nullptr);
  Reset();
}

int Surface::SetPalette(Palette* newPalette) {
  palette = PaletteRef::Share(newPalette);
  return kGfxOk;
}

int Surface::SetClip(ClipRegion* newClip) {
  clip = ClipRegionRef::Share(newClip);
  return kGfxOk;
}

int Surface::BltTo(int dx, int dy, int dw, int dh, Surface* source, int sx, int sy, int sw, int sh, DWORD flags,
                   BlitExtra extra) {
  if (!source) return kGfxFailed;
  return source->Blt(this, dx, dy, dw, dh, sx, sy, sw, sh, flags, extra);
}

int Surface::FillRect(int x, int y, int w, int h, DWORD value) {
  PixelLock lock(*this);
  if (lock.result() != 0) return lock.result();
  PixelRect clipStorage;
  return FillPixels(lock.buffer(), x, y, w, h, value, ClipRectOf(*this, clipStorage));
}

int Surface::LineTo(int x0, int y0, int x1, int y1, DWORD value) {
  PixelLock lock(*this);
  if (lock.result() != 0) return lock.result();
  PixelRect clipStorage;
  return DrawLine(lock.buffer(), x0, y0, x1, y1, value, ClipRectOf(*this, clipStorage));
}

int Surface::Tint(int x, int y, int w, int h, int mode, DWORD colour, int weight) {
  PixelLock lock(*this);
  if (lock.result() != 0) return lock.result();
  PixelRect clipStorage;
  return TintPixels(lock.buffer(), x, y, w, h, mode, colour, weight, UseMmxKernels(), ClipRectOf(*this, clipStorage));
}

DWORD Surface::GetPixel(int x, int y) {
  if (!HasImage() || x < 0 || y < 0 || x >= width || y >= height) return 0;
  PixelLock lock(*this);
  if (lock.result() != 0) return 0;
  return GetPixelAt(lock.buffer(), x, IsBottomUp() ? height - 1 - y : y);
}

int Surface::SetPixel(int x, int y, DWORD value) {
  if (!HasImage()) return kGfxNoImage;
  if (x < 0 || y < 0 || x >= width || y >= height) return kGfxFailed;
  std::uint8_t* bits = nullptr;
  int stride = 0;
  const int locked = LockBits(bits, stride);
  if (locked != 0) return locked;
  SetPixelAt(BufferOf(*this, bits, stride), x, IsBottomUp() ? height - 1 - y : y, value);
  return UnlockBits();
}

int Surface::SetSourceKey(DWORD key) {
  sourceKey = static_cast<std::int32_t>(key);
  return kGfxOk;
}

int Surface::SetDestKey(DWORD key) {
  destKey = static_cast<std::int32_t>(key);
  return kGfxOk;
}

int Surface::LockBits(std::uint8_t*&, int&) { return kGfxNotSupported; }

}  // namespace ossen
