// The window shows our 8-bit surfaces through their colour tables: as a QImage that owns a
// copy of the pixels, or drawn straight from the surface's own pixels.
#pragma once
#include <QImage>

class QPainter;

namespace ossen {

class Surface;

// An indexed 8-bit copy of the surface, rows top-down, colour table from the surface's
// palette (black where the palette has fewer than 256 entries). A null QImage for a null
// surface, an empty one, one that is not 8 bits per pixel, or one whose bits cannot be locked.
QImage ImageFromSurface(Surface* surface);

// Draws `part` of the surface (as ImageFromSurface shows it) at `at`, reading a top-down
// surface's pixels in place: a paint of the whole window copies nothing first. False, and
// nothing drawn, where ImageFromSurface would give a null image.
bool DrawSurface(QPainter& painter, const QPoint& at, Surface* surface, const QRect& part);

}  // namespace ossen
