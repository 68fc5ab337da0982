// The window shows our 8-bit surfaces through their colour tables: this turns one into a
// QImage that owns a copy of its pixels.
#pragma once
#include <QImage>

namespace ossen {

class Surface;

// An indexed 8-bit copy of the surface, rows top-down, colour table from the surface's
// palette (black where the palette has fewer than 256 entries). A null QImage for a null
// surface, an empty one, one that is not 8 bits per pixel, or one whose bits cannot be locked.
QImage ImageFromSurface(Surface* surface);

}  // namespace ossen
