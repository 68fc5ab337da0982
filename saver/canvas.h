// The picture on the screen's shape: a painting is shown whole, its aspect kept, on a black
// canvas of the window's proportions, which the display view then stretches over the window.
#pragma once

#include "gfx/dib_section_surface.h"

namespace ossen {

// A canvas of canvasWidth x canvasHeight with the picture at (x, y) in its own size.
struct CanvasLayout {
  int canvasWidth = 0;
  int canvasHeight = 0;
  int x = 0;
  int y = 0;
};

// The smallest canvas of the window's proportions that holds the whole picture, the picture
// centred on it. A window or picture without area gives the picture's own size.
CanvasLayout FitCanvas(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

// Makes `canvas` a black 24-bit surface laid out for the window with `picture` (24-bit) on
// it. False, and `canvas` empty, when it cannot be made.
bool ComposeCanvas(DibSectionSurface* picture, DibSectionSurface* canvas, int windowWidth, int windowHeight);

// Copies `from` into `to` (both 24-bit, the same size) with every channel scaled by
// level / 256: 256 copies, 0 gives black. False when the surfaces do not match.
bool DarkenInto(DibSectionSurface* from, DibSectionSurface* to, int level);

}  // namespace ossen
