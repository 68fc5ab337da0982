// The book: the four page backgrounds and the button images cut from them.
#pragma once

#include <QtGui/QImage>

#include <string>
#include <vector>

#include "res/program/art/stored_formats.h"

namespace ossen::art {

enum BookPage { kCoverPage = 0, kContentPage = 1, kHelpPage = 2, kCreditPage = 3 };

// One page background in full colour, 640 x 480.
QImage PaintBookPage(BookPage page);

struct NamedPicture {
  std::string name;
  IndexedPicture picture;
};

struct BookArt {
  IndexedPicture book;                // 640 x 1920, the pages stacked
  std::vector<NamedPicture> buttons;  // every distinct up and down image, colour table = book's
};

// Paints, reduces to the book's 156 colours (entries 0..135 and 236..255) and cuts the
// buttons. A button pixel that the word leaves alone keeps the page's index exactly.
BookArt MakeBookArt();

}  // namespace ossen::art
