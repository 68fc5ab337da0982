// The picture a bare X11 window manager's root window shows: the painting laid out on every
// monitor by the person's placement, in full colour, in device pixels.
//
// Everything here is plain computation on pixels (no display): the X side
// (root_background.h) asks the server for the monitors and puts the result on the screen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "desktop/wallpaper_request.h"

namespace ossen {

// Leaves new elements uninitialised: a screen-sized picture is written whole right after it
// is made, and clearing it first would cost a pass over it.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) {}
  template <class U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};

using PixelRow = std::vector<std::uint32_t, UninitialisedAllocator<std::uint32_t>>;

// A picture as 0x00RRGGBB pixels (pixman's x8r8g8b8: the top byte carries nothing and may be
// set), rows top-down, `width` pixels a row.
struct RgbPicture {
  int width = 0;
  int height = 0;
  PixelRow pixels;
};

// One monitor's rectangle on the root window, in device pixels.
struct MonitorRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const MonitorRect&) const = default;
};

// At most this many monitors are laid out; a server reporting more is not believed.
inline constexpr std::size_t kMaxMonitors = 16;
// The root picture's side at most (X11 pixmaps have 16-bit sides; this keeps the picture
// within a few hundred megabytes).
inline constexpr int kMaxRootSide = 16384;

// The monitors as the root picture lays them out: each clipped to the screen, empty and
// repeated rectangles dropped (mirrored outputs), at most kMaxMonitors; the whole screen
// when none is left.
std::vector<MonitorRect> UsableMonitors(std::span<const MonitorRect> reported, int screenWidth, int screenHeight);

// The root picture, screenWidth x screenHeight: on each monitor the whole painting at its
// own shape as `placement` says (Fill: covering the monitor, centred, the overflow cut off;
// Fit: whole, centred, `background` (0xRRGGBB) around it; Stretch: to the monitor's shape;
// Center: at its own size in the middle; Tile: repeated from the monitor's top left; Span:
// one picture filling the box around all monitors). Scaled with pixman's bilinear filter,
// edges clamped. The screen outside every monitor is `background`. An empty picture for an
// empty painting or screen, or sides beyond kMaxRootSide.
RgbPicture BuildRootPicture(const RgbPicture& painting, int screenWidth, int screenHeight,
                            std::span<const MonitorRect> monitors, WallpaperPlacement placement,
                            std::uint32_t background);

// Decodes a BMP file (or a packed DIB) of 1, 4, 8, 24 or 32 bits per pixel without
// compression. The bytes are hostile: the image layer's header rules decide what is read.
std::optional<RgbPicture> DecodeBmpPicture(std::span<const std::uint8_t> bytes);

// The picture file at `hostPath`: a JPEG (as the picture library stores the paintings) or a
// BMP (the kept root picture), told apart by their first bytes. On failure, nullopt and
// `reason` says why in words a person can read.
std::optional<RgbPicture> ReadPictureFile(const std::string& hostPath, std::string& reason);

}  // namespace ossen
