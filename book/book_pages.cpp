// The page view: the back buffer the pages are drawn into, the page pictures, the window's
// placement and its painting.
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "book/book_dialog.h"
#include "book/surface_image.h"
#include "gfx/dib_image.h"
#include "image/packed_dib.h"
#include "platform/trace.h"

namespace ossen {
namespace {

constexpr char kPictureResourceType[] = "BIN";

// A page picture of the program's own module, decompressed into a section surface. The
// surface is made even when the picture is missing or undecodable: it is then empty.
SurfaceRef<DibSectionSurface> LoadPagePicture(const char* name) {
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  SurfaceRef<DibImage> loaded = DibImage::New();
  if (section && loaded && loaded->Load(name, kLoadFromResource, nullptr, kPictureResourceType, nullptr, nullptr) == 0) {
    loaded->Decompress();
    section->CopyFrom(loaded.get());
  }
  return section;
}

}  // namespace

void BookDialog::PlaceWindow() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen != nullptr ? screen->geometry() : QRect();
  if (screenRect.width() == kBookWidth && screenRect.height() == kBookHeight) {
    // The client area fills the screen; frame and caption lie off it.
    const QPoint clientCorner = geometry().topLeft();
    if (clientCorner != QPoint(0, 0)) move(pos() - clientCorner);
  } else {
    const QRect frame = frameGeometry();
    if (frame.left() < 0 || frame.top() < 0) move(0, 0);
  }
  if (width() != kBookWidth && height() != kBookHeight) resize(kBookWidth, kBookHeight);
}

void BookDialog::LoadPictures() {
  bookImage = LoadPagePicture("BOOK");
  titleImage = LoadPagePicture("TITLE");
  credits1Image = LoadPagePicture("CREDITS1");
  credits2Image = LoadPagePicture("CREDITS2");
  if (bookImage) bookImage->SetPalette(bookImage->GetPalette());
  previewImage = DibSectionSurface::New();
}

void BookDialog::FreePictures() {
  bookImage = {};
  titleImage = {};
  credits1Image = {};
  credits2Image = {};
  previewImage = {};
}

void BookDialog::ShowPage(int page, const QRect& rect) {
  if (backBuffer && bookImage && bookImage->format != 0) {
    backBuffer->BltTo(0, 0, kBookWidth, kBookHeight, bookImage.get(), 0, kBookHeight * page, kBookWidth, kBookHeight,
                      0, {});
  }
  update(rect);
}

void BookDialog::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QImage page = ImageFromSurface(backBuffer.get());
  if (page.isNull()) {
    painter.fillRect(rect(), Qt::black);
  } else {
    painter.drawImage(0, 0, page);
  }
  if (!painted_) {
    painted_ = true;
    Trace("first paint");
  }
}

}  // namespace ossen
