// The presenter that pairs a window with an off-screen back buffer: it paints and presents
// the back buffer (optionally after a tint toward a colour), realises its palette, follows
// the window's size, and can take over the whole screen for full-screen use.
//
// Full screen: where a display of the old kind had its resolution switched to the back
// buffer's size, this view makes the window cover its whole screen, frameless, and stretches
// the back buffer over it. A desktop whose resolution a crashed program failed to restore
// stays at the wrong size; a covering window ends with its process. The mode-changed flag
// keeps its rules: set when the switch was asked for and done (also when the screen already
// had the size), and Close then gives the window back as it was (frame, position, size).
#pragma once

#include <memory>

#include "gfx/dib_section_surface.h"
#include "gfx/window_surface.h"
#include "platform/draw/screen_window.h"

namespace ossen {

// Open options.
inline constexpr DWORD kViewFullScreen = 0x1;       // only together with kViewPaletteManaged
inline constexpr DWORD kViewPaletteManaged = 0x2;   // palette realised on demand
inline constexpr DWORD kViewResizeWithWindow = 0x4;  // only without full screen

// Present effect 1: tint the back buffer toward a colour first (16-bit back buffers only).
inline constexpr int kPresentTint = 1;

class DisplayView {
 public:
  DisplayView() = default;
  DisplayView(const DisplayView&) = delete;
  DisplayView& operator=(const DisplayView&) = delete;
  // Slot 0: runs Close.
  virtual ~DisplayView();

  // Slot 1: closes a view already open; 2 for a null window. The back buffer is a blank
  // section of width x height in `format` (a size or format it cannot make leaves it
  // empty, and the view still opens). 0.
  virtual int Open(int width, int height, DWORD format, ScreenWindow* window, DWORD options);
  // Slot 2: drops the window surface and the back buffer; a covering window is given back.
  virtual int Close();
  // Slot 3.
  virtual int Unused3() { return 0; }
  // Slot 4: the whole back buffer stretched over the whole client area; the window is then
  // valid. With effect 1 the back buffer is first tinted toward `colour` by `weight`.
  virtual int Present(int effect, DWORD colour, int weight);
  // Slot 5: 1 when realising the palette changed the display's colours (the window and its
  // children are then painted again), else 0.
  virtual int RealizePalette();
  // Slot 6.
  virtual int OnPaletteChanged();
  // Slot 7: the window's paint: the back buffer stretched over the client area, as Present
  // draws it, without the tint.
  virtual void Paint();
  // Slot 8.
  virtual void Unused8() {}
  // Slot 9: with resize-with-window, the back buffer is made anew at width x height in its
  // format, keeping its palette (not its picture).
  virtual void Resize(int ignored, int width, int height);

  ScreenWindow* window = nullptr;
  SurfaceRef<WindowSurface> windowSurface;
  SurfaceRef<DibSectionSurface> backBuffer;
  DWORD modeChanged = 0;
  DWORD resizeWithWindow = 0;
  DWORD paletteManaged = 0;
};

}  // namespace ossen
