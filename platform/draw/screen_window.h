// A window on the desktop that our own drawing reaches: the client area of a Win32 window as
// far as the display helpers need one.
//
// The client area is a 32-bit pixel store that a device context draws into (the window DC);
// releasing the last DC shows what was drawn. The window reports the colour depth and the
// size of the screen it is on (GetDeviceCaps BITSPIXEL, HORZRES and VERTRES) and runs the
// handlers its owner sets when it must be painted again or changes size. Instead of a change
// of display resolution the window can cover its whole screen, frameless and above the
// other windows, and later be given back as it was (frame, position and size).
//
// A window also carries its input: keys, button presses and pointer movement reach the
// input handler, with the pointer's position on the screen.
//
// Everything here needs the display opened first (OpenDisplay); the windows run on the one
// user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/base/win_types.h"
#include "platform/draw/device_context.h"

namespace ossen {

// Whether a display can be reached: one is named (DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM), and where Qt will speak X11 to it, the X server answers. Opens nothing
// for the program.
bool CanReachDisplay();
// Connects to the desktop (or the platform named by QT_QPA_PLATFORM) unless the program has
// done so already; false when no display can be reached (CanReachDisplay). A display that
// Qt still cannot open ends the process with status 1 and Qt's reason on standard error,
// never with an abort. The connection lasts until the process ends.
bool OpenDisplay();
// Delivers what comes for the windows (paints, resizes, input) for `milliseconds`; with 0,
// only what is waiting now.
void ProcessDisplayEvents(int milliseconds);
// Runs the event loop until QuitDisplayLoop; returns the status given there.
int RunDisplayLoop();
void QuitDisplayLoop(int status);
// Calls `tick` every `milliseconds` on the user-interface thread while the loop runs; one
// timer per call, never removed (the programs that use it run one show until they end).
void EveryMilliseconds(int milliseconds, std::function<void()> tick);
// Where the pointer is on the desktop, in screen pixels.
void GetCursorPos(int& x, int& y);
// Hides the pointer over every window of the program (a screen saver shows none).
void HidePointer();

// The screens of the desktop; screen 0 is the primary one.
int ScreenCount();
RECT ScreenRect(int screen);

struct InputEvent {
  enum Kind { kKey, kButton, kMotion };
  Kind kind = kMotion;
  int screenX = 0;  // pointer position on the desktop; for a key, where the pointer is
  int screenY = 0;
};

class ScreenWindow {
 public:
  // A top-level window with a frame and a client area of width x height, on `screen`; it
  // appears with Show.
  static std::unique_ptr<ScreenWindow> Create(int width, int height, int screen, const char* title);
  // A window that fills the client area of another program's window, given by its native id
  // (an X11 window id); null when that window does not exist.
  static std::unique_ptr<ScreenWindow> CreateInside(std::uint64_t nativeId);

  ScreenWindow() = default;
  ScreenWindow(const ScreenWindow&) = delete;
  ScreenWindow& operator=(const ScreenWindow&) = delete;
  virtual ~ScreenWindow() = default;

  // GetClientRect's right and bottom.
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // Bits per pixel of the screen the window is on, as the desktop reports its depth.
  virtual int BitsPerPixel() const = 0;
  // HORZRES and VERTRES of that screen.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;

  // The window DC over the client pixels (32 bits, no colour table); null while the client
  // area is empty. Nested calls give the same DC. The last ReleaseDC shows what was drawn.
  virtual DeviceContext* GetDC() = 0;
  virtual void ReleaseDC(DeviceContext* dc) = 0;
  // BeginPaint and EndPaint: the window DC for a repaint; EndPaint shows the drawing and
  // leaves the window valid.
  virtual DeviceContext* BeginPaint() = 0;
  virtual void EndPaint(DeviceContext* dc) = 0;
  // ValidateRect(window, null): the window needs no paint now.
  virtual void Validate() = 0;
  // InvalidateRect(window, null, TRUE) for the window and its children: the paint handler
  // runs soon.
  virtual void Invalidate() = 0;
  // Whether a paint is owed (the window was exposed, resized or invalidated since it was
  // last painted or validated).
  virtual bool NeedsPaint() const = 0;

  // Shows the window; Hide takes it off the screen.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  // Covers the whole screen the window is on: frameless, above other windows, at the
  // screen's size. Remembers what it gives back. False when the window cannot cover it.
  virtual bool CoverScreen() = 0;
  // Gives the window back as it was before CoverScreen: frame, position, size.
  virtual void Uncover() = 0;
  virtual bool IsCovering() const = 0;
  // Whether the window has its frame (a covering window has none).
  virtual bool HasFrame() const = 0;
  // Sets the client size (as a frame drag would); the resize handler runs.
  virtual void SetClientSize(int width, int height) = 0;

  // Paint: the window must draw its client area (WM_PAINT); the handler uses BeginPaint and
  // EndPaint. Without a handler the window shows what was last drawn.
  void SetPaintHandler(std::function<void()> handler) { paintHandler_ = std::move(handler); }
  // Size: the client area changed to width x height (WM_SIZE).
  void SetResizeHandler(std::function<void(int, int)> handler) { resizeHandler_ = std::move(handler); }
  void SetInputHandler(std::function<void(const InputEvent&)> handler) { inputHandler_ = std::move(handler); }
  // Gone: the other program's window that this one fills (CreateInside) was destroyed, and
  // this one with it. Runs once, soon after.
  void SetGoneHandler(std::function<void()> handler) { goneHandler_ = std::move(handler); }

 protected:
  std::function<void()> paintHandler_;
  std::function<void(int, int)> resizeHandler_;
  std::function<void(const InputEvent&)> inputHandler_;
  std::function<void()> goneHandler_;
};

// The colour palette of a true-colour display needs no realisation: the count of system
// palette entries that a realisation changed, always 0 here.
UINT RealizeWindowPalette(ScreenWindow* window, const RGBQUAD* entries, int count, BOOL forceBackground);

// GDI's MoveToEx and LineTo with a solid pen of width 1: the pixels from (x0, y0) towards
// (x1, y1), the last point left unset. FALSE without a target.
BOOL DrawLine(DeviceContext& dc, int x0, int y0, int x1, int y1, COLORREF color);

}  // namespace ossen
