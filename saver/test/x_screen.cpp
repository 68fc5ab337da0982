#include "saver/test/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>

namespace ossen::testing {

namespace {
::Display* Of(void* display) { return static_cast<::Display*>(display); }
}  // namespace

double Distance(const Rgb& a, const Rgb& b) {
  return std::max({std::fabs(a.red - b.red), std::fabs(a.green - b.green), std::fabs(a.blue - b.blue)});
}

XScreen::XScreen(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}

XScreen::~XScreen() {
  if (display_) XCloseDisplay(Of(display_));
}

std::uint64_t XScreen::root() const { return DefaultRootWindow(Of(display_)); }

void XScreen::WhiteDesktop() {
  ::Display* d = Of(display_);
  XSetWindowBackground(d, DefaultRootWindow(d), WhitePixel(d, DefaultScreen(d)));
  XClearWindow(d, DefaultRootWindow(d));
  XSync(d, False);
}

std::uint64_t XScreen::CreateWindow(int x, int y, int width, int height) {
  ::Display* d = Of(display_);
  const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, WhitePixel(d, DefaultScreen(d)));
  XMapWindow(d, window);
  XSync(d, False);
  return window;
}

void XScreen::DestroyWindow(std::uint64_t window) {
  XDestroyWindow(Of(display_), window);
  XSync(Of(display_), False);
}

Rgb XScreen::Mean(std::uint64_t window, int x, int y, int width, int height) {
  XImage* image = XGetImage(Of(display_), window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return Rgb{-1000, -1000, -1000};
  Rgb mean;
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const unsigned long pixel = XGetPixel(image, i, j);
      mean.red += static_cast<double>((pixel >> 16) & 0xFF);
      mean.green += static_cast<double>((pixel >> 8) & 0xFF);
      mean.blue += static_cast<double>(pixel & 0xFF);
    }
  }
  XDestroyImage(image);
  const double count = static_cast<double>(width) * height;
  return Rgb{mean.red / count, mean.green / count, mean.blue / count};
}

void XScreen::WarpPointerTo(int x, int y) {
  ::Display* d = Of(display_);
  XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, x, y);
  XSync(d, False);
}

void XScreen::MovePointerBy(int dx, int dy) {
  ::Display* d = Of(display_);
  XWarpPointer(d, None, None, 0, 0, 0, 0, dx, dy);
  XSync(d, False);
}

}  // namespace ossen::testing
