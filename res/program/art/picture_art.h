// The pictures of the program: the cover title, the two credit pages, the intro and the
// About box, and the small images: the hand cursor and the application icon.
#pragma once

#include <QtGui/QImage>

#include <vector>

#include "res/program/art/stored_formats.h"

namespace ossen::art {

// Full-colour pictures at their stored sizes.
QImage PaintTitle();                 // 602 x 422
QImage PaintCredits(int number);     // 590 x 414, number 1 or 2
QImage PaintIntro();                 // 500 x 375
QImage PaintAboutBox();              // 400 x 260
QImage PaintHandCursor();            // 32 x 32: transparent, black outline, white hand
std::vector<QImage> PaintAppIcons();  // 16, 32 and 48 pixels
QImage PaintAppIcon(int size);        // the same picture at size x size pixels

// Reduces a picture to `colours` entries at the start of its table (pixels use only those).
IndexedPicture ReducePicture(const QImage& rgb, int colours);

}  // namespace ossen::art
