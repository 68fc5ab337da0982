// The root window's background on a bare X11 window manager, set the way the classic
// setters do, so that compositors and terminals that read _XROOTPMAP_ID see it as well.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ossen {

// A picture as 0x00RRGGBB pixels, rows top-down.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Decodes a BMP file (or a packed DIB) of 1, 4, 8, 24 or 32 bits per pixel without
// compression. The bytes are hostile: the image layer's header rules decide what is read.
std::optional<RgbPicture> DecodeBmpPicture(std::span<const std::uint8_t> bytes);

// The picture scaled (nearest pixel) to `width` x `height`.
RgbPicture ScalePicture(const RgbPicture& picture, int width, int height);

// Renders the BMP file scaled to the root window's size into a pixmap that outlives this
// process, makes it the root's background and names it in _XROOTPMAP_ID and ESETROOT_PMAP_ID.
// The previous setter's pixmap is freed when both properties named it. False without a
// display or for a file that is no readable BMP.
bool SetRootBackgroundFromBmp(const std::string& hostPath);

// Writes the root's current background pixmap (the one _XROOTPMAP_ID names) as a 24-bit BMP
// file. False when there is none or it cannot be read.
bool SaveRootBackgroundAsBmp(const std::string& hostPath);

// Drops the background pixmap ossen or another setter left: the properties are removed, the
// retained pixmap freed and the root painted black.
bool ClearRootBackground();

}  // namespace ossen
