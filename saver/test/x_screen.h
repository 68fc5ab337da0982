// Test support: what a test needs of an X server, behind a header free of Xlib's macros.
#pragma once

#include <cstdint>
#include <string>

namespace ossen::testing {

struct Rgb {
  double red = 0, green = 0, blue = 0;
};
// The largest difference of the three channels.
double Distance(const Rgb& a, const Rgb& b);

class XScreen {
 public:
  explicit XScreen(const std::string& display);
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  bool ok() const { return display_ != nullptr; }
  std::uint64_t root() const;
  // Paints the desktop white.
  void WhiteDesktop();
  // A mapped white window of the root at (x, y).
  std::uint64_t CreateWindow(int x, int y, int width, int height);
  void DestroyWindow(std::uint64_t window);
  // The mean colour of a rectangle of a window as the server holds it; -1000s on failure.
  Rgb Mean(std::uint64_t window, int x, int y, int width, int height);
  void WarpPointerTo(int x, int y);
  void MovePointerBy(int dx, int dy);

 private:
  void* display_ = nullptr;
};

}  // namespace ossen::testing
