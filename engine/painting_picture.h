// The road of a painting to the desktop's picture files: the library's JPEG decoded and
// mapped onto the palette of the painting's preview picture, scaled to the size a target
// needs, and written as a bitmap file. The apply engine and dibtool share these steps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/dib_image.h"
#include "gfx/palette.h"
#include "platform/win32/module.h"

namespace ossen {

// The resource names of painting n in the picture library: its preview picture ("A%iP",
// whose palette the painting is shown in) and its JPEG file ("A%i"), both of type "BIN".
std::string PreviewResourceName(int painting);
std::string PaintingResourceName(int painting);
inline constexpr char kPictureResourceType[] = "BIN";

// A copy of the palette of the painting's preview picture; null when the library has no
// preview for it or the preview holds no palette.
PaletteRef LoadPreviewPalette(HMODULE library, int painting);

// The JPEG file at `winPath` as a 24-bit image; null when it does not decode.
SurfaceRef<DibImage> LoadJpegPicture(const char* winPath);

// Painting n as the desktop gets it: its JPEG resource staged in a temporary file (which
// is removed again on every path), decoded, and mapped to 8 bits through the inverse
// table of its preview's palette. Null, with one trace line saying why, when a resource
// is missing, no temporary file can be made or the JPEG does not decode.
SurfaceRef<DibImage> LoadPaintingPicture(HMODULE library, int painting);

// A new 8-bit image of width x height holding the whole of `picture` (an 8-bit image
// with a palette), scaled nearest-neighbour, upright, with a copy of the picture's
// palette. The picture's own size gives an exact copy. Null when either is not possible.
SurfaceRef<DibImage> ScaledPicture(Surface& picture, int width, int height);

// The image's whole packed DIB (header, colour table, rows); empty without one.
std::vector<std::uint8_t> PackedDibBytes(DibImage& image);

// Writes the image as a bitmap file at the host path, replacing the old file atomically
// (a failure or a kill leaves the old file whole). False when nothing was written.
bool WriteBitmapFile(const std::string& hostPath, DibImage& image);

// The file WriteBitmapFile(hostPath, *ScaledPicture(picture, width, height)) writes, byte
// for byte and as atomically, made without a full-size picture in memory: the distinct
// scaled rows are made a band at a time and a repeated row is written again from the same
// bytes. False when nothing was written (as when ScaledPicture gives null).
bool WriteScaledBitmapFile(const std::string& hostPath, DibImage& picture, int width, int height);

}  // namespace ossen
