// The surface that stands for a window's client area. It holds no pixels of its own: it
// draws through the window's device context, so its fills and lines take GDI colours
// (COLORREF), where the software surfaces take pixel values, and its blits are GDI stretch
// blits without colour keys or translucency. Its format reports the depth of the screen the
// window is on; its width and height are the client area's, read live.
#pragma once

#include "gfx/surface.h"
#include "platform/draw/screen_window.h"

namespace ossen {

inline constexpr int kSurfaceTypeWindow = 5;

// The format code a surface on a display of `bitsPerPixel` reports; a 16-bit display is
// always taken as 5:5:5. 0 for a depth that has no code.
DWORD FormatForDisplayDepth(int bitsPerPixel);

class WindowSurface : public Surface {
 public:
  // A new surface without a window, reference count 1; null when memory ran out.
  static SurfaceRef<WindowSurface> New();
  ~WindowSurface() override;

  void Reset() override;
  // Slot 1: this window's pixels stretched into `target` through both device contexts.
  int Blt(Surface* target, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, DWORD flags,
          BlitExtra extra) override;
  int TypeId() const override { return kSurfaceTypeWindow; }
  int Width() const override;
  int Height() const override;
  // Slot 18: `source` stretched into this window, the rectangles clipped as a software blit
  // clips them. A source without a device context gives 2.
  int BltTo(int dx, int dy, int dw, int dh, Surface* source, int sx, int sy, int sw, int sh, DWORD flags,
            BlitExtra extra) override;
  // Slot 19: `colour` is a COLORREF.
  int FillRect(int x, int y, int w, int h, DWORD colour) override;
  // Slot 21: `colour` is a COLORREF; the last point is not drawn.
  int LineTo(int x0, int y0, int x1, int y1, DWORD colour) override;
  // Slots 32 and 33: the window's DC, taken on the first outstanding call and released with
  // the last.
  DeviceContext* GetDC() override;
  void ReleaseDC(DeviceContext* dc) override;
  // Slot 35: empties the surface, then takes the window and the flag its palette selections
  // use; the format comes from the depth of the window's screen. 0.
  virtual int Attach(ScreenWindow* window, BOOL forceBackground);

  ScreenWindow* window() const { return window_; }
  BOOL forceBackground() const { return forceBackground_; }

 private:
  WindowSurface() = default;

  // Selects and realises this surface's palette (if any) around a drawing call.
  void RealizeOwnPalette();

  ScreenWindow* window_ = nullptr;
  BOOL forceBackground_ = FALSE;
  DeviceContext* windowDc_ = nullptr;
};

}  // namespace ossen
