// Bitmaps (RT_BITMAP) of the program's own module as Qt images, and its hand cursor.
#pragma once
#include <QCursor>
#include <QImage>

#include "platform/win32/module.h"

namespace ossen {

// The packed DIB `name` of the program's own module as an indexed image with its own
// colours; null when it is missing or not a paletted bitmap.
QImage LoadBitmapResource(const char* name);

// Cursor resource 132, the hand, with its hot spot; the arrow when it cannot be read.
QCursor LoadHandCursor();

}  // namespace ossen
