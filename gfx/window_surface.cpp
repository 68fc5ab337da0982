#include "gfx/window_surface.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "gfx/blit_engine.h"

namespace ossen {

namespace {

// Holds a surface's DC for the length of one drawing call.
class HeldDc {
 public:
  explicit HeldDc(Surface* surface) : surface_(surface), dc_(surface ? surface->GetDC() : nullptr) {}
  ~HeldDc() {
    if (dc_) surface_->ReleaseDC(dc_);
  }
  HeldDc(const HeldDc&) = delete;
  HeldDc& operator=(const HeldDc&) = delete;
  DeviceContext* get() const { return dc_; }

 private:
  Surface* surface_;
  DeviceContext* dc_;
};

// The GDI sequence of both blit directions: COLORONCOLOR on the target, the palette around
// the stretch, SRCCOPY.
int StretchBetween(DeviceContext* target, DeviceContext* source, int dx, int dy, int dw, int dh, int sx, int sy,
                   int sw, int sh) {
  if (!target || !source) return kGfxFailed;
  target->SetStretchBltMode(COLORONCOLOR);
  target->StretchBlt(dx, dy, dw, dh, *source, sx, sy, sw, sh, SRCCOPY);
  return kGfxOk;
}

// x + w without overflow; the device context cuts the rectangle to the window anyway.
LONG ClampedEdge(int start, int extent) {
  const long long edge = static_cast<long long>(start) + extent;
  return static_cast<LONG>(std::clamp<long long>(edge, INT32_MIN, INT32_MAX));
}

}  // namespace

DWORD FormatForDisplayDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return 0x41000000;
    case 2: return 0x42000000;
    case 4: return 0x44000000;
    case 8: return kFormatIndexed8;
    case 16: return kFormatRgb555;  // also on a 5:6:5 display
    case 24: return kFormatRgb888;
    case 32: return kFormatXrgb8888;
    default: return 0;
  }
}

SurfaceRef<WindowSurface> WindowSurface::New() {
  return SurfaceRef<WindowSurface>::Adopt(new (std::nothrow) WindowSurface);
}

WindowSurface::~WindowSurface() {
  if (windowDc_ && window_) window_->ReleaseDC(windowDc_);
  Destroy();
}

void WindowSurface::Reset() {
  if (windowDc_ && window_) window_->ReleaseDC(windowDc_);
  windowDc_ = nullptr;
  Surface::Reset();
  window_ = nullptr;
}

int WindowSurface::Attach(ScreenWindow* window, BOOL forceBackground) {
  Destroy();
  window_ = window;
  forceBackground_ = forceBackground;
  // GetDeviceCaps(BITSPIXEL) of the window's DC: the depth of its screen.
  format = window ? FormatForDisplayDepth(window->BitsPerPixel()) : 0;
  return kGfxOk;
}

int WindowSurface::Width() const { return window_ ? window_->ClientWidth() : 0; }
int WindowSurface::Height() const { return window_ ? window_->ClientHeight() : 0; }

DeviceContext* WindowSurface::GetDC() {
  if (!HasImage() || !window_) return nullptr;
  if (accessCount == 0) {
    windowDc_ = window_->GetDC();
    if (!windowDc_) return nullptr;
  }
  ++accessCount;
  return windowDc_;
}

void WindowSurface::ReleaseDC(DeviceContext*) {
  if (accessCount == 0) return;
  if (accessCount == 1 && windowDc_ && window_) {
    window_->ReleaseDC(windowDc_);
    windowDc_ = nullptr;
  }
  --accessCount;
}

void WindowSurface::RealizeOwnPalette() {
  const Palette* own = GetPalette();
  if (!own) return;
  std::vector<RGBQUAD> table;
  table.reserve(own->EntryCount());
  for (const PaletteEntry& entry : own->Entries()) table.push_back(RGBQUAD{entry.blue, entry.green, entry.red, 0});
  RealizeWindowPalette(window_, table.data(), static_cast<int>(table.size()), forceBackground_);
}

int WindowSurface::Blt(Surface* target, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, DWORD,
                       BlitExtra) {
  if (!target) return kGfxFailed;
  const HeldDc own(this);
  const HeldDc other(target);
  if (!own.get() || !other.get()) return kGfxFailed;
  RealizeOwnPalette();
  return StretchBetween(other.get(), own.get(), dx, dy, dw, dh, sx, sy, sw, sh);
}

int WindowSurface::BltTo(int dx, int dy, int dw, int dh, Surface* source, int sx, int sy, int sw, int sh,
                         DWORD flags, BlitExtra) {
  if (!source) return kGfxFailed;
  BlitRects rects{dx, dy, dw, dh, sx, sy, sw, sh};
  PixelRect clipStorage;
  const PixelRect* clipRect = nullptr;
  RECT bounds{};
  if (clip && clip->GetBounds(bounds) == 0) {
    clipStorage = PixelRect{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
    clipRect = &clipStorage;
  }
  const int clipped = BlitClip(Width(), Height(), source->Width(), source->Height(), flags, clipRect, rects);
  if (clipped != 0) return clipped;
  if (rects.dw == 0) return kGfxOk;
  const HeldDc from(source);
  const HeldDc to(this);
  if (!from.get() || !to.get()) return kGfxFailed;
  RealizeOwnPalette();
  return StretchBetween(to.get(), from.get(), rects.dx, rects.dy, rects.dw, rects.dh, rects.sx, rects.sy, rects.sw,
                        rects.sh);
}

int WindowSurface::FillRect(int x, int y, int w, int h, DWORD colour) {
  if (!HasImage()) return kGfxNoImage;
  const HeldDc dc(this);
  if (!dc.get()) return kGfxFailed;
  RealizeOwnPalette();
  const RECT area{x, y, ClampedEdge(x, w), ClampedEdge(y, h)};
  dc.get()->FillSolidRect(area, colour);
  return kGfxOk;
}

int WindowSurface::LineTo(int x0, int y0, int x1, int y1, DWORD colour) {
  if (!HasImage()) return kGfxNoImage;
  const HeldDc dc(this);
  if (!dc.get()) return kGfxFailed;
  RealizeOwnPalette();
  DrawLine(*dc.get(), x0, y0, x1, y1, colour);
  return kGfxOk;
}

}  // namespace ossen
